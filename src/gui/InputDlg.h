// InputDlg: the text input dialog (TfrmInputDlg): prompt, one edit line, OK only for a non-blank text.
#pragma once

#include "gui/ZelDialogHost.h"

#include <juce_gui_basics/juce_gui_basics.h>

class TfrmInputDlg : public TZelDialogForm, private juce::TextEditor::Listener {
public:
  static constexpr int ModalOK = 1;
  static constexpr int ModalCancel = 2;

  explicit TfrmInputDlg(const juce::String& caption);

  juce::Label lblPrompt;
  juce::TextEditor txtValue;
  juce::TextButton btnOK{"OK"};
  juce::TextButton btnCancel{"Cancel"};
  bool AllowEmpty = false;

  void SetPrompt(const juce::String& prompt) { lblPrompt.setText(prompt, juce::dontSendNotification); }
  // The initial text and at most maxLength characters (0: no limit).
  void SetText(const juce::String& text, int maxLength);
  juce::String Text() const { return txtValue.getText(); }
  // Evaluated when shown and on every change of the text.
  void UpdateOkEnabled();
  juce::Component* InitialFocus() override { return &txtValue; }

  void resized() override;

private:
  void textEditorTextChanged(juce::TextEditor&) override { UpdateOkEnabled(); }
  void textEditorReturnKeyPressed(juce::TextEditor&) override;
  void textEditorEscapeKeyPressed(juce::TextEditor&) override { Cancel(); }
};
