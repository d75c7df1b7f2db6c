// ZelCheckBox: a check box with the pre-click hook; a refused press leaves its state alone.
#pragma once

#include "gui/ZelClickGate.h"
#include "gui/ZelGatedButton.h"

class TZelCheckBox : public TZelGatedButton<juce::ToggleButton, TZelCheckBoxGate> {
public:
  explicit TZelCheckBox(const juce::String& caption = {});

  juce::Font Font;

  bool Checked() const { return getToggleState(); }
  // Without OnClick, as the program sets it.
  void SetChecked(bool checked) { setToggleState(checked, juce::dontSendNotification); }
  bool SkipNextClick() const { return FGate.SkipNextClick(); }

  void clicked() override;
  void paintButton(juce::Graphics& g, bool highlighted, bool down) override;
};
