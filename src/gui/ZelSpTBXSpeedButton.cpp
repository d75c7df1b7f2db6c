#include "gui/ZelSpTBXSpeedButton.h"

#include "gui/ZelJuceInput.h"
#include "gui/ZelLookAndFeel.h"

TZelSpTBXSpeedButton::TZelSpTBXSpeedButton()
    : TZelGatedButton(juce::String()), Font(ZelFonts::Make("Segoe UI", 12.0f)) {
  setSize(DefaultSize, DefaultSize);
  setWantsKeyboardFocus(false);
}

void TZelSpTBXSpeedButton::SetCaption(const juce::String& caption) {
  setButtonText(caption);
}

void TZelSpTBXSpeedButton::clicked() {
  if (!FGate.Click()) {
    return;
  }
  if (DropDownMenu != nullptr) {
    ShowZelPopupMenu(*DropDownMenu, *this);
    return;
  }
  if (OnClick) {
    OnClick(this);
  }
}

void TZelSpTBXSpeedButton::paintButton(juce::Graphics& g, bool highlighted, bool down) {
  getLookAndFeel().drawButtonBackground(g, *this, findColour(juce::TextButton::buttonColourId), highlighted,
                                        down);
  const TZelSkin* skin = SkinOf(*this);
  const TColor text = skin ? (down ? skin->ButtonTextPressed : skin->ButtonText) : 0x000000;
  auto area = getLocalBounds().reduced(4, 0);
  if (DropDownMenu != nullptr && DropDownArrow) {
    auto arrow = area.removeFromRight(10).toFloat().withSizeKeepingCentre(7.0f, 4.0f);
    juce::Path triangle;
    triangle.addTriangle(arrow.getX(), arrow.getY(), arrow.getRight(), arrow.getY(), arrow.getCentreX(),
                         arrow.getBottom());
    g.setColour(ToColour(text));
    g.fillPath(triangle);
  }
  g.setColour(ToColour(text).withMultipliedAlpha(isEnabled() ? 1.0f : 0.5f));
  g.setFont(Font);
  g.drawText(getButtonText(), area, juce::Justification::centred, false);
}
