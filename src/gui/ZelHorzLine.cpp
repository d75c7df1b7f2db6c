#include "gui/ZelHorzLine.h"

#include "gui/ZelLookAndFeel.h"

TZelHorzLine::TZelHorzLine() {
  setSize(100, 2);
  setInterceptsMouseClicks(false, false);
}

void TZelHorzLine::Loaded() {
  if (const TZelSkin* skin = SkinOf(*this)) {
    LineColor = skin->LineColor;
  }
}

void TZelHorzLine::paint(juce::Graphics& g) {
  g.setColour(ToColour(LineColor));
  g.fillRect(0, 0, getWidth(), 1);
}
