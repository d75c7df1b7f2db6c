// ZelValueRange: the whole-number range of the slider and the numeric input; a bound moved past the other
// drags it along.
#pragma once

#include <algorithm>
#include <cstdint>

class TZelValueRange {
public:
  int32_t Min() const { return FMin; }
  int32_t Max() const { return FMax; }
  void SetMin(int32_t value) {
    FMin = value;
    FMax = std::max(FMax, FMin);
  }
  void SetMax(int32_t value) {
    FMax = value;
    FMin = std::min(FMin, FMax);
  }
  float Clamp(float value) const {
    return std::clamp(value, static_cast<float>(FMin), static_cast<float>(FMax));
  }

private:
  int32_t FMin = 0;
  int32_t FMax = 100;
};
