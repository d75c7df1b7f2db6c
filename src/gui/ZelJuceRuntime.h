// ZelJuceRuntime: JUCE's lifetime inside the plug-in and the host-driven message pump (no message thread).
#pragma once

namespace ZelJuceRuntime {
// The first acquire initialises JUCE (and the embedded fonts and our X error handler); the last
// release shuts it down. User-interface thread only.
void Acquire();
void Release();
bool Active();
// Makes the calling thread JUCE's message thread and runs the queued messages and window events
// (on Windows only JUCE's own posted messages: the host's loop delivers the window events),
// at most maxMessages of them, so a flood can never hold the host's idle call.
int PumpMessages(int maxMessages = 2000);

// Holds the runtime for a scope (tests, the editor window).
class TScopedRuntime {
public:
  TScopedRuntime() { Acquire(); }
  ~TScopedRuntime() { Release(); }
  TScopedRuntime(const TScopedRuntime&) = delete;
  TScopedRuntime& operator=(const TScopedRuntime&) = delete;
};
} // namespace ZelJuceRuntime
