// ZelGatedButton: a JUCE button whose pre-click hook can refuse a press; the gate decides what a refused
// press does to the clicks that follow.
#pragma once

#include "gui/ZelJuceInput.h"
#include "gui/ZelTypes.h"

#include <juce_gui_basics/juce_gui_basics.h>

template <typename TButtonBase, typename TGate> class TZelGatedButton : public TButtonBase, public TObject {
public:
  using TButtonBase::TButtonBase;

  TZelBeforeMouseDownEvent OnBeforeMouseDown;
  TNotifyEvent OnClick;

  void mouseDown(const juce::MouseEvent& event) override {
    const bool proceed =
        AskBeforeMouseDown(OnBeforeMouseDown, this, ButtonOf(event), ShiftOf(event), event.x, event.y);
    FGate.Press(proceed);
    FPressRefused = !proceed;
    if (proceed) {
      TButtonBase::mouseDown(event);
    }
  }
  // The button never saw a refused press, so its release must not reach it either.
  void mouseUp(const juce::MouseEvent& event) override {
    if (FPressRefused) {
      FPressRefused = false;
      FGate.RefusedRelease();
      return;
    }
    TButtonBase::mouseUp(event);
  }

protected:
  TGate FGate;

private:
  bool FPressRefused = false;
};
