// ZelSlider: the horizontal value bar with its random range; the rules live in TZelSliderModel.
#pragma once

#include "gui/ZelSliderModel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class TZelSlider : public juce::Component, public TObject {
public:
  TZelSlider();

  TZelSliderModel& Model() { return FModel; }
  float Value() const { return FModel.Value(); }
  void SetValue(float value) { FModel.SetValue(value); }
  float Random() const { return FModel.Random(); }
  void SetRandom(float random) { FModel.SetRandom(random); }
  // Builds the slider's own popup list of values.
  void SetShowPopup(bool show);
  bool ShowPopup() const { return FPopup != nullptr; }
  TZelPopupMenu* Popup() { return FPopup.get(); }
  juce::Font Font;
  TNotifyEvent OnMouseUp;

  void paint(juce::Graphics& g) override;
  void resized() override;
  void mouseDown(const juce::MouseEvent& event) override;
  void mouseDrag(const juce::MouseEvent& event) override;
  void mouseUp(const juce::MouseEvent& event) override;
  void mouseWheelMove(const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;
  void parentHierarchyChanged() override { Loaded(); }
  void lookAndFeelChanged() override { Loaded(); }

private:
  void Loaded();

  TZelSliderModel FModel;
  std::unique_ptr<TZelPopupMenu> FPopup;
  bool FPainting = false;
};
