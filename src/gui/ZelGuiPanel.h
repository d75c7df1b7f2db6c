// ZelGuiPanel: the rounded, optionally translucent panel that frames the editor's areas.
#pragma once

#include "gui/ZelTypes.h"

#include <juce_gui_basics/juce_gui_basics.h>

class TZelGuiPanel : public juce::Component, public TObject {
public:
  TZelGuiPanel();

  TColor PanelColor = 0xFFFFFF;
  uint8_t Alpha = 255;
  TColor BorderColor = 0x000000;
  int32_t BorderRadius = 10;
  int32_t BorderWidth = 1;
  bool BorderVisible = true;
  bool Transparent = true;
  // Take the style's panel-group colour instead of its panel colour.
  bool PanelGroupColor = false;
  bool UseStyles = true;

  TNotifyEvent OnClick;

  // Picks the style's colours (once, when the panel sits in a styled window).
  void Loaded();
  // The radius actually drawn: BorderRadius, at most half the shorter side.
  float EffectiveRadius() const;

  void paint(juce::Graphics& g) override;
  void mouseUp(const juce::MouseEvent& event) override;
  void parentHierarchyChanged() override { Loaded(); }
  void lookAndFeelChanged() override { Loaded(); }
};
