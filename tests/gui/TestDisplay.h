// TestDisplay: an X display for the window and render tests: the session's own, or an Xvfb the tests start.
#pragma once

#include <string>

namespace TestDisplay {
// True when a display is usable (DISPLAY set, or an Xvfb could be started); the reason otherwise.
bool Ensure(std::string& reason);
} // namespace TestDisplay

// Skips the test when no display can be had (no Xvfb installed).
#define REQUIRE_TEST_DISPLAY()                                                                               \
  do {                                                                                                       \
    std::string displayReason;                                                                               \
    if (!TestDisplay::Ensure(displayReason)) {                                                               \
      GTEST_SKIP() << displayReason;                                                                         \
    }                                                                                                        \
  } while (false)
