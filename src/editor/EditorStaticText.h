// EditorStaticText: the main editor's static captions: a label sized to its text at a design position.
#pragma once

#include "gui/ZelLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>
#include <cmath>

// The font narrowed (never widened) so that text fits into maxWidth pixels: the embedded face is wider
// than the design's, and a caption must not run under the control beside it.
inline juce::Font FitStaticFont(juce::Font font, const juce::String& text, int maxWidth) {
  const float width = font.getStringWidthFloat(text);
  if (maxWidth > 0 && width > static_cast<float>(maxWidth)) {
    font.setHorizontalScale(std::max(0.5f, static_cast<float>(maxWidth) / width));
  }
  return font;
}

// Segoe UI bold of pixelSize, no border, transparent to the mouse, added to parent at (x, y); at most
// maxWidth wide when that is given.
inline void PlaceStaticText(juce::Component& parent, juce::Label& label, const juce::String& text, int x,
                            int y, float pixelSize, int maxWidth = 0) {
  label.setText(text, juce::dontSendNotification);
  const juce::Font font = FitStaticFont(ZelFonts::Make("Segoe UI", pixelSize, true), text, maxWidth - 2);
  label.setFont(font);
  label.setBorderSize(juce::BorderSize<int>(0));
  label.setMinimumHorizontalScale(0.5f);
  label.setInterceptsMouseClicks(false, false);
  const int width = static_cast<int>(std::ceil(font.getStringWidthFloat(text))) + 2;
  label.setBounds(x, y, width, static_cast<int>(std::ceil(font.getHeight())) + 2);
  parent.addAndMakeVisible(label);
}
