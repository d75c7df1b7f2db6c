// ZelInputDlgModel: the input dialogs' rules without a display: when OK is enabled, and where the parts go.
#pragma once

#include "gui/ZelTypes.h"

#include <string>

namespace ZelInputDlg {
// OK is enabled for a text with something besides blanks, or always when empty text is allowed.
bool OkEnabled(const std::string& text, bool allowEmpty);

struct TLayout {
  TRect Prompt;
  TRect Edit;
  TRect Ok;
  TRect Cancel;
};

inline constexpr int32_t Margin = 6;
inline constexpr int32_t ButtonGap = 6;

// The text dialog on every resize: prompt and edit at the left margin, the edit as wide as the client
// allows; Cancel in the bottom right corner and OK left of it. widenEdit false keeps the edit's width
// (the numeric dialog).
TLayout Arrange(const TLayout& designed, int32_t clientWidth, int32_t clientHeight, bool widenEdit);

// The designed layouts (client 300 x 102 and 228 x 104).
TLayout TextDialogDesign();
TLayout NumericDialogDesign();
inline constexpr int32_t TextDialogWidth = 300;
inline constexpr int32_t TextDialogHeight = 102;
inline constexpr int32_t NumericDialogWidth = 228;
inline constexpr int32_t NumericDialogHeight = 104;
inline constexpr int32_t NumericMaxLength = 12;
// The numeric dialog re-opens this long after an out-of-range entry.
inline constexpr int32_t RetryDelayMs = 250;

// Whether a numeric entry is accepted: any value when minimum equals maximum, else within them.
bool NumberInRange(double value, double minimum, double maximum);
} // namespace ZelInputDlg
