#include "gui/ZelGuiText.h"

#include <cstdio>

namespace ZelGuiText {
std::string FloatToText(float value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", static_cast<double>(value));
  return buffer;
}

std::string IntToText(int64_t value, bool plus) {
  if (value == 0) {
    return "0";
  }
  if (value < 0) {
    // Negate through unsigned so the most negative value survives.
    uint64_t magnitude = 0 - static_cast<uint64_t>(value);
    return std::string(MinusSign) + std::to_string(magnitude);
  }
  return (plus ? "+" : "") + std::to_string(value);
}

int32_t CharCount(const std::string& text) {
  int32_t count = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) {
      ++count;
    }
  }
  return count;
}

std::string PadWithFigureSpaces(const std::string& text, int32_t width) {
  std::string result;
  for (int32_t i = CharCount(text); i < width; ++i) {
    result += FigureSpace;
  }
  return result + text;
}
} // namespace ZelGuiText
