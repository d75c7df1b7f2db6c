// ZelJuceInput: JUCE mouse and key events turned into the maker's shift states, buttons and wheel units.
#pragma once

#include "gui/ZelTypes.h"

#include <juce_gui_basics/juce_gui_basics.h>

TShiftState ShiftOf(const juce::ModifierKeys& mods);
TShiftState ShiftOf(const juce::MouseEvent& event);
TMouseButton ButtonOf(const juce::MouseEvent& event);
// Windows wheel units: 120 per notch, positive is up.
int32_t WheelDeltaOf(const juce::MouseWheelDetails& wheel);
// Popup menu showing inside the component's top-level editor window.
class TZelPopupMenu;
void ShowZelPopupMenu(TZelPopupMenu& menu, juce::Component& target, std::function<void()> afterChoice = {});
// The same menu opening at a point of the target (a context menu at the pointer).
void ShowZelPopupMenuAt(TZelPopupMenu& menu, juce::Component& target, juce::Point<int> point,
                        std::function<void()> afterChoice = {});
