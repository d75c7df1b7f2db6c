#include "gui/ZelGuiPanel.h"

#include "gui/ZelLookAndFeel.h"

#include <algorithm>

TZelGuiPanel::TZelGuiPanel() {
  setOpaque(false);
}

void TZelGuiPanel::Loaded() {
  const TZelSkin* skin = SkinOf(*this);
  if (!UseStyles || skin == nullptr) {
    return;
  }
  const bool light = skin->Name == "Light";
  if (PanelGroupColor) {
    PanelColor = light ? skin->GenericBackground : skin->PanelGroupColor;
  } else {
    PanelColor = skin->PanelColor;
  }
  BorderColor = light ? skin->BorderColor : skin->HintGradientBase;
  repaint();
}

float TZelGuiPanel::EffectiveRadius() const {
  const float half = std::min(getWidth(), getHeight()) / 2.0f;
  return std::min(static_cast<float>(BorderRadius), half);
}

void TZelGuiPanel::paint(juce::Graphics& g) {
  const float border = static_cast<float>(std::max(1, BorderWidth));
  auto area = getLocalBounds().toFloat().reduced(border / 2.0f);
  const float radius = EffectiveRadius();
  const uint8_t alpha = Transparent ? Alpha : 255;
  g.setColour(ToColour(PanelColor, alpha));
  g.fillRoundedRectangle(area, radius);
  g.setColour(ToColour(BorderVisible ? BorderColor : PanelColor, alpha));
  g.drawRoundedRectangle(area, radius, border);
}

void TZelGuiPanel::mouseUp(const juce::MouseEvent& event) {
  if (OnClick && event.mouseWasClicked() && contains(event.getPosition())) {
    OnClick(this);
  }
}
