// ZelHorzLine: a one-pixel horizontal rule in the style's line colour.
#pragma once

#include "gui/ZelTypes.h"

#include <juce_gui_basics/juce_gui_basics.h>

class TZelHorzLine : public juce::Component {
public:
  TZelHorzLine();
  // The system's button-shadow colour, or the style's rule colour once loaded.
  TColor LineColor = 0xA0A0A0;

  void paint(juce::Graphics& g) override;
  void parentHierarchyChanged() override { Loaded(); }
  void lookAndFeelChanged() override { Loaded(); }

private:
  void Loaded();
};
