// ZelGuiText: number texts the value controls draw and list (general float form, U+2212 minus, figure
// spaces).
#pragma once

#include <cstdint>
#include <string>

namespace ZelGuiText {
inline constexpr const char* MinusSign = "\xE2\x88\x92";   // U+2212
inline constexpr const char* FigureSpace = "\xE2\x80\x87"; // U+2007

// The general decimal form of a single widened to double, at most 15 significant digits, ASCII "-".
std::string FloatToText(float value);
// 0 as "0", negatives with U+2212, positives with "+" only when plus is set.
std::string IntToText(int64_t value, bool plus = false);
// Characters (code points) of a UTF-8 text.
int32_t CharCount(const std::string& text);
// Figure spaces in front of the text up to width characters.
std::string PadWithFigureSpaces(const std::string& text, int32_t width);
} // namespace ZelGuiText
