#include "gui/ZelSliderModel.h"

#include "gui/ZelGuiText.h"

#include <algorithm>

void TZelSliderModel::SetValue(float value) {
  value = FRange.Clamp(value);
  if (value == FValue) {
    return;
  }
  FValue = value;
  if (FValue + FRandom > FRange.Max()) {
    FRandom = FRange.Max() - FValue;
    if (OnChangeRandom) {
      OnChangeRandom(FSender);
    }
  }
  Invalidate();
  Changed();
}

void TZelSliderModel::SetRandom(float random) {
  if (random < 0.0f) {
    random = 0.0f;
  }
  if (FValue + random > FRange.Max()) {
    random = FRange.Max() - FValue;
  }
  if (random == FRandom) {
    return;
  }
  FRandom = random;
  Invalidate();
  if (OnChangeRandom) {
    OnChangeRandom(FSender);
  }
}

void TZelSliderModel::SetMinValue(int32_t value) {
  FRange.SetMin(value);
  RangeChanged();
}

void TZelSliderModel::SetMaxValue(int32_t value) {
  FRange.SetMax(value);
  RangeChanged();
}

void TZelSliderModel::RangeChanged() {
  FValue = FRange.Clamp(FValue);
  FRandom = std::clamp(FRandom, 0.0f, FRange.Max() - FValue);
  Invalidate();
}

void TZelSliderModel::SetStyle(const TZelSkin* skin) {
  if (skin == nullptr) {
    return;
  }
  TakeBoxStyle(*skin);
  RandomColor = skin->ValueRandomBar;
  ValueColor = skin->ValueBar;
  Invalidate();
}

float TZelSliderModel::PositionToValue(int32_t x) const {
  const int32_t track = FWidth - 2 * BorderWidth;
  if (track <= 0) {
    return FValue;
  }
  double position = x;
  if (FPress.Fine && FPress.AnchorX >= 0 && FRange.Max() > FRange.Min()) {
    position = FPress.AnchorX + (x - FPress.AnchorX) / ((FRange.Max() - FRange.Min()) / FineRangeUnits);
  }
  return static_cast<float>(RoundHalfEven((position - BorderWidth) / track * FRange.Max()));
}

void TZelSliderModel::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  const bool proceed = AskBeforeMouseDown(button, shift, x, y);
  FLastContinue = proceed;
  if (!proceed || button != mbLeft) {
    return;
  }
  FPress = TMouseDownInfo{};
  FPress.AnchorX = x;
  if (x < BorderWidth - 1 || x > FWidth - BorderWidth - 1) {
    return;
  }
  if (InShift(shift, ssAlt)) {
    FPress.RandomDrag = true;
    SetRandom(PositionToValue(x) - FValue);
  } else {
    SetValue(PositionToValue(x));
  }
}

void TZelSliderModel::MouseMove(TShiftState shift, int32_t x, int32_t /*y*/) {
  if (!FLastContinue) {
    return;
  }
  if (InShift(shift, ssShift) && !FPress.Fine) {
    FPress.Fine = true;
    FPress.AnchorX = x;
  }
  FPress.Moved = true;
  if (!InShift(shift, ssLeft)) {
    return;
  }
  if (FPress.RandomDrag) {
    SetRandom(PositionToValue(x) - FValue);
  } else {
    SetValue(PositionToValue(x));
  }
}

void TZelSliderModel::MouseUp() {
  FPress = TMouseDownInfo{};
}

void TZelSliderModel::MouseWheel(int32_t delta, TShiftState shift) {
  if (delta == 0) {
    return;
  }
  const float step = delta > 0 ? WheelStep : -WheelStep;
  if (InShift(shift, ssAlt)) {
    SetRandom(FRandom + step);
  } else {
    SetValue(FValue + step);
  }
}

int32_t TZelSliderModel::BarEdge(double value) const {
  if (FRange.Max() == 0) {
    return BorderWidth;
  }
  return BorderWidth + static_cast<int32_t>(RoundHalfEven(value / FRange.Max() * (FWidth - 2 * BorderWidth)));
}

int32_t TZelSliderModel::ValueBarRight() const {
  return BarEdge(FValue);
}

int32_t TZelSliderModel::RandomBarRight() const {
  if (!UseRandom || FRandom <= 0.0f) {
    return ValueBarRight();
  }
  float r = FRandom;
  if (static_cast<float>(FRange.Max() - FRange.Min()) < FValue + FRandom) {
    r = (FRange.Max() - FRange.Min()) - FValue;
  }
  if (r <= 0.0f) {
    return ValueBarRight();
  }
  return BarEdge(static_cast<double>(FValue) + r);
}

std::string TZelSliderModel::Text() const {
  if (!ShowText) {
    return {};
  }
  std::string text = ZelGuiText::FloatToText(FValue);
  if (OnGetText) {
    OnGetText(FSender, FValue, FRandom, text);
  }
  return text;
}

void TZelSliderModel::BuildPopup(TZelPopupMenu& popup) {
  popup.Items().Clear();
  if (OnPopulatePopupMenu) {
    OnPopulatePopupMenu(FSender, popup);
    return;
  }
  TZelMenuGroups groups(popup, GroupTag);
  for (int32_t a = FRange.Min(); a <= FRange.Max(); ++a) {
    std::string caption = ZelGuiText::IntToText(a);
    if (OnGetText) {
      OnGetText(FSender, static_cast<float>(a), 0.0f, caption);
    }
    TZelMenuItem* parent = &popup.Items();
    if (OnGetPopupGroup) {
      std::string wanted;
      OnGetPopupGroup(FSender, a, wanted);
      parent = &groups.ParentFor(wanted);
    }
    parent->Add(caption, a, [this](TZelMenuItem& item) { SetValue(static_cast<float>(item.Tag)); });
  }
}

void TZelSliderModel::PreparePopup(TZelPopupMenu& popup) {
  if (!OnPopulatePopupMenu) {
    CheckByTag(popup, static_cast<int32_t>(RoundHalfEven(FValue)), nullptr, true);
  }
}
