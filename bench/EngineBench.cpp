// EngineBench: per-block cost of the chord engine (MIDI handling plus block processing).
#include "BenchHost.h"
#include "engine/Plugin.h"
#include "engine/PluginHost.h"
#include "engine/ZelRandom.h"

#include <benchmark/benchmark.h>

namespace {

void Send(TVSTPlugin& plugin, uint8_t status, int32_t note, int32_t velocity, int32_t offset) {
  TMidiInEvent event;
  event.Data[0] = status;
  event.Data[1] = static_cast<uint8_t>(note);
  event.Data[2] = static_cast<uint8_t>(velocity);
  event.DeltaFrames = offset;
  plugin.VSTModuleProcessMidi(event);
}

void SetFiveNoteChords(TVSTPlugin& plugin) {
  for (int32_t trigger = 0; trigger < TTriggers::Count; ++trigger) {
    plugin.Setup.Triggers[trigger].Key = trigger;
    TChordNotes& chord = plugin.Setup.Triggers[trigger].Notes;
    TUpdateScope<TChordNotes> update(chord);
    for (const int32_t interval : {0, 4, 7, 11, 14}) {
      chord.AddNote(trigger + interval, true);
    }
  }
}

// Runs blocks as the iterations; `midi(block)` feeds the block's MIDI first. Reports ns per block
// (the iteration time), ns per queued event and messages sent per block.
template <typename TMidi>
void RunBlocks(benchmark::State& state, TVSTPlugin& plugin, TBenchHost& host, TMidi midi) {
  const auto frames = static_cast<int32_t>(state.range(0));
  int64_t block = 0;
  int64_t queued = 0;
  for (auto _ : state) {
    midi(block, frames);
    queued += plugin.View().QueuedEvents;
    plugin.VSTModuleProcess32Replacing(nullptr, nullptr, frames);
    host.Position += frames;
    ++block;
  }
  state.counters["ns_per_event"] =
      benchmark::Counter(static_cast<double>(queued > 0 ? queued : 1),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["events_per_block"] = static_cast<double>(queued) / static_cast<double>(block);
  state.counters["sent_per_block"] = static_cast<double>(host.Sent) / static_cast<double>(block);
}

// (a) One 5-note chord strummed upwards (30 ms apart), held for a second, released in turn; repeated.
void BM_StrummedChord(benchmark::State& state) {
  TBenchHost host;
  TVSTPlugin plugin(host);
  Seed(1);
  SetFiveNoteChords(plugin);
  for (int32_t p = 0; p < TNoteSetup::Count; ++p) {
    plugin.Setup.NoteSetup[p].Start = 30 * p;
    plugin.Setup.NoteSetup[p].End = 20 * p;
  }
  const int64_t cycle = static_cast<int64_t>(1.5 * BenchSampleRate);
  RunBlocks(state, plugin, host, [&](int64_t block, int32_t frames) {
    const int64_t start = block * frames % cycle;
    if (start < frames) {
      Send(plugin, 0x90, 60, 100, 0);
    } else if (start <= cycle / 1.5 && start + frames > cycle / 1.5) {
      Send(plugin, 0x80, 60, 0, 0);
    }
  });
}

// (b) 64 held triggers (notes 36..99), each with a 5-note chord and random timing and velocity; all
// pressed at random offsets, held two seconds, released, half a second of rest; repeated.
void BM_SixtyFourHeldTriggers(benchmark::State& state) {
  TBenchHost host;
  TVSTPlugin plugin(host);
  Seed(2);
  SetFiveNoteChords(plugin);
  for (int32_t p = 0; p < TNoteSetup::Count; ++p) {
    TNoteSetupItem& item = plugin.Setup.NoteSetup[p];
    item.Start = 10 * p;
    item.StartRandom = 40;
    item.End = 10;
    item.EndRandom = 60;
    item.VelocityScale = -10 * p;
    item.VelocityRandom = 30;
  }
  const int64_t cycle = static_cast<int64_t>(2.5 * BenchSampleRate);
  const int64_t release = static_cast<int64_t>(2.0 * BenchSampleRate);
  RunBlocks(state, plugin, host, [&](int64_t block, int32_t frames) {
    const int64_t start = block * frames % cycle;
    const bool press = start < frames;
    const bool lift = start <= release && start + frames > release;
    if (press || lift) {
      for (int32_t note = 36; note < 100; ++note) {
        const auto offset = static_cast<int32_t>(Random(static_cast<uint32_t>(frames)));
        Send(plugin, press ? 0x90 : 0x80, note, press ? 100 : 0, offset);
      }
    }
  });
}
} // namespace

BENCHMARK(BM_StrummedChord)->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK(BM_SixtyFourHeldTriggers)->Arg(32)->Arg(512)->Arg(4096);
