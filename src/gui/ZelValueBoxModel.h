// ZelValueBoxModel: what the boxed value controls (slider, numeric input) share: frame and text colours from
// the style's value colours, and the whole-number range.
#pragma once

#include "gui/ZelControlModel.h"
#include "gui/ZelSkin.h"
#include "gui/ZelTypes.h"
#include "gui/ZelValueRange.h"

class TZelValueBoxModel : public TZelControlModel {
public:
  int32_t MinValue() const { return FRange.Min(); }
  int32_t MaxValue() const { return FRange.Max(); }

  int32_t BorderWidth = 1;
  TColor Color = RGBColor(0xFF, 0xFF, 0xFF);
  TColor BorderColor = RGBColor(0x64, 0x64, 0x64);
  TColor FontColor = RGBColor(0x00, 0x00, 0x00);

protected:
  // The frame, background and text take the style's value colours; the bar colour is the control's own.
  void TakeBoxStyle(const TZelSkin& skin) {
    BorderWidth = 1;
    BorderColor = skin.ValueBorder;
    Color = skin.ValueBackground;
    FontColor = skin.ValueText;
  }

  TZelValueRange FRange;
};
