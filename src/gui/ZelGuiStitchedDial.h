// ZelGuiStitchedDial: the rotary knob drawn from a strip of frames; the two 101-frame strips are rendered in
// code.
#pragma once

#include "gui/ZelDialModel.h"
#include "gui/ZelModelControl.h"
#include "gui/ZelSkin.h"

#include <juce_gui_basics/juce_gui_basics.h>

enum TDialStripKind : int32_t {
  dskCentre = 0,  // arc from the top towards either side (velocity scale, -100..100)
  dskFromZero = 1 // arc from the start of the sweep (velocity random, 0..200)
};

namespace ZelDialStrips {
inline constexpr int FrameCount = 101;
inline constexpr int FrameSize = 42;
// A vertical strip of FrameCount frames of FrameSize x FrameSize, in the style's colours (null: system).
juce::Image Render(TDialStripKind kind, const TZelSkin* skin, int frameSize = FrameSize,
                   int frameCount = FrameCount);
} // namespace ZelDialStrips

class TZelGuiStitchedDial : public TZelModelControl<TZelDialModel> {
public:
  TZelGuiStitchedDial();

  // A strip of equally sized square frames, stacked vertically.
  void SetStrip(const juce::Image& strip, int frameCount);
  // One of the built-in strips, rendered when the dial is placed in a styled window.
  void SetStripKind(TDialStripKind kind);

  void paint(juce::Graphics& g) override;
  void mouseDown(const juce::MouseEvent& event) override;
  void mouseDrag(const juce::MouseEvent& event) override;
  void mouseUp(const juce::MouseEvent& event) override;
  void mouseWheelMove(const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;

private:
  void Loaded() override;

  juce::Image FStrip;
  int FStripSkin = -2; // style index the built-in strip was rendered for; -2 none yet
  int FKind = -1;      // built-in strip kind, -1 for a strip set from outside
};
