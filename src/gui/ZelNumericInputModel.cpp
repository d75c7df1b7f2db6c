#include "gui/ZelNumericInputModel.h"

#include "gui/ZelGuiText.h"

void TZelNumericInputModel::SetValue(float value) {
  value = FRange.Clamp(value);
  if (value == FValue) {
    return;
  }
  FValue = value;
  Invalidate();
  Changed();
}

void TZelNumericInputModel::SetMinValue(int32_t value) {
  FRange.SetMin(value);
  FValue = FRange.Clamp(FValue);
  Invalidate();
}

void TZelNumericInputModel::SetMaxValue(int32_t value) {
  FRange.SetMax(value);
  FValue = FRange.Clamp(FValue);
  Invalidate();
}

void TZelNumericInputModel::SetStyle(const TZelSkin* skin) {
  if (skin == nullptr) {
    return;
  }
  TakeBoxStyle(*skin);
  HighlightColor = skin->ValueBar;
  Invalidate();
}

bool TZelNumericInputModel::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  const bool proceed = AskBeforeMouseDown(button, shift, x, y);
  FLastContinue = proceed;
  if (!proceed || button != mbLeft) {
    return false;
  }
  FAnchorY = y;
  return true;
}

void TZelNumericInputModel::MouseMove(TShiftState shift, int32_t y) {
  if (!FLastContinue || !InShift(shift, ssLeft) || FAnchorY < 0) {
    return;
  }
  const float step = InShift(shift, ssShift) ? FineDragStep : DragStep;
  if (y < FAnchorY) {
    SetValue(FValue + step);
  } else if (y > FAnchorY) {
    SetValue(FValue - step);
  }
  FAnchorY = y;
}

void TZelNumericInputModel::MouseWheel(int32_t delta) {
  if (delta > 0) {
    SetValue(FValue + WheelStep);
  } else if (delta < 0) {
    SetValue(FValue - WheelStep);
  }
}

std::string TZelNumericInputModel::Text() const {
  std::string text = ZelGuiText::FloatToText(FValue);
  if (OnGetText) {
    OnGetText(FSender, FValue, text);
  }
  return text;
}

void TZelNumericInputModel::BuildPopupMenu(TZelPopupMenu& popup) {
  popup.Items().Clear();
  const int32_t width = static_cast<int32_t>(std::to_string(FRange.Max()).size());
  TZelMenuGroups groups(popup, GroupTag);
  for (int32_t a = FRange.Max(); a >= FRange.Min(); --a) {
    std::string caption = ZelGuiText::IntToText(a);
    if (OnGetText) {
      OnGetText(FSender, static_cast<float>(a), caption);
    }
    caption = ZelGuiText::PadWithFigureSpaces(caption, width);
    TZelMenuItem* parent = &popup.Items();
    if (OnGetPopupGroup) {
      std::string wanted;
      OnGetPopupGroup(FSender, a, wanted);
      parent = &groups.ParentFor(wanted);
    }
    parent->Add(caption, a, [this](TZelMenuItem& item) { SetValue(static_cast<float>(item.Tag)); });
  }
  if (OnPopulatePopupMenu) {
    OnPopulatePopupMenu(FSender, popup);
  }
}

void TZelNumericInputModel::PreparePopup(TZelPopupMenu& popup) {
  CheckByTag(popup, ValueAsInteger(), nullptr, true);
  if (OnPopupPopupMenu) {
    OnPopupPopupMenu(FSender, popup);
  }
}
