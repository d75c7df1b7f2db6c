#include "gui/ZelMenuButton.h"

#include "gui/ZelJuceInput.h"
#include "gui/ZelLookAndFeel.h"

TZelMenuButton::TZelMenuButton() : juce::Button("Menu") {
  setSize(DefaultSize, DefaultSize);
  setWantsKeyboardFocus(false);
}

void TZelMenuButton::buttonStateChanged() {
  const int image = getState() == buttonDown ? 1 : 0;
  if (image != FImageIndex) {
    FImageIndex = image;
    repaint();
  }
}

void TZelMenuButton::clicked() {
  if (DropDownMenu != nullptr) {
    ShowZelPopupMenu(*DropDownMenu, *this);
  }
  if (OnClick) {
    OnClick(this);
  }
}

void TZelMenuButton::paintButton(juce::Graphics& g, bool highlighted, bool down) {
  getLookAndFeel().drawButtonBackground(g, *this, findColour(juce::TextButton::buttonColourId), highlighted,
                                        down);
  const TZelSkin* skin = SkinOf(*this);
  const TColor glyph = skin ? (FImageIndex == 1 ? skin->ButtonTextPressed : skin->ButtonText) : 0x000000;
  // Three bars in a 16 x 16 cell, the "menu16" glyph.
  auto cell = getLocalBounds().withSizeKeepingCentre(GlyphSize, GlyphSize);
  g.setColour(ToColour(glyph));
  for (int bar = 0; bar < 3; ++bar) {
    g.fillRect(cell.getX() + 2, cell.getY() + 3 + bar * 4, GlyphSize - 4, 2);
  }
}
