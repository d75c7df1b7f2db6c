// LoadBench: the chord engine under load: many triggers at once, many chord notes falling due in one
// block, a full queue, idle blocks with notes waiting. Only the block under study is timed; the
// preparation and the release between iterations are not. Under
//   valgrind --tool=callgrind --collect-atstart=no bench/triaxo_bench --benchmark_filter=...
// callgrind counts the timed blocks only (instruction counts do not depend on the machine's load).
#include "BenchHost.h"
#include "engine/Plugin.h"
#include "engine/PluginHost.h"
#include "engine/ZelRandom.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <initializer_list>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT ((void)0)
#endif

namespace {
constexpr int32_t Channels = 8;

class TLoadRig {
public:
  TBenchHost Host;
  TVSTPlugin Plugin{Host};

  TLoadRig(std::initializer_list<int32_t> intervals, int32_t startMs) {
    Seed(7);
    for (int32_t t = 0; t < TTriggers::Count; ++t) {
      Plugin.Setup.Triggers[t].Key = t;
      TChordNotes& chord = Plugin.Setup.Triggers[t].Notes;
      TUpdateScope<TChordNotes> update(chord);
      for (const int32_t interval : intervals) {
        chord.AddNote(t + interval, true);
      }
    }
    for (int32_t p = 0; p < TNoteSetup::Count; ++p) {
      Plugin.Setup.NoteSetup[p].Start = startMs;
    }
  }

  void Midi(uint8_t status, int32_t note, int32_t velocity, int32_t offset) {
    TMidiInEvent event;
    event.Data[0] = status;
    event.Data[1] = static_cast<uint8_t>(note);
    event.Data[2] = static_cast<uint8_t>(velocity);
    event.DeltaFrames = offset;
    Plugin.VSTModuleProcessMidi(event);
  }
  // Triggers `keys` notes from 36 on each of the channels, spread over the block.
  void Keys(bool press, int32_t channels, int32_t keys, int32_t frames) {
    for (int32_t channel = 0; channel < channels; ++channel) {
      for (int32_t k = 0; k < keys; ++k) {
        const int32_t note = keys > 92 ? k : 36 + k;
        Midi(static_cast<uint8_t>((press ? 0x90 : 0x80) + channel), note, press ? 100 : 0,
             press ? (k * 7) % frames : 0);
      }
    }
  }
  void Block(int32_t frames) {
    Host.SentInCall = 0;
    Plugin.VSTModuleProcess32Replacing(nullptr, nullptr, frames);
    Host.Position += frames;
  }
  // Releases everything and plays the tails out.
  void Drain(int32_t channels, int32_t keys) {
    Keys(false, channels, keys, 1);
    while (Plugin.View().QueuedEvents > 0 || Plugin.View().WaitingInput > 0) {
      Block(4096);
    }
  }
};

// The block under study; the only code callgrind sees with --collect-atstart=no.
void TimedBlock(TLoadRig& rig, int32_t frames) {
  CALLGRIND_TOGGLE_COLLECT;
  rig.Block(frames);
  CALLGRIND_TOGGLE_COLLECT;
}

void Report(benchmark::State& state, int64_t dueEvents, int64_t blocks) {
  state.counters["due_per_block"] = static_cast<double>(dueEvents) / static_cast<double>(blocks);
  state.counters["ns_per_due"] =
      benchmark::Counter(static_cast<double>(dueEvents > 0 ? dueEvents : 1),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// (c) 512 triggers (64 keys x 8 channels, 5-note chords, no delay) pressed in one block: the block
// that handles the presses and sends every chord note.
void BM_PressFiveHundredTwelveTriggers(benchmark::State& state) {
  const auto frames = static_cast<int32_t>(state.range(0));
  TLoadRig rig({0, 4, 7, 11, 14}, 0);
  int64_t due = 0;
  int64_t blocks = 0;
  for (auto _ : state) {
    state.PauseTiming();
    rig.Drain(Channels, 64);
    rig.Keys(true, Channels, 64, frames);
    const int64_t before = rig.Host.Sent;
    state.ResumeTiming();
    TimedBlock(rig, frames);
    state.PauseTiming();
    due += 512 + (rig.Host.Sent - before);
    ++blocks;
    state.ResumeTiming();
  }
  Report(state, due, blocks);
}

// (c) through an output list that takes 1023 messages per processing call, as the module's does: the
// presses and their chord notes spread over several blocks. Times the heaviest of those blocks (the
// figure a host's deadline meets); `blocks` counts them.
void BM_PressFiveHundredTwelveTriggersCapped(benchmark::State& state) {
  const auto frames = static_cast<int32_t>(state.range(0));
  TLoadRig rig({0, 4, 7, 11, 14}, 0);
  int64_t due = 0;
  int64_t blocks = 0;
  int64_t worstBlocks = 0;
  for (auto _ : state) {
    rig.Host.Cap = 1 << 30;
    rig.Drain(Channels, 64);
    rig.Host.Cap = 1023;
    rig.Keys(true, Channels, 64, frames);
    const int64_t before = rig.Host.Sent;
    double worst = 0.0;
    int64_t cycle = 0;
    // Until every press is handled and every chord note has gone out: a block that stopped short of
    // room for a press (three messages) was cut by the cap.
    do {
      const auto start = std::chrono::steady_clock::now();
      TimedBlock(rig, frames);
      const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
      worst = std::max(worst, took.count());
      ++cycle;
    } while (rig.Host.Cap - rig.Host.SentInCall < 3 || rig.Plugin.View().WaitingInput > 0);
    state.SetIterationTime(worst);
    due += 512 + (rig.Host.Sent - before);
    blocks += cycle;
    ++worstBlocks;
  }
  state.counters["blocks"] = static_cast<double>(blocks) / static_cast<double>(worstBlocks);
  state.counters["due_per_block"] = static_cast<double>(due) / static_cast<double>(blocks);
}

// Presses `channels` x `keys` triggers with chords whose notes all start a second later, then times
// the block in which they all fall due.
void FallDue(benchmark::State& state, std::initializer_list<int32_t> intervals, int32_t channels,
             int32_t keys) {
  const auto frames = static_cast<int32_t>(state.range(0));
  TLoadRig rig(intervals, 1000);
  int64_t due = 0;
  int64_t blocks = 0;
  for (auto _ : state) {
    state.PauseTiming();
    rig.Drain(channels, keys);
    rig.Keys(true, channels, keys, 1); // all at offset 0: due together 44100 samples later
    rig.Block(frames);
    rig.Host.Position += BenchSampleRate - frames; // the block where they fall due
    const int64_t before = rig.Host.Sent;
    state.ResumeTiming();
    TimedBlock(rig, frames);
    state.PauseTiming();
    due += rig.Host.Sent - before;
    ++blocks;
    state.ResumeTiming();
  }
  Report(state, due, blocks);
}

// (d) 1536 chord notes (512 triggers x 3 notes) falling due in one block.
void BM_FifteenHundredChordNotesFallDue(benchmark::State& state) {
  FallDue(state, {0, 4, 7}, Channels, 64);
}

// (e) The full queue falling due: 4096 chord notes (1024 triggers x 4 notes); and 64 (16 x 4) for the
// cost per due event against the queue's size.
void BM_FullQueueFallsDue(benchmark::State& state) {
  FallDue(state, {0, 4, 7, 11}, Channels, 128);
}
void BM_SixtyFourQueuedFallDue(benchmark::State& state) {
  FallDue(state, {0, 4, 7, 11}, 1, 16);
}

// (f) Blocks in which nothing falls due, with 1536 chord notes waiting (the transport holds still, so
// they never do), against the same blocks with an empty queue.
void IdleBlocks(benchmark::State& state, bool waiting) {
  const auto frames = static_cast<int32_t>(state.range(0));
  TLoadRig rig({0, 4, 7}, 1000);
  if (waiting) {
    rig.Keys(true, Channels, 64, 1);
    rig.Block(frames);
  }
  for (auto _ : state) {
    rig.Plugin.VSTModuleProcess32Replacing(nullptr, nullptr, frames);
  }
  state.counters["queued"] = rig.Plugin.View().QueuedEvents;
}
void BM_IdleWithFifteenHundredWaiting(benchmark::State& state) {
  IdleBlocks(state, true);
}
void BM_IdleWithEmptyQueue(benchmark::State& state) {
  IdleBlocks(state, false);
}
} // namespace

BENCHMARK(BM_PressFiveHundredTwelveTriggers)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK(BM_PressFiveHundredTwelveTriggersCapped)->Arg(32)->Arg(512)->Arg(4096)->UseManualTime();
BENCHMARK(BM_FifteenHundredChordNotesFallDue)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK(BM_FullQueueFallsDue)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK(BM_SixtyFourQueuedFallDue)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK(BM_IdleWithFifteenHundredWaiting)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK(BM_IdleWithEmptyQueue)->Arg(32)->Arg(512)->Arg(4096);
