// ZelDialModel: the stitched dial's rules without a display: range, knob position, frame, drag and wheel
// steps.
#pragma once

#include "gui/ZelControlModel.h"

class TZelDialModel : public TZelControlModel {
public:
  // Windows wheel units per notch; the wheel arithmetic is in these units.
  static constexpr int32_t WheelDeltaPerNotch = 120;
  static constexpr double FineFactor = 0.1;

  float Value() const { return FValue; }
  void SetValue(float value);
  float Min() const { return FMin; }
  float Max() const { return FMax; }
  // Inverting the range throws std::invalid_argument and changes nothing.
  void SetMin(float value);
  void SetMax(float value);
  float DefaultValue() const { return FDefaultValue; }
  void SetDefaultValue(float value);
  float CurveMapping = 0.0f;
  float ScrollRange = 400.0f;
  float WheelStep = 1.0f;
  int32_t FrameCount = 101;

  // Normalised knob position 0..1 and the frame of the strip to draw.
  double Position() const { return FPosition; }
  int32_t Frame() const;

  // True when the press consumed nothing and the component should take the focus.
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  void MouseMove(TShiftState shift, int32_t x, int32_t y);
  // delta in Windows wheel units (120 per notch), positive is up.
  void MouseWheel(int32_t delta, TShiftState shift);

private:
  void MovePosition(double delta);
  void SetPosition(double position);
  double ValueToPosition(float value) const;
  void RangeChanged();

  float FValue = 0.0f;
  float FMin = 0.0f;
  float FMax = 100.0f;
  float FDefaultValue = 0.0f;
  double FPosition = 0.0;
  int32_t FLastX = 0;
  int32_t FLastY = 0;
};
