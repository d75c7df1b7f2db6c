#include "gui/ZelNumericEdit.h"

#include "gui/ZelLookAndFeel.h"

TZelNumericEdit::TZelNumericEdit() {
  FModel.SetSender(this);
  setJustification(juce::Justification::centredRight);
  setFont(ZelFonts::Make("Segoe UI", 12.0f));
  setSize(DefaultWidth, 24);
  setPopupMenuEnabled(false);
  SyncFromModel();
}

void TZelNumericEdit::SetValue(double value) {
  FModel.SetValue(value);
  SyncFromModel();
}

void TZelNumericEdit::SetDecimals(int32_t decimals) {
  FModel.SetDecimals(decimals);
  SyncFromModel();
}

void TZelNumericEdit::SyncFromModel() {
  FSyncing = true;
  const juce::String text = juce::String::fromUTF8(FModel.Text().c_str());
  if (getText() != text) {
    setText(text, false);
  }
  if (FModel.SelLength() > 0) {
    setHighlightedRegion({FModel.SelStart(), FModel.SelStart() + FModel.SelLength()});
  } else {
    setCaretPosition(FModel.CaretPos());
  }
  FSyncing = false;
}

void TZelNumericEdit::SyncToModel() {
  const auto selection = getHighlightedRegion();
  if (!selection.isEmpty()) {
    FModel.SetSelection(selection.getStart(), selection.getLength());
  } else {
    FModel.SetCaret(getCaretPosition());
  }
}

bool TZelNumericEdit::keyPressed(const juce::KeyPress& key) {
  if (key == juce::KeyPress::returnKey) {
    if (OnEnter) {
      OnEnter();
    }
    return true;
  }
  if (key == juce::KeyPress::escapeKey) {
    if (OnEscape) {
      OnEscape();
    }
    return true;
  }
  const auto mods = key.getModifiers();
  if ((mods.isCtrlDown() || mods.isCommandDown()) && (key.getKeyCode() == 'A' || key.getKeyCode() == 'a')) {
    SyncToModel();
    FModel.SelectAll();
    SyncFromModel();
    return true;
  }
  if (key == juce::KeyPress::backspaceKey || key == juce::KeyPress::deleteKey) {
    if (isReadOnly()) {
      return true;
    }
    SyncToModel();
    if (key == juce::KeyPress::backspaceKey) {
      FModel.Backspace();
    } else {
      FModel.DeleteForward();
    }
    SyncFromModel();
    return true;
  }
  return juce::TextEditor::keyPressed(key);
}

void TZelNumericEdit::insertTextAtCaret(const juce::String& text) {
  if (FSyncing) {
    juce::TextEditor::insertTextAtCaret(text);
    return;
  }
  if (isReadOnly()) {
    return;
  }
  SyncToModel();
  // Typing arrives one character at a time; paste as a whole text, cut as an empty one.
  const std::string typed = text.toStdString();
  if (typed.size() == 1) {
    FModel.TypeChar(typed[0]);
  } else {
    FModel.Paste(typed);
  }
  SyncFromModel();
}

void TZelNumericEdit::focusLost(FocusChangeType cause) {
  juce::TextEditor::focusLost(cause);
  FModel.Exit();
}
