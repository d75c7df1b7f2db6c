// InputDlgNumeric: the numeric input dialog (TfrmInputDlgNumeric) around a TZelNumericEdit.
#pragma once

#include "gui/ZelDialogHost.h"
#include "gui/ZelNumericEdit.h"

class TfrmInputDlgNumeric : public TZelDialogForm {
public:
  static constexpr int ModalOK = 1;
  static constexpr int ModalCancel = 2;

  explicit TfrmInputDlgNumeric(const juce::String& caption);

  juce::Label lblPrompt;
  TZelNumericEdit txtNumeric;
  juce::TextButton btnOK{"OK"};
  juce::TextButton btnCancel{"Cancel"};

  void SetPrompt(const juce::String& prompt) { lblPrompt.setText(prompt, juce::dontSendNotification); }
  // Decimals, range and value of the edit, in this order (the value is formatted with the decimals).
  void SetNumber(int32_t decimals, double minimum, double maximum, double value);
  double Value() const { return txtNumeric.Value(); }
  juce::Component* InitialFocus() override { return &txtNumeric; }

  void resized() override;
};
