// ZelCheckBox: a check box with the pre-click hook; a refused press leaves its state alone.
#pragma once

#include "gui/ZelClickGate.h"
#include "gui/ZelTypes.h"

#include <juce_gui_basics/juce_gui_basics.h>

class TZelCheckBox : public juce::ToggleButton, public TObject {
public:
  explicit TZelCheckBox(const juce::String& caption = {});

  TZelBeforeMouseDownEvent OnBeforeMouseDown;
  TNotifyEvent OnClick;
  juce::Font Font;

  bool Checked() const { return getToggleState(); }
  // Without OnClick, as the program sets it.
  void SetChecked(bool checked) { setToggleState(checked, juce::dontSendNotification); }
  bool SkipNextClick() const { return FGate.SkipNextClick(); }

  void mouseDown(const juce::MouseEvent& event) override;
  void mouseUp(const juce::MouseEvent& event) override;
  void clicked() override;
  void paintButton(juce::Graphics& g, bool highlighted, bool down) override;

private:
  TZelCheckBoxGate FGate;
  bool FPressRefused = false;
};
