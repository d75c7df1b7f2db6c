// ZelNumericInput: the small number field changed by vertical drag, wheel or popup list (rules in the model).
#pragma once

#include "gui/ZelNumericInputModel.h"

#include <juce_gui_basics/juce_gui_basics.h>

class TZelNumericInput : public juce::Component, public TObject {
public:
  TZelNumericInput();

  TZelNumericInputModel& Model() { return FModel; }
  float Value() const { return FModel.Value(); }
  void SetValue(float value) { FModel.SetValue(value); }
  int32_t ValueAsInteger() const { return FModel.ValueAsInteger(); }
  bool ShowPopup = true;
  // Rebuilds the popup list (after the range or the texts changed).
  void BuildPopupMenu();
  TZelPopupMenu& Popup() { return FPopup; }
  juce::Font Font;
  TNotifyEvent OnMouseUp;

  void paint(juce::Graphics& g) override;
  void mouseDown(const juce::MouseEvent& event) override;
  void mouseDrag(const juce::MouseEvent& event) override;
  void mouseUp(const juce::MouseEvent& event) override;
  void mouseWheelMove(const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;
  void parentHierarchyChanged() override { Loaded(); }
  void lookAndFeelChanged() override { Loaded(); }

private:
  void Loaded();

  TZelNumericInputModel FModel;
  TZelPopupMenu FPopup;
  bool FLoaded = false;
};
