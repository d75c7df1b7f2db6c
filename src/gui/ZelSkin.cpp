#include "gui/ZelSkin.h"

#include <cmath>

TColor DarkenColor(TColor color, int percent) {
  auto darken = [percent](uint32_t component) {
    double reduced = component - component * percent / 100.0;
    return static_cast<uint32_t>(RoundHalfEven(reduced));
  };
  return RGBColor(darken(RedOf(color)), darken(GreenOf(color)), darken(BlueOf(color)));
}

namespace {
constexpr TColor C(uint32_t rgb) {
  return rgb;
}

// Dark styles keep the controls' figures readable on #202020-ish backgrounds; light ones mirror them.
const std::array<TZelSkin, ZelSkins::Count> Skins = {{
    {0,
     "Carbon",
     /*WindowBackground*/ C(0x202020),
     /*Panel*/ C(0x2B2B2B),
     /*PanelGroup*/ C(0x333333),
     /*GenericBackground*/ C(0x2B2B2B),
     /*Border*/ C(0x515151),
     /*HintGradientBase*/ C(0x3F3F3F),
     /*WindowText*/ C(0xECECEC),
     /*ButtonFace*/ C(0x3A3A3A),
     /*ButtonFaceHot*/ C(0x474747),
     /*ButtonFacePressed*/ C(0x2C708E),
     /*ButtonText*/ C(0xECECEC),
     /*ButtonTextPressed*/ C(0xFFFFFF),
     /*ButtonBorder*/ C(0x5A5A5A),
     /*EditBackground*/ C(0x353535),
     /*EditText*/ C(0xECECEC),
     /*SelectionBackground*/ C(0x2C708E),
     /*SelectionText*/ C(0xFFFFFF),
     /*MenuBackground*/ C(0x2B2B2B),
     /*MenuText*/ C(0xECECEC),
     /*MenuHighlight*/ C(0x2C708E),
     /*MenuHighlightText*/ C(0xFFFFFF),
     /*MenuDisabledText*/ C(0x7A7A7A),
     /*CaptionBackground*/ C(0x1A1A1A),
     /*CaptionText*/ C(0xECECEC),
     /*Keys*/ C(0x3A3A3A),
     C(0x618D23),
     C(0xECECEC),
     C(0x2C708E),
     /*Value*/ C(0x808080),
     C(0x353535),
     C(0xECECEC),
     C(0x618D23),
     C(0x2C708E),
     /*Line*/ C(0x515151)},
    {1,           "Amakrits",  C(0x1E1E1E), C(0x262626), C(0x2E2E2E), C(0x262626), C(0x454545), C(0x3A3A3A),
     C(0xECECEC), C(0x333333), C(0x3E3E3E), C(0x369E8E), C(0xECECEC), C(0xFFFFFF), C(0x4A4A4A), C(0x272727),
     C(0xECECEC), C(0x369E8E), C(0xFFFFFF), C(0x262626), C(0xECECEC), C(0x369E8E), C(0xFFFFFF), C(0x737373),
     C(0x161616), C(0xECECEC), C(0x303030), C(0x40BCAA), C(0xECECEC), C(0x369E8E), C(0x454545), C(0x272727),
     C(0xECECEC), C(0x40BCAA), C(0x369E8E), C(0x616161)},
    {2,           "Light",     C(0xE8E8E8), C(0xF3F3F3), C(0xEBEBEB), C(0xFFFFFF), C(0xC6C6C6), C(0xD9D9D9),
     C(0x333333), C(0xF0F0F0), C(0xE3EEF7), C(0xA2C7E4), C(0x333333), C(0x1A1A1A), C(0xADADAD), C(0xFDFDFD),
     C(0x333333), C(0xA2C7E4), C(0x1A1A1A), C(0xFAFAFA), C(0x333333), C(0xC9DFEF), C(0x1A1A1A), C(0xA0A0A0),
     C(0xDADADA), C(0x333333), C(0x828282), C(0xC9DFEF), C(0x333333), C(0xA2C7E4), C(0x939393), C(0xFDFDFD),
     C(0x333333), C(0xC9DFEF), C(0xA2C7E4), C(0xC6C6C6)},
    {3,           "Luna",      C(0xC3D5EC), C(0xD2E0F1), C(0xDCE7F5), C(0xEEF3FA), C(0x8DA6C8), C(0x9DB5D6),
     C(0x333333), C(0xF3F7FC), C(0xFDEBB5), C(0xF8C12A), C(0x333333), C(0x1A1A1A), C(0x8DA6C8), C(0xFFFFFF),
     C(0x333333), C(0xF8C12A), C(0x1A1A1A), C(0xF6F9FD), C(0x333333), C(0xFAD56E), C(0x1A1A1A), C(0x9A9A9A),
     C(0xA9C4E6), C(0x1E395B), C(0x828282), C(0xFAD56E), C(0x333333), C(0xF8C12A), C(0x939393), C(0xD2E0F1),
     C(0x333333), C(0xFAD56E), C(0xF8C12A), C(0xF0F0F0)},
    {4,           "Smokey Quartz Kamri", C(0xD8D4D2), C(0xE5E5E5), C(0xEDEAE8), C(0xF5F3F2),
     C(0xA9A19C), C(0xB8AFAA),           C(0x333333), C(0xF2F0EF), C(0xF9DCCF), C(0xF28A60),
     C(0x333333), C(0x1A1A1A),           C(0xA9A19C), C(0xFFFFFF), C(0x333333), C(0xF28A60),
     C(0x1A1A1A), C(0xF7F5F4),           C(0x333333), C(0xF4A786), C(0x1A1A1A), C(0x9A9A9A),
     C(0xC9C0BB), C(0x333333),           C(0x828282), C(0xF4A786), C(0x333333), C(0xF28A60),
     C(0x939393), C(0xE5E5E5),           C(0x333333), C(0xF4A786), C(0xF28A60), C(0xF0F0F0)},
}};

constexpr std::array<std::string_view, ZelSkins::Count> MenuCaptions = {"Carbon", "Dark", "Light", "Luna",
                                                                        "Smokey"};
} // namespace

namespace ZelSkins {
const TZelSkin& ByIndex(int32_t index) {
  if (index < 0 || index >= Count) {
    return Skins[0];
  }
  return Skins[static_cast<size_t>(index)];
}

const TZelSkin* ByName(std::string_view name) {
  for (const TZelSkin& skin : Skins) {
    if (skin.Name == name) {
      return &skin;
    }
  }
  return nullptr;
}

std::string_view StyleName(int32_t index) {
  return ByIndex(index).Name;
}

std::string_view MenuCaption(int32_t index) {
  if (index < 0 || index >= Count) {
    return MenuCaptions[0];
  }
  return MenuCaptions[static_cast<size_t>(index)];
}
} // namespace ZelSkins

TZelKeysPalette KeysPaletteFor(const TZelSkin* skin) {
  TZelKeysPalette palette;
  if (skin != nullptr) {
    palette.Border = skin->KeysBorder;
    palette.Pressed = skin->KeysPressed;
    palette.KeyText = skin->KeysText;
    palette.Pinned = skin->KeysPinned;
  }
  return palette;
}
