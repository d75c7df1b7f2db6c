// ZelControlModel: what the value controls' models share: the sender, change and repaint events, the
// pre-click hook.
#pragma once

#include "gui/ZelTypes.h"

#include <functional>

class TZelControlModel {
public:
  TNotifyEvent OnChange;
  TZelBeforeMouseDownEvent OnBeforeMouseDown;
  std::function<void()> OnInvalidate;

  void SetSender(TObject* sender) { FSender = sender; }
  // Asks OnBeforeMouseDown on the control's behalf; false when the handler consumed the press.
  bool AskBeforeMouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) const {
    return ::AskBeforeMouseDown(OnBeforeMouseDown, FSender, button, shift, x, y);
  }

protected:
  void Invalidate() {
    if (OnInvalidate) {
      OnInvalidate();
    }
  }
  void Changed() {
    if (OnChange) {
      OnChange(FSender);
    }
  }

  TObject* FSender = nullptr;
};
