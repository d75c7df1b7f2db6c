// ZelLookAndFeel: one JUCE look-and-feel per editor style, drawing every text with the embedded DejaVu faces.
#pragma once

#include "gui/ZelSkin.h"

#include <juce_gui_basics/juce_gui_basics.h>

juce::Colour ToColour(TColor color, uint8_t alpha = 0xFF);

class TZelLookAndFeel : public juce::LookAndFeel_V4 {
public:
  // Null is the system look (light, neutral).
  explicit TZelLookAndFeel(const TZelSkin* skin);

  const TZelSkin* Skin() const { return FSkin; }
  // A colour of the style, or the system look's equivalent.
  TColor WindowText() const;
  TColor ButtonFace() const;
  TColor PanelColor() const;

  juce::Typeface::Ptr getTypefaceForFont(const juce::Font& font) override;
  void drawPopupMenuItem(juce::Graphics& g, const juce::Rectangle<int>& area, bool isSeparator, bool isActive,
                         bool isHighlighted, bool isTicked, bool hasSubMenu, const juce::String& text,
                         const juce::String& shortcutKeyText, const juce::Drawable* icon,
                         const juce::Colour* textColour) override;
  juce::Font getPopupMenuFont() override;
  juce::Font getTextButtonFont(juce::TextButton& button, int buttonHeight) override;
  juce::Font getLabelFont(juce::Label& label) override;
  void drawButtonBackground(juce::Graphics& g, juce::Button& button, const juce::Colour& backgroundColour,
                            bool highlighted, bool down) override;

  // Popup entries in this colour are drawn bold in the menu's own text colour.
  static inline const juce::Colour BoldMarker{0xFF000001};

private:
  const TZelSkin* FSkin;
  bool FBoldItem = false;
};

// The style of the look-and-feel a component draws with; null for the system look.
const TZelSkin* SkinOf(const juce::Component& component);

namespace ZelFonts {
// The embedded faces; every font name ("Segoe UI", "Tahoma", "Arial", ...) maps onto them.
juce::Typeface::Ptr Regular();
juce::Typeface::Ptr Bold();
// A font whose em size is pixelSize pixels, as the designs give their fonts.
juce::Font Make(const juce::String& name, float pixelSize, bool bold = false);
// Drops the faces (before JUCE shuts down).
void Release();
} // namespace ZelFonts
