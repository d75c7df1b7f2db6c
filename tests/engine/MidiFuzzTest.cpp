// Seeded random MIDI, transport and setup changes against the rules of the plug-in's output: never
// two note-ons of a channel and pitch without a note-off between, no note-off of a silent pitch,
// every offset inside its block and in order, and nothing left on once every key is up and the tails
// have played. TRIAXO_FUZZ_EVENTS sets the number of incoming events (default: a few seconds' worth);
// TRIAXO_FUZZ_SEED the first seed.
#include "support/OutputChecker.h"
#include "support/TestHost.h"

#include "engine/ZelRandom.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>
#include <utility>

namespace {

int64_t EnvNumber(const char* name, int64_t fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? std::strtoll(text, nullptr, 10) : fallback;
}

class TFuzzRun : public TEngineDriver {
public:
  explicit TFuzzRun(uint32_t seed) : FRandom(seed) { Seed(seed); }

  TOutputChecker Checker;
  int64_t EventsSent = 0;

  void Run(int64_t events) {
    Frames = 512;
    Play(0);
    while (EventsSent < events) {
      BetweenBlocks();
      const int32_t count = Chance(2) ? Uniform(100, 400) : Uniform(0, 12);
      for (int32_t i = 0; i < count; ++i) {
        OneEvent();
      }
      CheckedBlock();
    }
    ReleaseEverything();
  }

private:
  int32_t Uniform(int32_t low, int32_t high) {
    return std::uniform_int_distribution<int32_t>(low, high)(FRandom);
  }
  bool Chance(int32_t percent) { return Uniform(0, 999) < percent * 10; }

  void CheckedBlock() {
    Block();
    std::vector<TOutputChecker::TMessage> messages;
    for (const TSentMessage& m : Host.Sent()) {
      messages.push_back({m.Status, m.Data1, m.Data2, m.Offset});
    }
    Checker.Block(messages, Frames);
    Host.ClearSent();
  }

  void BetweenBlocks() {
    if (Chance(10)) {
      static constexpr int32_t Sizes[] = {1, 32, 64, 128, 256, 512, 1024, 4096, 16384};
      Frames = Chance(50) ? Sizes[Uniform(0, 8)] : Uniform(1, 16384);
    }
    if (Chance(2)) {
      Host.Time.Playing ? Stop() : Play(Uniform(0, 1000000));
    }
    if (Chance(1) && Host.Time.Playing) {
      Host.Time.SamplePosition = Uniform(0, static_cast<int32_t>(Host.Time.SamplePosition)); // loop back
    }
    if (Chance(1)) {
      static constexpr float Rates[] = {22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f};
      Host.Rate = Rates[Uniform(0, 4)];
    }
    if (Chance(5)) {
      TNoteSetupItem& item = Plugin.Setup.NoteSetup[Uniform(0, 4)];
      item.Start = Uniform(0, 1000);
      item.StartRandom = Chance(50) ? 0 : Uniform(0, 1000);
      item.End = Uniform(0, 1000);
      item.EndRandom = Chance(50) ? 0 : Uniform(0, 1000);
      item.VelocityScale = Uniform(-100, 100);
      item.VelocityRandom = Chance(50) ? 0 : Uniform(0, 100);
    }
    if (Chance(2)) {
      Plugin.Setup.OctaveRangeFrom = Uniform(0, 5);
      Plugin.Setup.OctaveRangeTo = Uniform(4, 10);
      Plugin.Setup.TransposeOctave = Uniform(-2, 2);
      Plugin.Setup.TransposeOctaveBelow = Uniform(-2, 2);
      Plugin.Setup.TransposeOctaveAbove = Uniform(-2, 2);
      Plugin.Setup.FollowTriggerNotes = Chance(50);
      Plugin.Setup.NoteSetup.RandomNoteAssignment = Chance(30);
      Plugin.Setup.NoteSetup.RelativeTiming = Chance(30);
      Plugin.Setup.NoteSetup.SameRandomVelocity = Chance(30);
    }
    if (Chance(3)) {
      RandomChord(Uniform(0, 11));
    }
    if (Chance(1)) {
      Plugin.Setup.Triggers[Uniform(0, 11)].Key = Chance(30) ? -1 : Uniform(0, 11);
    }
    if (Chance(1)) {
      // What a chunk load does to the engine: the setup back to defaults, then a new one.
      Plugin.ResetToDefaults();
      for (int32_t t = 0; t < 12; ++t) {
        RandomChord(t);
      }
    }
    if (Chance(1)) {
      Host.Mode = ccmLearnOctave;
    }
    if (Chance(1) && Chance(30)) {
      Plugin.VSTModuleSuspend();
    }
  }

  void RandomChord(int32_t trigger) {
    TChordNotes& chord = Plugin.Setup.Triggers[trigger].Notes;
    TUpdateScope<TChordNotes> update(chord);
    chord.Clear();
    const int32_t notes = Uniform(0, 5);
    for (int32_t n = 0; n < notes; ++n) {
      chord.AddNote(Uniform(-12, 24), true);
    }
    for (int32_t n = 0; n < chord.Count(); ++n) {
      chord[n].SetPosition(Uniform(0, 4));
    }
  }

  int32_t Offset() { return Chance(10) ? Uniform(-50, 3 * Frames) : Uniform(0, Frames - 1); }

  void OneEvent() {
    ++EventsSent;
    const int32_t kind = Uniform(0, 99);
    const int32_t channel = Uniform(0, 3);
    if (kind < 40) {
      const int32_t note = Chance(80) ? Uniform(36, 96) : Uniform(0, 127);
      NoteOn(note, Uniform(1, 127), Offset(), channel);
      FHeld.emplace(channel, note);
    } else if (kind < 72) {
      if (FHeld.empty()) {
        return;
      }
      auto it = FHeld.begin();
      std::advance(it, Uniform(0, static_cast<int32_t>(FHeld.size()) - 1));
      if (Chance(20)) {
        NoteOn(it->second, 0, Offset(), it->first); // velocity 0: a release
      } else {
        NoteOff(it->second, Offset(), it->first, Uniform(0, 127));
      }
      FHeld.erase(it);
    } else if (kind < 84) {
      static constexpr uint8_t Controllers[] = {1, 7, 10, 64, 120, 123, 121};
      const uint8_t controller =
          Chance(50) ? Controllers[Uniform(0, 6)] : static_cast<uint8_t>(Uniform(0, 127));
      Midi(static_cast<uint8_t>(0xB0 + channel), controller, static_cast<uint8_t>(Uniform(0, 127)), Offset());
    } else if (kind < 92) {
      static constexpr uint8_t Kinds[] = {0xA0, 0xD0, 0xE0, 0xC0, 0xF0};
      Midi(static_cast<uint8_t>(Kinds[Uniform(0, 4)] + channel), static_cast<uint8_t>(Uniform(0, 127)),
           static_cast<uint8_t>(Uniform(0, 127)), Offset());
    } else if (kind < 96) {
      const int32_t note = Uniform(36, 96);
      if (FPreviewTriggers.count(note) != 0) {
        Plugin.StopTrigger(note);
        FPreviewTriggers.erase(note);
      } else if (Plugin.PlayTrigger(note)) {
        FPreviewTriggers.insert(note);
      }
    } else {
      const int32_t note = Uniform(36, 96);
      if (FPreviewNotes.count(note) != 0) {
        Plugin.StopNote(note);
        FPreviewNotes.erase(note);
      } else if (Plugin.PlayNote(note, Uniform(1, 127))) {
        FPreviewNotes.insert(note);
      }
    }
  }

  void ReleaseEverything() {
    for (const auto& [channel, note] : FHeld) {
      NoteOff(note, 0, channel);
    }
    FHeld.clear();
    for (const int32_t note : FPreviewTriggers) {
      Plugin.StopTrigger(note);
    }
    for (const int32_t note : FPreviewNotes) {
      Plugin.StopNote(note);
    }
    // Transport playing, long blocks: every release tail (at most a second) plays out.
    Play(Host.Time.SamplePosition);
    Frames = 4096;
    for (int32_t i = 0; i < 100 || Plugin.View().WaitingInput > 0 || Plugin.View().QueuedEvents > 0; ++i) {
      CheckedBlock();
      if (i > 10000) {
        break;
      }
    }
  }

  std::mt19937 FRandom;
  std::set<std::pair<int32_t, int32_t>> FHeld;
  std::set<int32_t> FPreviewTriggers;
  std::set<int32_t> FPreviewNotes;
};

} // namespace

TEST(MidiFuzz, RandomMidiTransportAndSetupChangesKeepEveryOutputRule) {
  const int64_t events = EnvNumber("TRIAXO_FUZZ_EVENTS", 150000);
  const auto firstSeed = static_cast<uint32_t>(EnvNumber("TRIAXO_FUZZ_SEED", 1));
  int64_t messages = 0;
  for (uint32_t seed = firstSeed; seed < firstSeed + 3; ++seed) {
    TFuzzRun run(seed);
    run.Run(events / 3);
    SCOPED_TRACE("seed " + std::to_string(seed));
    EXPECT_TRUE(run.Checker.Problems().empty()) << run.Checker.Report();
    EXPECT_EQ(run.Checker.Sounding(), 0);
    EXPECT_EQ(run.Plugin.View().SoundingNotes, 0);
    EXPECT_EQ(run.Plugin.View().QueuedEvents, 0);
    EXPECT_EQ(run.Host.Lost, 0); // the engine never offers more than the list takes
    messages += run.Checker.Messages();
  }
  RecordProperty("messages", std::to_string(messages));
  EXPECT_GT(messages, events / 2);
}
