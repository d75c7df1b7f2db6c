// ZelModelControl: the JUCE side the value controls share: the owned model, repaint on its request, focus,
// styling on placement, the pre-click hook for popup presses and OnMouseUp.
#pragma once

#include "gui/ZelJuceInput.h"
#include "gui/ZelTypes.h"

#include <juce_gui_basics/juce_gui_basics.h>

template <typename TModel> class TZelModelControl : public juce::Component, public TObject {
public:
  TModel& Model() { return FModel; }
  float Value() const { return FModel.Value(); }
  void SetValue(float value) { FModel.SetValue(value); }
  TNotifyEvent OnMouseUp;

  void parentHierarchyChanged() override { Loaded(); }
  void lookAndFeelChanged() override { Loaded(); }

protected:
  TZelModelControl() {
    FModel.SetSender(this);
    FModel.OnInvalidate = [this] {
      repaint();
    };
    setWantsKeyboardFocus(true);
  }

  // Placed in a window or restyled: the control takes what it needs from the window's style.
  virtual void Loaded() = 0;
  // A popup-menu press goes through the pre-click hook as a right press; true when the menu may open.
  bool AskPopupPress(const juce::MouseEvent& event) const {
    return FModel.AskBeforeMouseDown(mbRight, ShiftOf(event), event.x, event.y);
  }
  void MouseUpDone() {
    if (OnMouseUp) {
      OnMouseUp(this);
    }
  }

  TModel FModel;
};
