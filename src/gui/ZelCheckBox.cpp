#include "gui/ZelCheckBox.h"

#include "gui/ZelJuceInput.h"
#include "gui/ZelLookAndFeel.h"

TZelCheckBox::TZelCheckBox(const juce::String& caption)
    : TZelGatedButton(caption), Font(ZelFonts::Make("Segoe UI", 12.0f)) {
  setClickingTogglesState(false);
}

void TZelCheckBox::clicked() {
  if (!FGate.Click()) {
    return;
  }
  setToggleState(!getToggleState(), juce::dontSendNotification);
  if (OnClick) {
    OnClick(this);
  }
}

void TZelCheckBox::paintButton(juce::Graphics& g, bool highlighted, bool /*down*/) {
  const TZelSkin* skin = SkinOf(*this);
  const float box = 13.0f;
  auto bounds = getLocalBounds();
  auto tick = juce::Rectangle<float>(1.0f, (bounds.getHeight() - box) / 2.0f, box, box);
  g.setColour(ToColour(skin ? skin->EditBackground : 0xFFFFFF));
  g.fillRect(tick);
  g.setColour(ToColour(skin ? (highlighted ? skin->SelectionBackground : skin->ButtonBorder) : 0x333333));
  g.drawRect(tick, 1.0f);
  if (getToggleState()) {
    juce::Path mark;
    mark.startNewSubPath(tick.getX() + 3.0f, tick.getCentreY());
    mark.lineTo(tick.getX() + 5.5f, tick.getBottom() - 3.5f);
    mark.lineTo(tick.getRight() - 3.0f, tick.getY() + 3.0f);
    g.setColour(ToColour(skin ? skin->EditText : 0x000000));
    g.strokePath(mark, juce::PathStrokeType(2.0f));
  }
  g.setColour(ToColour(skin ? skin->WindowText : 0x000000).withMultipliedAlpha(isEnabled() ? 1.0f : 0.5f));
  g.setFont(Font);
  g.drawText(getButtonText(), bounds.withTrimmedLeft(static_cast<int>(box) + 6),
             juce::Justification::centredLeft, true);
}
