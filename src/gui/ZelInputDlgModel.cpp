#include "gui/ZelInputDlgModel.h"

namespace ZelInputDlg {
bool OkEnabled(const std::string& text, bool allowEmpty) {
  if (allowEmpty) {
    return true;
  }
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
      return true;
    }
  }
  return false;
}

namespace {
TRect Moved(const TRect& r, int32_t left, int32_t top) {
  return TRect{left, top, left + r.Width() - 1, top + r.Height() - 1};
}
} // namespace

TLayout Arrange(const TLayout& designed, int32_t clientWidth, int32_t clientHeight, bool widenEdit) {
  TLayout layout = designed;
  layout.Prompt = Moved(designed.Prompt, Margin, designed.Prompt.Top);
  layout.Prompt.Right = clientWidth - Margin - 1;
  layout.Edit = Moved(designed.Edit, Margin, designed.Edit.Top);
  if (widenEdit) {
    layout.Edit.Right = Margin + (clientWidth - 2 * Margin) - 1;
  }
  const int32_t cancelLeft = clientWidth - designed.Cancel.Width() - Margin;
  const int32_t buttonTop = clientHeight - designed.Cancel.Height() - Margin;
  layout.Cancel = Moved(designed.Cancel, cancelLeft, buttonTop);
  layout.Ok = Moved(designed.Ok, cancelLeft - ButtonGap - designed.Ok.Width(), buttonTop);
  return layout;
}

TLayout TextDialogDesign() {
  TLayout layout;
  layout.Prompt = TRect{7, 7, 7 + 276 - 1, 7 + 15 - 1};
  layout.Edit = TRect{7, 23, 7 + 276 - 1, 23 + 23 - 1};
  layout.Ok = TRect{0, 0, 79, 25};
  layout.Cancel = TRect{0, 0, 79, 25};
  return layout;
}

TLayout NumericDialogDesign() {
  TLayout layout;
  layout.Prompt = TRect{8, 8, 8 + 212 - 1, 8 + 15 - 1};
  layout.Edit = TRect{8, 28, 8 + 75 - 1, 28 + 24 - 1};
  layout.Ok = TRect{0, 0, 79, 24};
  layout.Cancel = TRect{0, 0, 79, 24};
  return layout;
}

bool NumberInRange(double value, double minimum, double maximum) {
  return minimum == maximum || (value >= minimum && value <= maximum);
}
} // namespace ZelInputDlg
