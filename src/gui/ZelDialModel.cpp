#include "gui/ZelDialModel.h"

#include <algorithm>
#include <stdexcept>

double TZelDialModel::ValueToPosition(float value) const {
  if (FMax <= FMin) {
    return 0.0;
  }
  return std::clamp((static_cast<double>(value) - FMin) / (static_cast<double>(FMax) - FMin), 0.0, 1.0);
}

void TZelDialModel::SetValue(float value) {
  value = std::clamp(value, FMin, FMax);
  FPosition = ValueToPosition(value);
  if (value == FValue) {
    return;
  }
  FValue = value;
  Invalidate();
  Changed();
}

void TZelDialModel::SetMin(float value) {
  if (value > FMax) {
    throw std::invalid_argument("Invalid dial range: minimum above maximum");
  }
  FMin = value;
  RangeChanged();
}

void TZelDialModel::SetMax(float value) {
  if (value < FMin) {
    throw std::invalid_argument("Invalid dial range: maximum below minimum");
  }
  FMax = value;
  RangeChanged();
}

void TZelDialModel::RangeChanged() {
  FDefaultValue = std::clamp(FDefaultValue, FMin, FMax);
  SetValue(FValue);
  FPosition = ValueToPosition(FValue);
}

void TZelDialModel::SetDefaultValue(float value) {
  FDefaultValue = std::clamp(value, FMin, FMax);
}

int32_t TZelDialModel::Frame() const {
  return static_cast<int32_t>(RoundHalfEven((FrameCount - 1) * FPosition));
}

void TZelDialModel::SetPosition(double position) {
  FPosition = std::clamp(position, 0.0, 1.0);
  const float value = static_cast<float>(FMin + FPosition * (static_cast<double>(FMax) - FMin));
  if (value != FValue) {
    FValue = value;
    Changed();
  }
  Invalidate();
}

// The knob moves twice by the step, clamped each time, so a drag covers 2/ScrollRange per pixel.
void TZelDialModel::MovePosition(double delta) {
  double position = std::clamp(FPosition + delta, 0.0, 1.0);
  position = std::clamp(position + delta, 0.0, 1.0);
  SetPosition(position);
}

void TZelDialModel::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  // The drag always starts from the press point, also after a consumed press: the dial follows a
  // held left button either way, and a stale point would make it jump.
  FLastX = x;
  FLastY = y;
  if (!AskBeforeMouseDown(button, shift, x, y)) {
    return;
  }
  if (button == mbRight && InShift(shift, ssCtrl)) {
    SetValue(FDefaultValue);
  }
}

void TZelDialModel::MouseMove(TShiftState shift, int32_t x, int32_t y) {
  if (!InShift(shift, ssLeft) || ScrollRange == 0.0f) {
    return;
  }
  double d = FLastY - y;
  if (InShift(shift, ssShift)) {
    d *= FineFactor;
  }
  FLastX = x;
  FLastY = y;
  if (d != 0.0) {
    MovePosition(d / ScrollRange);
  }
}

void TZelDialModel::MouseWheel(int32_t delta, TShiftState shift) {
  if (delta == 0 || ScrollRange == 0.0f) {
    return;
  }
  double step = static_cast<double>(delta) * WheelStep;
  if (InShift(shift, ssShift)) {
    step *= FineFactor;
  }
  MovePosition(step / (static_cast<double>(ScrollRange) * WheelDeltaPerNotch));
}
