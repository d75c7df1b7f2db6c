// ZelTimer: the toolkit timer of the maker's forms: an interval, an enabled switch and one OnTimer handler.
#pragma once

#include <juce_events/juce_events.h>

#include <functional>

// Runs OnTimer every Interval milliseconds while enabled, on the message thread (which the host's idle
// calls drive). Changing the interval of a running timer restarts it.
class TZelTimer final : private juce::Timer {
public:
  explicit TZelTimer(int intervalMs = 1000) : FInterval(intervalMs) {}
  ~TZelTimer() override { stopTimer(); }

  std::function<void()> OnTimer;

  int Interval() const { return FInterval; }
  void SetInterval(int intervalMs) {
    FInterval = intervalMs;
    if (FEnabled) {
      startTimer(FInterval);
    }
  }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool enabled) {
    FEnabled = enabled;
    if (enabled) {
      startTimer(FInterval);
    } else {
      stopTimer();
    }
  }
  // What a tick does, for callers that drive the timer themselves (tests).
  void Fire() {
    if (OnTimer) {
      OnTimer();
    }
  }

private:
  void timerCallback() override { Fire(); }

  int FInterval;
  bool FEnabled = false;
};
