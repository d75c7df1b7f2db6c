// ZelNumericEditModel: the fixed-decimals number field's typing rules on text, caret and selection.
#pragma once

#include "gui/ZelTypes.h"

#include <functional>
#include <string>

class TZelNumericEditModel {
public:
  static constexpr const char* Version = "1.00.08";
  static constexpr char DecimalSeparator = '.';
  static constexpr int32_t MaxDecimals = 9;

  TNotifyEvent OnChange;
  TNotifyEvent OnValidChange;
  TNotifyEvent OnInvalidEntry;

  void SetSender(TObject* sender) { FSender = sender; }

  double Value() const;
  void SetValue(double value);
  double MinValue = 0.0;
  double MaxValue = 0.0;
  int32_t Decimals() const { return FDecimals; }
  // 0..9; re-formats the current value.
  void SetDecimals(int32_t decimals);
  // 0 = no limit.
  int32_t MaxLength = 0;
  bool ReadOnly = false;
  // While loading, setting Value raises no OnChange.
  bool Loading = false;

  const std::string& Text() const { return FText; }
  // Any text, as a host or the user's paste delivered it; no rules are applied.
  void SetText(const std::string& text);
  std::string FormatValue(double value) const;

  int32_t CaretPos() const { return FCaret; }
  int32_t SelStart() const { return FSelStart; }
  int32_t SelLength() const { return FSelLength; }
  void SetCaret(int32_t position);
  void SetSelection(int32_t start, int32_t length);
  void SelectAll() { SetSelection(0, static_cast<int32_t>(FText.size())); }

  // One typed character: digits, the decimal separator, '-' and backspace ('\b'). False when refused.
  bool TypeChar(char c);
  bool Backspace();
  bool DeleteForward();
  // Deletes the selection under the layout rules; false when there was none.
  bool DeleteSelection();
  std::string SelectedText() const;
  // Cut: the selected text to put on the clipboard, then deletes it.
  std::string Cut();
  // Deletes the selection, then types the text character by character.
  void Paste(const std::string& text);
  // Leaving the field.
  void Exit();

private:
  int32_t SignLength() const { return (!FText.empty() && FText[0] == '-') ? 1 : 0; }
  int32_t DotPos() const; // -1 when none
  int32_t IntegerEnd() const;
  bool TypeDigit(char c);
  void Changed();
  void NormaliseInteger();

  TObject* FSender = nullptr;
  std::string FText = "0.00";
  int32_t FDecimals = 2;
  int32_t FCaret = 0;
  int32_t FSelStart = 0;
  int32_t FSelLength = 0;
};
