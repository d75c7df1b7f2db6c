// TempoMap: sample-accurate conversion between Standard MIDI File ticks and sample positions.
#pragma once

#include <cstdint>
#include <vector>

// A tempo change: from Tick on, a quarter note lasts MicrosecondsPerQuarter.
struct TTempoChange {
  int64_t Tick = 0;
  int64_t MicrosecondsPerQuarter = 500000;
};

// Ticks are metrical (a resolution per quarter note and a list of tempo changes, 120 bpm until the
// first one) or timecode (a fixed number of ticks per second). Conversions are exact for whole sample
// rates and round to the nearest sample or tick, halves to even, so that the same tick always lands on
// the same sample however the host cuts its blocks.
class TTempoMap {
public:
  // ticksPerQuarter > 0; changes in any order (a later change at the same tick wins).
  static TTempoMap Metrical(int32_t ticksPerQuarter, std::vector<TTempoChange> changes);
  // framesPerSecond 24, 25, 29 (30 drop-frame, 29.97) or 30; ticksPerFrame > 0.
  static TTempoMap Timecode(int32_t framesPerSecond, int32_t ticksPerFrame);

  bool IsMetrical() const { return FTicksPerQuarter > 0; }
  int32_t TicksPerQuarter() const { return FTicksPerQuarter; }
  const std::vector<TTempoChange>& Changes() const { return FChanges; }

  long double TickToSeconds(int64_t tick) const;
  // Whole sample position of a tick at a sample rate in Hz.
  int64_t TickToSample(int64_t tick, double sampleRate) const;
  // Nearest tick of a sample position (never negative).
  int64_t SampleToTick(int64_t sample, double sampleRate) const;
  // The host's musical position at a sample position: quarter notes since tick 0, and the tempo there
  // in beats per minute (timecode maps count 120 bpm).
  double QuartersAtSample(double sample, double sampleRate) const;
  double TempoAtSample(double sample, double sampleRate) const;

private:
  struct TSegment {
    int64_t Tick;
    int64_t MicrosecondsPerQuarter;
    long double StartMicroTicks; // sum of ticks x microseconds per quarter before Tick
  };
  // Index of the segment holding a position given in the same unit as StartMicroTicks.
  std::size_t SegmentAtMicroTicks(long double microTicks) const;
  long double MicroTicksAtTick(int64_t tick) const;
  long double SecondsPerMicroTick() const;

  int32_t FTicksPerQuarter = 0;
  long double FTicksPerSecond = 0; // timecode only
  std::vector<TTempoChange> FChanges;
  std::vector<TSegment> FSegments;
};
