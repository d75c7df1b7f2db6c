// ZelSliderModel: the slider's rules without a display: value and random range, drag, fine mode, wheel, bars.
#pragma once

#include "gui/ZelPopupMenu.h"
#include "gui/ZelSkin.h"
#include "gui/ZelTypes.h"
#include "gui/ZelValueBoxModel.h"

#include <functional>
#include <string>

using TZelSliderGetTextEvent =
    std::function<void(TObject* sender, float value, float random, std::string& text)>;
using TZelSliderGetPopupGroupEvent =
    std::function<void(TObject* sender, int32_t value, std::string& groupCaption)>;
using TZelSliderOnPopulatePopupMenuEvent = std::function<void(TObject* sender, TZelPopupMenu& popup)>;

// The press record of one drag.
struct TMouseDownInfo {
  bool RandomDrag = false;
  bool Moved = false;
  int32_t AnchorX = -1;
  bool Fine = false;
};

class TZelSliderModel : public TZelValueBoxModel {
public:
  static constexpr float WheelStep = 0.25f;
  // Fine mode moves the value as if the range were this many units wide.
  static constexpr double FineRangeUnits = 25.0;
  // Tag of the group submenus of the popup list, so they never check with a value.
  static constexpr int32_t GroupTag = -1;

  TNotifyEvent OnChangeRandom;
  TZelSliderGetTextEvent OnGetText;
  TZelSliderGetPopupGroupEvent OnGetPopupGroup;
  TZelSliderOnPopulatePopupMenuEvent OnPopulatePopupMenu;

  float Value() const { return FValue; }
  float Random() const { return FRandom; }
  void SetValue(float value);
  void SetRandom(float random);
  // Pull the value into the new range without events.
  void SetMinValue(int32_t value);
  void SetMaxValue(int32_t value);

  bool UseRandom = false;
  bool ShowText = true;
  TColor ValueColor = RGBColor(0x99, 0xB4, 0xD1);
  TColor RandomColor = RGBColor(0xC0, 0xDC, 0xC0);
  // Colours chosen once from the style (null leaves the designed colours).
  void SetStyle(const TZelSkin* skin);

  void SetBounds(int32_t width, int32_t height) {
    FWidth = width;
    FHeight = height;
  }
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }

  // Mouse position to value, whole numbers, fine mode applied.
  float PositionToValue(int32_t x) const;
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  void MouseMove(TShiftState shift, int32_t x, int32_t y);
  void MouseUp();
  // delta > 0 is up; only while the pointer is over the slider.
  void MouseWheel(int32_t delta, TShiftState shift);
  const TMouseDownInfo& PressInfo() const { return FPress; }
  bool LastContinue() const { return FLastContinue; }

  // Drawing: right edges (exclusive) of the value and random bars; the random bar is empty when its
  // right edge is not past the value bar's.
  int32_t ValueBarRight() const;
  int32_t RandomBarRight() const;
  std::string Text() const;

  // The default popup list: entries MinValue..MaxValue, grouped by OnGetPopupGroup.
  void BuildPopup(TZelPopupMenu& popup);
  // Before the popup opens: check the entry of round(Value) and its groups.
  void PreparePopup(TZelPopupMenu& popup);

private:
  int32_t BarEdge(double value) const;
  void RangeChanged();

  float FValue = 0.0f;
  float FRandom = 0.0f;
  int32_t FWidth = 100;
  int32_t FHeight = 24;
  bool FLastContinue = true;
  TMouseDownInfo FPress;
};
