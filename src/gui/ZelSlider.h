// ZelSlider: the horizontal value bar with its random range; the rules live in TZelSliderModel.
#pragma once

#include "gui/ZelModelControl.h"
#include "gui/ZelSliderModel.h"

#include <memory>

class TZelSlider : public TZelModelControl<TZelSliderModel> {
public:
  TZelSlider();

  float Random() const { return FModel.Random(); }
  void SetRandom(float random) { FModel.SetRandom(random); }
  // Builds the slider's own popup list of values.
  void SetShowPopup(bool show);
  bool ShowPopup() const { return FPopup != nullptr; }
  TZelPopupMenu* Popup() { return FPopup.get(); }
  juce::Font Font;

  void paint(juce::Graphics& g) override;
  void resized() override;
  void mouseDown(const juce::MouseEvent& event) override;
  void mouseDrag(const juce::MouseEvent& event) override;
  void mouseUp(const juce::MouseEvent& event) override;
  void mouseWheelMove(const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;

private:
  void Loaded() override;

  std::unique_ptr<TZelPopupMenu> FPopup;
  bool FPainting = false;
};
