// ZelNumericEdit: the fixed-decimals number field; JUCE's text editor shows it, the model decides every
// keystroke.
#pragma once

#include "gui/ZelNumericEditModel.h"

#include <juce_gui_basics/juce_gui_basics.h>

class TZelNumericEdit : public juce::TextEditor, public TObject {
public:
  static constexpr int DefaultWidth = 73;

  TZelNumericEdit();

  TZelNumericEditModel& Model() { return FModel; }
  double Value() const { return FModel.Value(); }
  void SetValue(double value);
  void SetDecimals(int32_t decimals);
  // Enter and Escape typed here go to the dialog's default and cancel buttons.
  std::function<void()> OnEnter;
  std::function<void()> OnEscape;

  bool keyPressed(const juce::KeyPress& key) override;
  void insertTextAtCaret(const juce::String& text) override;
  void focusLost(FocusChangeType cause) override;

private:
  void SyncFromModel();
  void SyncToModel();

  TZelNumericEditModel FModel;
  bool FSyncing = false;
};
