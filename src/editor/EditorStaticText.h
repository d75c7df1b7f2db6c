// EditorStaticText: the main editor's static captions: a label sized to its text at a design position.
#pragma once

#include "gui/ZelLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cmath>

// Segoe UI bold of pixelSize, no border, transparent to the mouse, added to parent at (x, y).
inline void PlaceStaticText(juce::Component& parent, juce::Label& label, const juce::String& text, int x,
                            int y, float pixelSize) {
  label.setText(text, juce::dontSendNotification);
  label.setFont(ZelFonts::Make("Segoe UI", pixelSize, true));
  label.setBorderSize(juce::BorderSize<int>(0));
  label.setInterceptsMouseClicks(false, false);
  const juce::Font font = label.getFont();
  const int width = static_cast<int>(std::ceil(font.getStringWidthFloat(text))) + 4;
  label.setBounds(x, y, width, static_cast<int>(std::ceil(font.getHeight())) + 2);
  parent.addAndMakeVisible(label);
}
