// ZelMouseMessages: dropping the mouse clicks queued for an editor window, and repeating a press where it
// landed.
#pragma once

#include "gui/ZelTypes.h"

#include <juce_gui_basics/juce_gui_basics.h>

// Removes the button presses and releases that wait in the window system's queue for this window (a
// click that closed a dialog must not reach the editor afterwards). User-interface thread only.
void FlushMouseMessages(juce::Component& window);
// Delivers a press and a release of the button at that screen position through JUCE's own mouse
// handling of the window, so the component under the pointer gets a normal click. Nothing when the
// position lies outside the window (such a press belongs to the host).
void RepeatMousePress(juce::Component& window, juce::Point<int> screenPosition, TMouseButton button);
