// TestDisplay: an X display for the window and render tests: an Xvfb of the test process's own, the one
// TRIAXO_TEST_DISPLAY names (to watch a test), or the session's when Xvfb is missing.
#pragma once

#include <string>

namespace TestDisplay {
// True when a display is usable (DISPLAY then names it); the reason otherwise.
bool Ensure(std::string& reason);

// A first base class for fixtures whose members start JUCE: JUCE opens its display once, when it starts,
// so the display has to be up before them. SetUp still says REQUIRE_TEST_DISPLAY() to skip without one.
struct TBeforeMembers {
  TBeforeMembers() {
    std::string reason;
    Ensure(reason);
  }
};
} // namespace TestDisplay

// Skips the test when no display can be had (no Xvfb installed).
#define REQUIRE_TEST_DISPLAY()                                                                               \
  do {                                                                                                       \
    std::string displayReason;                                                                               \
    if (!TestDisplay::Ensure(displayReason)) {                                                               \
      GTEST_SKIP() << displayReason;                                                                         \
    }                                                                                                        \
  } while (false)
