// Rendering through the echo plug-in: sample-accurate times, transport modes, block sizes, files.
#include "HostTestSupport.h"
#include "MidiRender.h"
#include "PianoRoll.h"
#include "VstHost.h"

#include <cmath>

namespace {
const std::string EchoPlugin = TRIAXO_TEST_ECHO_PLUGIN;
constexpr double Rate = 44100;
constexpr double EchoDelay = 100.5; // the echo plug-in's late copy, in samples

TRenderResult Render(const TMidiSong& song, int32_t block, bool stopped, double rate = Rate) {
  return RenderThrough(EchoPlugin, song, rate, block, stopped);
}

std::vector<TTimedMidi> Select(const std::vector<TTimedMidi>& messages, int pitch) {
  std::vector<TTimedMidi> selected;
  for (const TTimedMidi& m : messages)
    if (m.Data[1] == pitch)
      selected.push_back(m);
  return selected;
}

// Two notes at 120 bpm, 480 ticks per quarter: a tick is 45.9375 samples.
TMidiSong TwoNotes() {
  return MakeSong(480, {{480, 960, 60, 100}, {1000, 1500, 64, 90}});
}

TEST(HostRender, RollingTransportPlaysEveryEventAtItsOwnSample) {
  const TRenderResult result = Render(TwoNotes(), 512, false);
  ASSERT_EQ(result.Input.size(), 4u);
  EXPECT_EQ(result.Input[0].Sample, 22050);
  EXPECT_EQ(result.Input[2].Sample, 45938); // tick 1000 = 45937.5, a half that rounds to even

  const std::vector<TTimedMidi> direct60 = Select(result.Output, 60);
  ASSERT_EQ(direct60.size(), 2u);
  EXPECT_EQ(direct60[0].Sample, 22050);
  EXPECT_EQ(direct60[0].Data[0], 0x90);
  EXPECT_EQ(direct60[0].Data[2], 100);
  EXPECT_EQ(direct60[1].Sample, 44100);
  EXPECT_EQ(direct60[1].Data[0], 0x80);
  // The late copy is due at 22150.5; either neighbour is exact.
  const std::vector<TTimedMidi> late72 = Select(result.Output, 72);
  ASSERT_EQ(late72.size(), 2u);
  EXPECT_LE(std::abs(static_cast<double>(late72[0].Sample) - (22050 + EchoDelay)), 0.5);
  EXPECT_EQ(result.HangingNotes, 0);
  EXPECT_EQ(CountNoteOns(result.Output), 4);
  EXPECT_EQ(CountNoteOffs(result.Output), 4);
}

TEST(HostRender, StoppedTransportPlaysEveryEventAtItsBlockStart) {
  const TRenderResult result = Render(TwoNotes(), 512, true);
  const std::vector<TTimedMidi> direct60 = Select(result.Output, 60);
  ASSERT_EQ(direct60.size(), 2u);
  // The plug-in ignores sample offsets while stopped: 22050 falls in the block starting at 22016.
  EXPECT_EQ(direct60[0].Sample, 22016);
  EXPECT_EQ(direct60[1].Sample, 44032);
  const std::vector<TTimedMidi> late72 = Select(result.Output, 72);
  ASSERT_EQ(late72.size(), 2u);
  EXPECT_LE(std::abs(static_cast<double>(late72[0].Sample) - (22016 + EchoDelay)), 0.5);
}

TEST(HostRender, BlockSizesOneSixtyFourAndFourThousandGiveTheSameTimes) {
  const TMidiSong song =
      MakeSong(480, {{0, 333, 40}, {7, 11, 43, 20}, {480, 1201, 47}, {999, 1000, 50}, {2047, 4095, 53, 127}},
               {{0, 512345}, {1200, 1234567}});
  const TRenderResult reference = Render(song, 1, false);
  for (int32_t block : {64, 4096}) {
    const TRenderResult other = Render(song, block, false);
    ASSERT_EQ(other.Output.size(), reference.Output.size()) << "block " << block;
    for (std::size_t i = 0; i < reference.Output.size(); ++i) {
      const TTimedMidi& a = reference.Output[i];
      const TTimedMidi& b = other.Output[i];
      EXPECT_EQ(std::vector<uint8_t>(a.Data, a.Data + 3), std::vector<uint8_t>(b.Data, b.Data + 3));
      // Only the late copies fall exactly between two samples; they may round either way.
      const bool half = a.Data[1] >= 52;
      EXPECT_LE(std::abs(a.Sample - b.Sample), half ? 1 : 0) << "block " << block << " event " << i;
    }
  }
}

TEST(HostRender, OutputFileKeepsResolutionAndTempoMap) {
  TTempFolder folder;
  const TMidiSong song = MakeSong(96, {{96, 192, 60}, {384, 480, 62}}, {{0, 400000}, {288, 750000}});
  const std::string input = WriteSongFile(folder, "in.mid", song);
  const std::string output = folder.File("sub/out.mid");
  const TCommandResult run = RunHost({"render", input, "-o" + output, "-p", EchoPlugin, "-b64", "-q"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_TRUE(run.Out.empty());

  const TMidiSong written = ReadMidiSong(output);
  EXPECT_EQ(written.TimeFormat, 96);
  ASSERT_EQ(written.TempoMap.Changes().size(), 2u);
  EXPECT_EQ(written.TempoMap.Changes()[1].Tick, 288);
  EXPECT_EQ(written.TempoMap.Changes()[1].MicrosecondsPerQuarter, 750000);
  // The direct echoes come back on their own ticks.
  std::vector<int64_t> ticks60;
  for (const TSongEvent& event : written.Events)
    if (event.Data[1] == 60)
      ticks60.push_back(event.Tick);
  EXPECT_EQ(ticks60, (std::vector<int64_t>{96, 192}));
  std::vector<int64_t> ticks62;
  for (const TSongEvent& event : written.Events)
    if (event.Data[1] == 62)
      ticks62.push_back(event.Tick);
  EXPECT_EQ(ticks62, (std::vector<int64_t>{384, 480}));
  EXPECT_EQ(written.Events.size(), 8u);
}

TEST(HostRender, ControllersAndPressurePassThroughWithTheirLengths) {
  TTempFolder folder;
  TMidiSong song = MakeSong(480, {{0, 480, 60}});
  song.Events.push_back({240, {0xB3, 7, 99}, 3});
  song.Events.push_back({250, {0xD3, 64, 0}, 2});
  song.Events.push_back({260, {0xE3, 0, 64}, 3});
  std::stable_sort(song.Events.begin(), song.Events.end(),
                   [](const TSongEvent& a, const TSongEvent& b) { return a.Tick < b.Tick; });
  const std::string output = folder.File("out.mid");
  const TCommandResult run =
      RunHost({"render", WriteSongFile(folder, "in.mid", song), "-o", output, "-p", EchoPlugin, "-q"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  const TMidiSong written = ReadMidiSong(output);
  int found = 0;
  for (const TSongEvent& event : written.Events) {
    if (event.Data[0] == 0xB3) {
      EXPECT_EQ(event.Tick, 240);
      EXPECT_EQ(event.Data[2], 99);
      ++found;
    } else if (event.Data[0] == 0xD3) {
      EXPECT_EQ(event.Size, 2);
      EXPECT_EQ(event.Data[1], 64);
      ++found;
    } else if (event.Data[0] == 0xE3) {
      EXPECT_EQ(event.Data[2], 64);
      ++found;
    }
  }
  EXPECT_EQ(found, 3);
}

TEST(HostRender, SummaryAndPianoRollDescribeTheRender) {
  TTempFolder folder;
  const std::string input = WriteSongFile(folder, "in.mid", TwoNotes());
  const std::string svg = folder.File("roll.svg");
  const TCommandResult run = RunHost({"render", input, "-o", folder.File("out.mid"), "--plugin", EchoPlugin,
                                      "--piano-roll", svg, "--sample-rate", "48000", "--block", "128"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_NE(run.Out.find(": 4 events, 2 note-ons, 480 ticks per quarter note"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("48000 Hz, blocks of 128 frames, transport rolling from 0"), std::string::npos);
  EXPECT_NE(run.Out.find("8 events (4 note-ons, 4 note-offs), 2.00 notes per trigger"), std::string::npos);
  EXPECT_NE(run.Out.find("first output at 0.5000 s (sample 24000)"), std::string::npos) << run.Out;

  std::ifstream in(svg);
  const std::string document((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(document.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
  EXPECT_NE(document.find("</svg>"), std::string::npos);
  // Four output notes and two input notes, each with its tooltip; C3 is MIDI note 60.
  auto count = [&](const std::string& what) {
    int n = 0;
    for (std::size_t at = document.find(what); at != std::string::npos; at = document.find(what, at + 1))
      ++n;
    return n;
  };
  EXPECT_EQ(count("<title>input "), 2);
  EXPECT_EQ(count("<title>C3 velocity 100"), 1);
  EXPECT_EQ(count("<title>C4 velocity 100"), 1);
  EXPECT_EQ(count("<title>E3 velocity 90"), 1);
}

TEST(HostRender, HeldNotesEndAfterTheTailAndAreReported) {
  TTempFolder folder;
  TMidiSong song = MakeSong(480, {{0, 480, 60}});
  song.Events.pop_back(); // the note never ends
  const std::string input = WriteSongFile(folder, "in.mid", song);
  const TCommandResult run =
      RunHost({"render", input, "-o", folder.File("out.mid"), "-p", EchoPlugin, "--tail", "0.5", "-q"});
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_NE(run.Err.find("warning: 2 output note(s) still sounding"), std::string::npos) << run.Err;
}
} // namespace
