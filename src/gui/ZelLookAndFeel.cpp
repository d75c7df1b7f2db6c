#include "gui/ZelLookAndFeel.h"

namespace TriaxoEmbeddedFonts {
extern const unsigned char DejaVuSans[];
extern const std::size_t DejaVuSansSize;
extern const unsigned char DejaVuSansBold[];
extern const std::size_t DejaVuSansBoldSize;
} // namespace TriaxoEmbeddedFonts

juce::Colour ToColour(TColor color, uint8_t alpha) {
  return juce::Colour(static_cast<juce::uint8>(RedOf(color)), static_cast<juce::uint8>(GreenOf(color)),
                      static_cast<juce::uint8>(BlueOf(color)), static_cast<juce::uint8>(alpha));
}

namespace {
juce::Typeface::Ptr& RegularFace() {
  static juce::Typeface::Ptr face;
  return face;
}
juce::Typeface::Ptr& BoldFace() {
  static juce::Typeface::Ptr face;
  return face;
}

// The system look: the light neutral colours of a desktop without styles.
constexpr TColor SystemWindowText = 0x000000;
constexpr TColor SystemButtonFace = 0xF0F0F0;
constexpr TColor SystemWindow = 0xFFFFFF;
constexpr TColor SystemHighlight = 0x0078D7;
} // namespace

namespace ZelFonts {
juce::Typeface::Ptr Regular() {
  if (RegularFace() == nullptr) {
    RegularFace() = juce::Typeface::createSystemTypefaceFor(TriaxoEmbeddedFonts::DejaVuSans,
                                                            TriaxoEmbeddedFonts::DejaVuSansSize);
  }
  return RegularFace();
}

juce::Typeface::Ptr Bold() {
  if (BoldFace() == nullptr) {
    BoldFace() = juce::Typeface::createSystemTypefaceFor(TriaxoEmbeddedFonts::DejaVuSansBold,
                                                         TriaxoEmbeddedFonts::DejaVuSansBoldSize);
  }
  return BoldFace();
}

juce::Font Make(const juce::String& name, float pixelSize, bool bold) {
  juce::Font font(name, pixelSize, bold ? juce::Font::bold : juce::Font::plain);
  return font.withPointHeight(pixelSize);
}

void Release() {
  RegularFace() = nullptr;
  BoldFace() = nullptr;
}
} // namespace ZelFonts

TZelLookAndFeel::TZelLookAndFeel(const TZelSkin* skin) : FSkin(skin) {
  if (skin == nullptr) {
    setColourScheme(getLightColourScheme());
  } else {
    const bool dark = (RedOf(skin->WindowBackground) + GreenOf(skin->WindowBackground) +
                       BlueOf(skin->WindowBackground)) < 3 * 0x80;
    auto scheme = dark ? getDarkColourScheme() : getLightColourScheme();
    using UI = juce::LookAndFeel_V4::ColourScheme::UIColour;
    scheme.setUIColour(UI::windowBackground, ToColour(skin->WindowBackground));
    scheme.setUIColour(UI::widgetBackground, ToColour(skin->ButtonFace));
    scheme.setUIColour(UI::menuBackground, ToColour(skin->MenuBackground));
    scheme.setUIColour(UI::outline, ToColour(skin->BorderColor));
    scheme.setUIColour(UI::defaultText, ToColour(skin->WindowText));
    scheme.setUIColour(UI::defaultFill, ToColour(skin->ButtonFacePressed));
    scheme.setUIColour(UI::highlightedText, ToColour(skin->MenuHighlightText));
    scheme.setUIColour(UI::highlightedFill, ToColour(skin->MenuHighlight));
    scheme.setUIColour(UI::menuText, ToColour(skin->MenuText));
    setColourScheme(scheme);
  }
  const TColor editBackground = skin ? skin->EditBackground : SystemWindow;
  const TColor editText = skin ? skin->EditText : SystemWindowText;
  const TColor border = skin ? skin->BorderColor : 0x7A7A7A;
  const TColor selection = skin ? skin->SelectionBackground : SystemHighlight;
  setColour(juce::TextEditor::backgroundColourId, ToColour(editBackground));
  setColour(juce::TextEditor::textColourId, ToColour(editText));
  setColour(juce::TextEditor::outlineColourId, ToColour(border));
  setColour(juce::TextEditor::focusedOutlineColourId, ToColour(selection));
  setColour(juce::TextEditor::highlightColourId, ToColour(selection, 0xA0));
  setColour(juce::TextEditor::highlightedTextColourId, ToColour(skin ? skin->SelectionText : 0xFFFFFF));
  setColour(juce::CaretComponent::caretColourId, ToColour(editText));
  setColour(juce::Label::textColourId, ToColour(WindowText()));
  setColour(juce::TextButton::buttonColourId, ToColour(ButtonFace()));
  setColour(juce::TextButton::buttonOnColourId, ToColour(skin ? skin->ButtonFacePressed : 0xCCE4F7));
  setColour(juce::TextButton::textColourOffId, ToColour(skin ? skin->ButtonText : SystemWindowText));
  setColour(juce::TextButton::textColourOnId, ToColour(skin ? skin->ButtonTextPressed : SystemWindowText));
  setColour(juce::ComboBox::outlineColourId, ToColour(border));
  setColour(juce::ToggleButton::textColourId, ToColour(WindowText()));
  setColour(juce::ToggleButton::tickColourId, ToColour(WindowText()));
  setColour(juce::ToggleButton::tickDisabledColourId, ToColour(border));
  setColour(juce::PopupMenu::backgroundColourId, ToColour(skin ? skin->MenuBackground : SystemWindow));
  setColour(juce::PopupMenu::textColourId, ToColour(skin ? skin->MenuText : SystemWindowText));
  setColour(juce::PopupMenu::highlightedBackgroundColourId, ToColour(skin ? skin->MenuHighlight : 0x91C9F7));
  setColour(juce::PopupMenu::highlightedTextColourId,
            ToColour(skin ? skin->MenuHighlightText : SystemWindowText));
  setColour(juce::ResizableWindow::backgroundColourId,
            ToColour(skin ? skin->WindowBackground : SystemButtonFace));
}

TColor TZelLookAndFeel::WindowText() const {
  return FSkin ? FSkin->WindowText : SystemWindowText;
}
TColor TZelLookAndFeel::ButtonFace() const {
  return FSkin ? FSkin->ButtonFace : SystemButtonFace;
}
TColor TZelLookAndFeel::PanelColor() const {
  return FSkin ? FSkin->PanelColor : SystemButtonFace;
}

juce::Typeface::Ptr TZelLookAndFeel::getTypefaceForFont(const juce::Font& font) {
  // Every family maps onto the embedded faces: hosts without fonts still show text, and renders match.
  return font.isBold() ? ZelFonts::Bold() : ZelFonts::Regular();
}

juce::Font TZelLookAndFeel::getPopupMenuFont() {
  return ZelFonts::Make("Segoe UI", 12.0f, FBoldItem);
}

juce::Font TZelLookAndFeel::getTextButtonFont(juce::TextButton&, int) {
  return ZelFonts::Make("Segoe UI", 12.0f);
}

juce::Font TZelLookAndFeel::getLabelFont(juce::Label& label) {
  return label.getFont();
}

void TZelLookAndFeel::drawPopupMenuItem(juce::Graphics& g, const juce::Rectangle<int>& area, bool isSeparator,
                                        bool isActive, bool isHighlighted, bool isTicked, bool hasSubMenu,
                                        const juce::String& text, const juce::String& shortcutKeyText,
                                        const juce::Drawable* icon, const juce::Colour* textColour) {
  // Bold entries (the active MIDI mode) arrive with a marker colour; everything else is the stock drawing.
  FBoldItem = textColour != nullptr && *textColour == BoldMarker;
  LookAndFeel_V4::drawPopupMenuItem(g, area, isSeparator, isActive, isHighlighted, isTicked, hasSubMenu, text,
                                    shortcutKeyText, icon, FBoldItem ? nullptr : textColour);
  FBoldItem = false;
}

void TZelLookAndFeel::drawButtonBackground(juce::Graphics& g, juce::Button& button,
                                           const juce::Colour& backgroundColour, bool highlighted,
                                           bool down) {
  auto bounds = button.getLocalBounds().toFloat().reduced(0.5f);
  juce::Colour fill = backgroundColour;
  if (FSkin != nullptr) {
    fill = ToColour(down ? FSkin->ButtonFacePressed : highlighted ? FSkin->ButtonFaceHot : FSkin->ButtonFace);
  } else if (down) {
    fill = fill.darker(0.15f);
  } else if (highlighted) {
    fill = fill.brighter(0.05f);
  }
  if (!button.isEnabled()) {
    fill = fill.withMultipliedAlpha(0.6f);
  }
  g.setColour(fill);
  g.fillRoundedRectangle(bounds, 2.0f);
  g.setColour(ToColour(FSkin ? FSkin->ButtonBorder : 0xADADAD));
  g.drawRoundedRectangle(bounds, 2.0f, button.hasKeyboardFocus(false) ? 1.5f : 1.0f);
}

const TZelSkin* SkinOf(const juce::Component& component) {
  auto* laf = dynamic_cast<TZelLookAndFeel*>(&component.getLookAndFeel());
  return laf != nullptr ? laf->Skin() : nullptr;
}
