// ZelNumericInput: the small number field changed by vertical drag, wheel or popup list (rules in the model).
#pragma once

#include "gui/ZelModelControl.h"
#include "gui/ZelNumericInputModel.h"

class TZelNumericInput : public TZelModelControl<TZelNumericInputModel> {
public:
  TZelNumericInput();

  int32_t ValueAsInteger() const { return FModel.ValueAsInteger(); }
  bool ShowPopup = true;
  // Rebuilds the popup list (after the range or the texts changed).
  void BuildPopupMenu();
  TZelPopupMenu& Popup() { return FPopup; }
  juce::Font Font;

  void paint(juce::Graphics& g) override;
  void mouseDown(const juce::MouseEvent& event) override;
  void mouseDrag(const juce::MouseEvent& event) override;
  void mouseUp(const juce::MouseEvent& event) override;
  void mouseWheelMove(const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;

private:
  void Loaded() override;

  TZelPopupMenu FPopup;
  bool FLoaded = false;
};
