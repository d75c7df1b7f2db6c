#include "TempoMap.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {
constexpr int64_t DefaultMicrosecondsPerQuarter = 500000; // 120 bpm, the file format's default
constexpr long double MicrosecondsPerSecond = 1e6L;

// Halves to even (the default rounding mode), so a time exactly between two samples always rounds
// the same way.
int64_t Nearest(long double value) {
  return static_cast<int64_t>(std::nearbyint(value));
}
} // namespace

TTempoMap TTempoMap::Metrical(int32_t ticksPerQuarter, std::vector<TTempoChange> changes) {
  if (ticksPerQuarter <= 0)
    throw std::invalid_argument("ticks per quarter note must be positive");
  TTempoMap map;
  map.FTicksPerQuarter = ticksPerQuarter;
  std::stable_sort(changes.begin(), changes.end(),
                   [](const TTempoChange& a, const TTempoChange& b) { return a.Tick < b.Tick; });
  std::vector<TTempoChange> kept;
  for (const TTempoChange& change : changes) {
    if (change.Tick < 0 || change.MicrosecondsPerQuarter <= 0)
      continue;
    if (!kept.empty() && kept.back().Tick == change.Tick)
      kept.back() = change;
    else
      kept.push_back(change);
  }
  map.FChanges = kept;
  if (kept.empty() || kept.front().Tick != 0)
    kept.insert(kept.begin(), TTempoChange{0, DefaultMicrosecondsPerQuarter});
  long double microTicks = 0;
  for (std::size_t i = 0; i < kept.size(); ++i) {
    if (i > 0)
      microTicks += static_cast<long double>(kept[i].Tick - kept[i - 1].Tick) *
                    static_cast<long double>(kept[i - 1].MicrosecondsPerQuarter);
    map.FSegments.push_back({kept[i].Tick, kept[i].MicrosecondsPerQuarter, microTicks});
  }
  return map;
}

TTempoMap TTempoMap::Timecode(int32_t framesPerSecond, int32_t ticksPerFrame) {
  if (ticksPerFrame <= 0 ||
      (framesPerSecond != 24 && framesPerSecond != 25 && framesPerSecond != 29 && framesPerSecond != 30))
    throw std::invalid_argument("unsupported timecode format");
  TTempoMap map;
  // Code 29 is 30 drop-frame: 29.97 frames per second.
  const long double fps = framesPerSecond == 29 ? 30000.0L / 1001.0L : framesPerSecond;
  map.FTicksPerSecond = fps * ticksPerFrame;
  return map;
}

long double TTempoMap::SecondsPerMicroTick() const {
  return 1.0L / (MicrosecondsPerSecond * static_cast<long double>(FTicksPerQuarter));
}

long double TTempoMap::MicroTicksAtTick(int64_t tick) const {
  const auto it = std::upper_bound(FSegments.begin(), FSegments.end(), tick,
                                   [](int64_t t, const TSegment& s) { return t < s.Tick; });
  const TSegment& segment = it == FSegments.begin() ? FSegments.front() : *(it - 1);
  return segment.StartMicroTicks + static_cast<long double>(tick - segment.Tick) *
                                       static_cast<long double>(segment.MicrosecondsPerQuarter);
}

std::size_t TTempoMap::SegmentAtMicroTicks(long double microTicks) const {
  const auto it = std::upper_bound(FSegments.begin(), FSegments.end(), microTicks,
                                   [](long double m, const TSegment& s) { return m < s.StartMicroTicks; });
  return it == FSegments.begin() ? 0 : static_cast<std::size_t>(it - FSegments.begin() - 1);
}

long double TTempoMap::TickToSeconds(int64_t tick) const {
  if (!IsMetrical())
    return static_cast<long double>(tick) / FTicksPerSecond;
  return MicroTicksAtTick(tick) * SecondsPerMicroTick();
}

int64_t TTempoMap::TickToSample(int64_t tick, double sampleRate) const {
  if (!IsMetrical())
    return Nearest(static_cast<long double>(tick) * sampleRate / FTicksPerSecond);
  // One division at the end keeps whole-rate results exact, halves included.
  return Nearest(MicroTicksAtTick(tick) * static_cast<long double>(sampleRate) /
                 (MicrosecondsPerSecond * static_cast<long double>(FTicksPerQuarter)));
}

int64_t TTempoMap::SampleToTick(int64_t sample, double sampleRate) const {
  if (sample <= 0)
    return 0;
  if (!IsMetrical())
    return Nearest(static_cast<long double>(sample) * FTicksPerSecond / sampleRate);
  const long double microTicks = static_cast<long double>(sample) * MicrosecondsPerSecond *
                                 static_cast<long double>(FTicksPerQuarter) /
                                 static_cast<long double>(sampleRate);
  const TSegment& segment = FSegments[SegmentAtMicroTicks(microTicks)];
  return segment.Tick + Nearest((microTicks - segment.StartMicroTicks) /
                                static_cast<long double>(segment.MicrosecondsPerQuarter));
}

double TTempoMap::QuartersAtSample(double sample, double sampleRate) const {
  const long double seconds = static_cast<long double>(sample) / sampleRate;
  if (!IsMetrical())
    return static_cast<double>(seconds * 2.0L);
  const long double microTicks = seconds * MicrosecondsPerSecond * FTicksPerQuarter;
  const TSegment& segment = FSegments[SegmentAtMicroTicks(microTicks)];
  const long double ticks = static_cast<long double>(segment.Tick) +
                            (microTicks - segment.StartMicroTicks) / segment.MicrosecondsPerQuarter;
  return static_cast<double>(ticks / FTicksPerQuarter);
}

double TTempoMap::TempoAtSample(double sample, double sampleRate) const {
  if (!IsMetrical())
    return 120.0;
  const long double microTicks =
      static_cast<long double>(sample) / sampleRate * MicrosecondsPerSecond * FTicksPerQuarter;
  const TSegment& segment = FSegments[SegmentAtMicroTicks(microTicks)];
  return 60e6 / static_cast<double>(segment.MicrosecondsPerQuarter);
}
