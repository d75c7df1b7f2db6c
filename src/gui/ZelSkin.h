// ZelSkin: the five editor styles ("Carbon" ... "Smokey Quartz Kamri") as colour schemes, by index and name.
#pragma once

#include "gui/ZelTypes.h"

#include <array>
#include <string>
#include <string_view>

// Colours a style gives the toolkit parts (window, panels, buttons, menus, edits) and the maker's controls.
struct TZelSkin {
  int32_t Index = 0;
  std::string_view Name;

  // Generic style colours.
  TColor WindowBackground;  // behind the panels, the tiled background's mean tone
  TColor PanelColor;        // panels
  TColor PanelGroupColor;   // category panel groups
  TColor GenericBackground; // generic control background
  TColor BorderColor;       // window and control borders
  TColor HintGradientBase;  // panel outlines
  TColor WindowText;
  TColor ButtonFace;
  TColor ButtonFaceHot;
  TColor ButtonFacePressed;
  TColor ButtonText;
  TColor ButtonTextPressed;
  TColor ButtonBorder;
  TColor EditBackground;
  TColor EditText;
  TColor SelectionBackground;
  TColor SelectionText;
  TColor MenuBackground;
  TColor MenuText;
  TColor MenuHighlight;
  TColor MenuHighlightText;
  TColor MenuDisabledText;
  TColor CaptionBackground; // title strip of the in-editor dialogs
  TColor CaptionText;

  // Piano keyboard.
  TColor KeysBorder;
  TColor KeysPressed;
  TColor KeysText;
  TColor KeysPinned;

  // Slider and numeric input.
  TColor ValueBorder;
  TColor ValueBackground;
  TColor ValueText;
  TColor ValueRandomBar;
  TColor ValueBar; // the slider's value bar and the numeric input's highlight

  // Horizontal rule.
  TColor LineColor;
};

namespace ZelSkins {
inline constexpr int32_t Count = 5;

// The style for an index; any index outside 0..4 is "Carbon".
const TZelSkin& ByIndex(int32_t index);
// The style of that exact name, or null.
const TZelSkin* ByName(std::string_view name);
// "Carbon", "Amakrits", "Light", "Luna", "Smokey Quartz Kamri".
std::string_view StyleName(int32_t index);
// The captions of the editor's Skin menu: "Carbon", "Dark", "Light", "Luna", "Smokey".
std::string_view MenuCaption(int32_t index);
} // namespace ZelSkins

// The palette of the piano keyboard for a style (null = the system look).
struct TZelKeysPalette {
  TColor BlackKey = RGBColor(0x33, 0x33, 0x33);
  TColor WhiteKey = RGBColor(0xF8, 0xF8, 0xF8);
  TColor Border = 0x000000;
  TColor Pressed = RGBColor(0x80, 0x80, 0x80);
  TColor KeyText = 0x000000;
  TColor Pinned = RGBColor(0x80, 0x80, 0x80);
};
TZelKeysPalette KeysPaletteFor(const TZelSkin* skin);
