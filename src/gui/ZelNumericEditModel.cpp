#include "gui/ZelNumericEditModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

double TZelNumericEditModel::Value() const {
  if (FText.empty()) {
    return 0.0;
  }
  const char* begin = FText.c_str();
  char* end = nullptr;
  double value = std::strtod(begin, &end);
  if (end == begin || *end != '\0' || !std::isfinite(value)) {
    return 0.0;
  }
  return value;
}

std::string TZelNumericEditModel::FormatValue(double value) const {
  if (!std::isfinite(value)) {
    value = 0.0;
  }
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", FDecimals, value);
  std::string text = buffer;
  // "-0.00" reads as zero; show it as zero.
  if (text[0] == '-' && std::strtod(text.c_str(), nullptr) == 0.0) {
    text.erase(0, 1);
  }
  return text;
}

void TZelNumericEditModel::SetValue(double value) {
  std::string text = FormatValue(value);
  if (text == FText) {
    return;
  }
  FText = text;
  FCaret = std::min(FCaret, static_cast<int32_t>(FText.size()));
  FSelLength = 0;
  if (!Loading) {
    Changed();
  }
}

void TZelNumericEditModel::SetDecimals(int32_t decimals) {
  decimals = std::clamp(decimals, 0, MaxDecimals);
  const double value = Value();
  FDecimals = decimals;
  SetValue(value);
}

void TZelNumericEditModel::SetText(const std::string& text) {
  if (text == FText) {
    return;
  }
  FText = text;
  FCaret = std::min(FCaret, static_cast<int32_t>(FText.size()));
  FSelLength = 0;
  Changed();
}

void TZelNumericEditModel::SetCaret(int32_t position) {
  FCaret = std::clamp(position, 0, static_cast<int32_t>(FText.size()));
  FSelStart = FCaret;
  FSelLength = 0;
}

void TZelNumericEditModel::SetSelection(int32_t start, int32_t length) {
  const int32_t size = static_cast<int32_t>(FText.size());
  start = std::clamp(start, 0, size);
  length = std::clamp(length, 0, size - start);
  FSelStart = start;
  FSelLength = length;
  FCaret = start + length;
}

int32_t TZelNumericEditModel::DotPos() const {
  auto at = FText.find(DecimalSeparator);
  return at == std::string::npos ? -1 : static_cast<int32_t>(at);
}

int32_t TZelNumericEditModel::IntegerEnd() const {
  const int32_t dot = DotPos();
  return dot < 0 ? static_cast<int32_t>(FText.size()) : dot;
}

void TZelNumericEditModel::Changed() {
  if (OnChange) {
    OnChange(FSender);
  }
  const double value = Value();
  if (OnValidChange && MinValue <= value && value <= MaxValue) {
    OnValidChange(FSender);
  }
}

// An emptied integer part becomes "0", with the caret before it so the next digit replaces it.
void TZelNumericEditModel::NormaliseInteger() {
  const int32_t sign = SignLength();
  if (IntegerEnd() == sign) {
    FText.insert(FText.begin() + sign, '0');
    FCaret = sign;
  }
}

bool TZelNumericEditModel::DeleteSelection() {
  if (FSelLength <= 0) {
    return false;
  }
  const int32_t start = FSelStart;
  const int32_t end = FSelStart + FSelLength;
  const int32_t dot = DotPos();
  std::string result;
  for (int32_t i = 0; i < static_cast<int32_t>(FText.size()); ++i) {
    const char c = FText[static_cast<size_t>(i)];
    const bool selected = i >= start && i < end;
    if (!selected || c == DecimalSeparator) {
      result += c;
    } else if (dot >= 0 && i > dot) {
      result += '0'; // decimals keep their places
    }
  }
  FText = result;
  FCaret = start;
  if (start > 0 && start <= static_cast<int32_t>(FText.size()) && dot >= 0 && start > dot) {
    FCaret = start;
  }
  FSelStart = FCaret;
  FSelLength = 0;
  NormaliseInteger();
  FCaret = std::min(FCaret, static_cast<int32_t>(FText.size()));
  return true;
}

bool TZelNumericEditModel::TypeDigit(char c) {
  const int32_t sign = SignLength();
  const int32_t integerEnd = IntegerEnd();
  const bool lonelyZero = integerEnd - sign == 1 && FText[static_cast<size_t>(sign)] == '0';
  if (FCaret < sign) {
    FCaret = sign;
  }
  if (FCaret <= integerEnd) {
    if (lonelyZero && (FCaret == sign || FCaret == sign + 1)) {
      // A lone 0 is replaced, never led: "0" typed 5 is "5", not "05" or "50".
      FText[static_cast<size_t>(sign)] = c;
      FCaret = sign + 1;
      return true;
    }
    if (c == '0' && FCaret == sign) {
      return false; // no leading zeros
    }
    if (MaxLength > 0 && static_cast<int32_t>(FText.size()) >= MaxLength) {
      return false;
    }
    FText.insert(FText.begin() + FCaret, c);
    ++FCaret;
    return true;
  }
  // Decimal part: overwrite, never grow.
  if (FCaret >= static_cast<int32_t>(FText.size())) {
    return false;
  }
  FText[static_cast<size_t>(FCaret)] = c;
  ++FCaret;
  return true;
}

bool TZelNumericEditModel::TypeChar(char c) {
  if (ReadOnly) {
    return false;
  }
  if (c == '\b') {
    return Backspace();
  }
  const std::string before = FText;
  bool accepted = false;
  if (c >= '0' && c <= '9') {
    DeleteSelection();
    accepted = TypeDigit(c);
  } else if (c == '-') {
    if (MinValue >= 0.0) {
      return false;
    }
    if (SignLength() == 1) {
      FText.erase(0, 1);
      FCaret = std::max(0, FCaret - 1);
    } else {
      if (MaxLength > 0 && static_cast<int32_t>(FText.size()) >= MaxLength) {
        return false;
      }
      FText.insert(FText.begin(), '-');
      ++FCaret;
    }
    FSelLength = 0;
    accepted = true;
  } else if (c == DecimalSeparator || c == ',') {
    if (FDecimals == 0 || DotPos() < 0) {
      return false;
    }
    FCaret = DotPos() + 1;
    FSelStart = FCaret;
    FSelLength = 0;
    return true;
  } else {
    return false;
  }
  FSelStart = FCaret;
  FSelLength = 0;
  if (accepted && FText != before) {
    Changed();
  }
  return accepted;
}

bool TZelNumericEditModel::Backspace() {
  if (ReadOnly) {
    return false;
  }
  const std::string before = FText;
  if (!DeleteSelection()) {
    if (FCaret <= 0) {
      return false;
    }
    const int32_t dot = DotPos();
    const int32_t at = FCaret - 1;
    const char c = FText[static_cast<size_t>(at)];
    if (c == DecimalSeparator) {
      FCaret = at; // step over the separator
    } else if (dot >= 0 && at > dot) {
      FText[static_cast<size_t>(at)] = '0';
      FCaret = at;
    } else {
      FText.erase(static_cast<size_t>(at), 1);
      FCaret = at;
      NormaliseInteger();
    }
  }
  FSelStart = FCaret;
  if (FText != before) {
    Changed();
  }
  return true;
}

bool TZelNumericEditModel::DeleteForward() {
  if (ReadOnly) {
    return false;
  }
  const std::string before = FText;
  if (!DeleteSelection()) {
    if (FCaret >= static_cast<int32_t>(FText.size())) {
      return false;
    }
    const int32_t dot = DotPos();
    const char c = FText[static_cast<size_t>(FCaret)];
    if (c == DecimalSeparator) {
      ++FCaret;
    } else if (dot >= 0 && FCaret > dot) {
      FText[static_cast<size_t>(FCaret)] = '0';
      ++FCaret;
    } else {
      FText.erase(static_cast<size_t>(FCaret), 1);
      NormaliseInteger();
    }
  }
  FSelStart = FCaret;
  if (FText != before) {
    Changed();
  }
  return true;
}

std::string TZelNumericEditModel::SelectedText() const {
  if (FSelLength <= 0) {
    return {};
  }
  return FText.substr(static_cast<size_t>(FSelStart), static_cast<size_t>(FSelLength));
}

std::string TZelNumericEditModel::Cut() {
  std::string text = SelectedText();
  if (!text.empty() && !ReadOnly) {
    const std::string before = FText;
    DeleteSelection();
    if (FText != before) {
      Changed();
    }
  }
  return text;
}

void TZelNumericEditModel::Paste(const std::string& text) {
  if (ReadOnly) {
    return;
  }
  const std::string before = FText;
  DeleteSelection();
  if (FText != before) {
    Changed();
  }
  for (char c : text) {
    TypeChar(c);
  }
}

void TZelNumericEditModel::Exit() {
  const double value = Value();
  if (MinValue != MaxValue && (value < MinValue || value > MaxValue) && OnInvalidEntry) {
    OnInvalidEntry(FSender);
  }
}
