// Stress: editor-side chord and setup edits, previews and editor idle on one thread against MIDI and
// block processing on another. Run under ThreadSanitizer by the tsan preset.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <random>
#include <thread>

namespace {
constexpr auto StressDuration = std::chrono::milliseconds(1500);

// The user-interface thread: everything the editor, the parameters and chunk loads do.
void EditorThread(TVSTPlugin& plugin, std::atomic<bool>& stop) {
  TTestEditor editor;
  std::minstd_rand random(7);
  auto pick = [&](int32_t low, int32_t high) {
    return std::uniform_int_distribution<int32_t>(low, high)(random);
  };
  plugin.AttachEditor(&editor);
  TTriaxoSetup& setup = plugin.Setup;
  while (!stop.load(std::memory_order_relaxed)) {
    TChordNotes& chord = setup.Triggers[pick(0, 11)].Notes;
    switch (pick(0, 11)) {
    case 0:
      chord.AddNote(pick(-24, 35), true);
      break;
    case 1:
      chord.RemoveNote(pick(-24, 35));
      break;
    case 2:
      chord.Transpose(pick(-2, 2));
      break;
    case 3:
      if (chord.Count() > 0) {
        chord[pick(0, chord.Count() - 1)].SetPosition(pick(0, 4));
      }
      break;
    case 4: {
      TUpdateScope<TTriaxoSetup> update(setup); // a chunk load
      chord.Clear();
      for (int32_t n = 0; n < 5; ++n) {
        chord.AddNote(pick(-12, 24), true);
      }
      break;
    }
    case 5: {
      TNoteSetupItem& item = setup.NoteSetup[pick(0, 4)];
      item.Start = pick(0, 50);
      item.StartRandom = pick(0, 50);
      item.End = pick(0, 50);
      item.VelocityScale = pick(-100, 100);
      item.VelocityRandom = pick(0, 200);
      break;
    }
    case 6:
      setup.Triggers[pick(0, 11)].Key = pick(-1, 11);
      setup.TransposeOctave = pick(-1, 1);
      setup.OctaveRangeFrom = pick(0, 4);
      setup.NoteSetup.RandomNoteAssignment = pick(0, 1) == 1;
      setup.NoteSetup.RelativeTiming = pick(0, 1) == 1;
      setup.NoteSetup.SameRandomVelocity = pick(0, 1) == 1;
      break;
    case 7:
      plugin.PlayTrigger(48 + pick(0, 11)); // a full queue drops it: fine here
      break;
    case 8:
      plugin.PlayNote(pick(36, 84), 100);
      break;
    case 9:
      plugin.VSTModuleEditIdle();
      break;
    case 10:
      if (pick(0, 50) == 0) {
        plugin.ResetToDefaults();
      }
      break;
    default:
      if (pick(0, 20) == 0) {
        plugin.AttachEditor(nullptr);
        plugin.AttachEditor(&editor);
      }
      break;
    }
  }
  plugin.AttachEditor(nullptr);
}

// Which pitches sound after the messages sent so far (last message per channel and pitch wins).
struct TSoundingPitches {
  std::array<std::array<bool, 128>, 16> On{};
  void Apply(const TTestHost& host) {
    for (const TSentMessage& message : host.Sent()) {
      const int32_t kind = message.Status & 0xF0;
      if (kind == 0x90 || kind == 0x80) {
        On[message.Status & 0x0F][message.Data1 & 0x7F] = kind == 0x90 && message.Data2 > 0;
      }
    }
  }
  int32_t Count() const {
    int32_t count = 0;
    for (const auto& channel : On) {
      for (bool sounding : channel) {
        count += sounding ? 1 : 0;
      }
    }
    return count;
  }
};
} // namespace

TEST(EngineStress, EditorEditsAndPreviewsAgainstProcessingStayRaceFreeAndLeaveNoNoteSounding) {
  TEngineDriver audio;
  audio.Frames = 64;
  std::atomic<bool> stop{false};
  std::thread editor(EditorThread, std::ref(audio.Plugin), std::ref(stop));

  TSoundingPitches sounding;
  std::minstd_rand random(11);
  std::array<bool, 128> held{};
  const auto end = std::chrono::steady_clock::now() + StressDuration;
  int64_t blocks = 0;
  while (std::chrono::steady_clock::now() < end) {
    const int32_t note = std::uniform_int_distribution<int32_t>(24, 96)(random);
    const int32_t channel = note % 3;
    if (held[note]) {
      audio.NoteOff(note, 3, channel);
    } else {
      audio.NoteOn(note, 100, 5, channel);
    }
    held[note] = !held[note];
    if (blocks % 500 == 250) {
      audio.Host.Time.Playing = !audio.Host.Time.Playing;
    }
    audio.Block();
    ++blocks;
    sounding.Apply(audio.Host);
    audio.Host.ClearSent();
  }
  stop = true;
  editor.join();

  // Everything let go; the last previews end through their own queue.
  for (int32_t trigger = 48; trigger < 60; ++trigger) {
    while (!audio.Plugin.StopTrigger(trigger)) {
      audio.Block();
    }
  }
  for (int32_t note = 0; note < 128; ++note) {
    if (held[note]) {
      audio.NoteOff(note, 0, note % 3);
    }
    while (!audio.Plugin.StopNote(note)) {
      audio.Block();
    }
  }
  for (int i = 0; i < 2000; ++i) {
    audio.Block();
    sounding.Apply(audio.Host);
    audio.Host.ClearSent();
  }
  EXPECT_GT(blocks, 100);
  EXPECT_EQ(audio.Plugin.View().QueuedEvents, 0);
  EXPECT_EQ(sounding.Count(), 0);
}
