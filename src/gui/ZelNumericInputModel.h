// ZelNumericInputModel: the numeric input's rules without a display: clamping, vertical drag, wheel, popup
// list.
#pragma once

#include "gui/ZelPopupMenu.h"
#include "gui/ZelSkin.h"
#include "gui/ZelTypes.h"
#include "gui/ZelValueBoxModel.h"

#include <functional>
#include <string>

using TZelNumericInputGetTextEvent = std::function<void(TObject* sender, float value, std::string& text)>;
using TZelNumericGetPopupGroupEvent =
    std::function<void(TObject* sender, int32_t value, std::string& groupCaption)>;
using TZelNumericInputPopupMenuEvent = std::function<void(TObject* sender, TZelPopupMenu& popup)>;

class TZelNumericInputModel : public TZelValueBoxModel {
public:
  static constexpr float DragStep = 0.25f;
  static constexpr float FineDragStep = 0.05f;
  static constexpr float WheelStep = 0.125f;
  static constexpr int32_t GroupTag = -999;

  TZelNumericInputGetTextEvent OnGetText;
  TZelNumericGetPopupGroupEvent OnGetPopupGroup;
  TZelNumericInputPopupMenuEvent OnPopulatePopupMenu;
  TZelNumericInputPopupMenuEvent OnPopupPopupMenu;

  float Value() const { return FValue; }
  int32_t ValueAsInteger() const { return static_cast<int32_t>(RoundHalfEven(FValue)); }
  void SetValue(float value);
  void SetMinValue(int32_t value);
  void SetMaxValue(int32_t value);

  bool Center = true;
  bool Highlight = false;
  TColor HighlightColor = RGBColor(0x00, 0x00, 0x00);
  void SetStyle(const TZelSkin* skin);
  TColor FillColor() const { return Highlight ? HighlightColor : Color; }

  // True when the press starts a vertical drag (the component shows the resize cursor).
  bool MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  void MouseMove(TShiftState shift, int32_t y);
  void MouseUp() { FAnchorY = -1; }
  void MouseWheel(int32_t delta);
  int32_t AnchorY() const { return FAnchorY; }

  std::string Text() const;

  // Entries MaxValue down to MinValue, padded with figure spaces so the numbers line up.
  void BuildPopupMenu(TZelPopupMenu& popup);
  void PreparePopup(TZelPopupMenu& popup);

private:
  float FValue = 0.0f;
  int32_t FAnchorY = -1;
  bool FLastContinue = true;
};
