// The real Triaxo plug-in binary under triaxo-host: the bundled example, transport modes, block sizes,
// exact velocities and damaged presets.
#include "HostTestSupport.h"
#include "MidiRender.h"
#include "PresetFile.h"
#include "VstHost.h"
#include "engine/Plugin.h"
#include "host/MemoryStreamChunk.h"
#include "host/VSTPluginBaseDM.h"
#include "support/FakeHome.h"

#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <tuple>

#ifdef TRIAXO_PLUGIN_PATH

namespace {
const std::string TriaxoPlugin = TRIAXO_PLUGIN_PATH;
const std::string ExampleMelody = std::string(TRIAXO_SOURCE_DIR) + "/examples/melody.mid";
const std::string ExamplePreset = std::string(TRIAXO_SOURCE_DIR) + "/examples/C Major Strum.ventrakisp";
constexpr double Rate = 44100;
constexpr int64_t StrumSamples = 1323; // 30 ms at 44100 Hz

// The example's triads, semitones from the C of the trigger's octave, by pitch class.
const std::map<int, std::vector<int>> ExampleTriads = {{0, {0, 4, 7}},    {2, {2, 5, 9}},   {4, {4, 7, 11}},
                                                       {5, {5, 9, 12}},   {7, {7, 11, 14}}, {9, {9, 12, 16}},
                                                       {11, {11, 14, 17}}};

// Keeps the plug-ins made in this process away from the user's own settings and init preset.
class TTriaxoRender : public ::testing::Test {
protected:
  TRenderResult Render(const TMidiSong& song, int32_t block, bool stopped, const std::string& preset = "") {
    const std::vector<uint8_t> chunk = preset.empty() ? std::vector<uint8_t>() : ReadPresetFile(preset);
    return RenderThrough(TriaxoPlugin, song, Rate, block, stopped, preset.empty() ? nullptr : &chunk);
  }

  // A preset written by a plug-in instance of our own code, set up by the caller.
  std::string MakePreset(const std::string& name,
                         const std::function<void(TVSTPluginBase&, TVSTPlugin&)>& setUp) {
    TVSTPluginBase module([](TPluginHost& host) { return std::make_unique<TVSTPlugin>(host); });
    setUp(module, dynamic_cast<TVSTPlugin&>(module.Plugin()));
    TMemoryStreamChunk chunk;
    EXPECT_TRUE(module.StoreToChunk(chunk, nullptr));
    const std::string path = FFiles.File(name + ".ventrakisp");
    chunk.SaveToFile(path);
    return path;
  }

  TFakeHome FHome;
  TTempFolder FFiles;
};

struct TNoteEvent {
  int64_t Sample;
  int Pitch;
  int Velocity;
};

std::vector<TNoteEvent> NoteOns(const std::vector<TTimedMidi>& messages) {
  std::vector<TNoteEvent> notes;
  for (const TTimedMidi& m : messages)
    if ((m.Data[0] & 0xF0) == 0x90 && m.Data[2] > 0)
      notes.push_back({m.Sample, m.Data[1], m.Data[2]});
  return notes;
}

std::vector<TNoteEvent> NoteOffs(const std::vector<TTimedMidi>& messages) {
  std::vector<TNoteEvent> notes;
  for (const TTimedMidi& m : messages)
    if ((m.Data[0] & 0xF0) == 0x80 || ((m.Data[0] & 0xF0) == 0x90 && m.Data[2] == 0))
      notes.push_back({m.Sample, m.Data[1], m.Data[2]});
  return notes;
}

TEST_F(TTriaxoRender, ExampleTurnsEachWhiteKeyIntoAStrummedHumanisedTriad) {
  const TMidiSong song = ReadMidiSong(ExampleMelody);
  const TRenderResult result = Render(song, 512, false, ExamplePreset);
  const std::vector<TNoteEvent> triggers = NoteOns(result.Input);
  const std::vector<TNoteEvent> releases = NoteOffs(result.Input);
  ASSERT_EQ(triggers.size(), 11u);
  const std::vector<TNoteEvent> ons = NoteOns(result.Output);
  const std::vector<TNoteEvent> offs = NoteOffs(result.Output);
  ASSERT_EQ(ons.size(), 3 * triggers.size());
  ASSERT_EQ(offs.size(), ons.size());
  EXPECT_EQ(result.HangingNotes, 0);

  for (std::size_t t = 0; t < triggers.size(); ++t) {
    const TNoteEvent& trigger = triggers[t];
    const std::vector<int>& triad = ExampleTriads.at(trigger.Pitch % 12);
    // The velocity scale of -20 % with a random 0..20 % on top: never louder than played.
    const int softest = trigger.Velocity - static_cast<int>(std::nearbyint(trigger.Velocity * 0.2));
    for (int position = 0; position < 3; ++position) {
      const TNoteEvent& note = ons[3 * t + static_cast<std::size_t>(position)];
      EXPECT_EQ(note.Pitch, 12 * (trigger.Pitch / 12) + triad[static_cast<std::size_t>(position)]) << t;
      EXPECT_EQ(note.Sample, trigger.Sample + position * StrumSamples) << t;
      EXPECT_GE(note.Velocity, softest) << t;
      EXPECT_LE(note.Velocity, trigger.Velocity) << t;
    }
    // No release delay: the whole chord ends with its trigger.
    for (int position = 0; position < 3; ++position)
      EXPECT_EQ(offs[3 * t + static_cast<std::size_t>(position)].Sample, releases[t].Sample) << t;
  }
}

TEST_F(TTriaxoRender, ExactVelocitiesFollowTheScaleWithoutRandomRanges) {
  const std::string preset = MakePreset("scales", [](TVSTPluginBase& module, TVSTPlugin& plugin) {
    TChordNotes& chord = plugin.Setup.Triggers[0].Notes;
    chord.AddNote(0, true);
    chord.AddNote(4, true);
    chord.AddNote(7, true);
    module.SetParameterByName("Note1 Velocity Scale", -50);
    module.SetParameterByName("Note2 Velocity Scale", 50);
    module.SetParameterByName("Note3 Velocity Scale", 100);
    module.SetParameterByName("Note3 Start", 10);
    module.SetParameterByName("Note3 End", 20);
  });
  const TRenderResult result = Render(MakeSong(480, {{480, 960, 60, 100}}), 64, false, preset);
  const std::vector<TNoteEvent> ons = NoteOns(result.Output);
  ASSERT_EQ(ons.size(), 3u);
  // 100 - 50 % = 50; 100 + 50 % of 27 = 113.5, a half that goes to 114; +100 % = 127.
  EXPECT_EQ(ons[0].Velocity, 50);
  EXPECT_EQ(ons[1].Velocity, 114);
  EXPECT_EQ(ons[2].Velocity, 127);
  EXPECT_EQ(ons[2].Sample, 22050 + 441);
  const std::vector<TNoteEvent> offs = NoteOffs(result.Output);
  ASSERT_EQ(offs.size(), 3u);
  // The fifth ends 20 ms after its trigger's release; the others with it.
  EXPECT_EQ(offs.back().Pitch, 67);
  EXPECT_EQ(offs.back().Sample, 44100 + 882);
}

TEST_F(TTriaxoRender, StoppedTransportStartsChordsAtTheBlockStart) {
  const TMidiSong song = MakeSong(480, {{480, 960, 60, 100}});
  const std::vector<TNoteEvent> rolling = NoteOns(Render(song, 512, false, ExamplePreset).Output);
  const std::vector<TNoteEvent> stopped = NoteOns(Render(song, 512, true, ExamplePreset).Output);
  ASSERT_EQ(rolling.size(), 3u);
  ASSERT_EQ(stopped.size(), 3u);
  for (int position = 0; position < 3; ++position) {
    EXPECT_EQ(rolling[static_cast<std::size_t>(position)].Sample, 22050 + position * StrumSamples);
    // Sample 22050 lies in the block that starts at 22016; while stopped the offset is ignored.
    EXPECT_EQ(stopped[static_cast<std::size_t>(position)].Sample, 22016 + position * StrumSamples);
  }
}

TEST_F(TTriaxoRender, BlockSizesOneSixtyFourAndFourThousandGiveTheSameTimes) {
  // At 44100 Hz a delay of 5, 15 or 25 ms ends exactly between two samples (220.5, 661.5, 1102.5),
  // where the offset may round either way depending on where the block starts.
  const std::string preset = MakePreset("halves", [](TVSTPluginBase& module, TVSTPlugin& plugin) {
    for (int trigger : {0, 2, 4}) {
      TChordNotes& chord = plugin.Setup.Triggers[trigger].Notes;
      chord.AddNote(trigger, true);
      chord.AddNote(trigger + 4, true);
      chord.AddNote(trigger + 7, true);
    }
    module.SetParameterByName("Note2 Start", 5);
    module.SetParameterByName("Note3 Start", 15);
    module.SetParameterByName("Note3 End", 25);
  });
  // 125 bpm: a tick is 44.1 samples, so triggers fall on odd and even samples (tick 10 is 441).
  const TMidiSong song = MakeSong(
      480, {{0, 100, 60}, {10, 977, 64, 30}, {490, 961, 62}, {1001, 2000, 60, 127}, {1010, 1500, 52}},
      {{0, 480000}});
  auto render = [&](int32_t block) {
    std::vector<TTimedMidi> output = Render(song, block, false, preset).Output;
    std::stable_sort(output.begin(), output.end(), [](const TTimedMidi& a, const TTimedMidi& b) {
      return std::tie(a.Data[1], a.Data[0], a.Sample) < std::tie(b.Data[1], b.Data[0], b.Sample);
    });
    return output;
  };
  const std::vector<TTimedMidi> reference = render(1);
  ASSERT_EQ(reference.size(), 30u);
  int halves = 0;
  for (int32_t block : {64, 4096}) {
    const std::vector<TTimedMidi> other = render(block);
    ASSERT_EQ(other.size(), reference.size()) << "block " << block;
    for (std::size_t i = 0; i < reference.size(); ++i) {
      EXPECT_EQ(other[i].Data[0], reference[i].Data[0]);
      EXPECT_EQ(other[i].Data[1], reference[i].Data[1]);
      EXPECT_LE(std::abs(other[i].Sample - reference[i].Sample), 1) << "block " << block << " event " << i;
      halves += other[i].Sample != reference[i].Sample;
    }
  }
  // The song does reach halves that round differently (triggers on odd samples).
  EXPECT_GT(halves, 0);
}

TEST_F(TTriaxoRender, DamagedPresetsAreRejectedWithTheReadersText) {
  const std::vector<uint8_t> good = ReadBytes(ExamplePreset);
  ASSERT_GT(good.size(), 100u);
  std::vector<uint8_t> cut(good.begin(), good.end() - 40);
  // Keep the container consistent, so that the payload itself runs short.
  const auto payload = static_cast<uint32_t>(cut.size() - 8);
  for (int i = 0; i < 4; ++i)
    cut[4 + static_cast<std::size_t>(i)] = static_cast<uint8_t>(payload >> (8 * i));
  const std::string cutPath = FFiles.File("cut.ventrakisp");
  WriteBytes(cutPath, cut);
  std::vector<uint8_t> badTag = good;
  badTag[8 + 4 + 1] = 0x07; // the version text's string tag
  const std::string badTagPath = FFiles.File("tag.ventrakisp");
  WriteBytes(badTagPath, badTag);

  TTempFolder folder;
  const std::string out = folder.File("out.mid");
  for (const auto& [path, reason] : {std::pair{cutPath, std::string("Stream read error")},
                                     std::pair{badTagPath, std::string("Invalid property value")}}) {
    const TCommandResult run =
        RunHost({"render", ExampleMelody, "-o", out, "-p", TriaxoPlugin, "--preset", path});
    EXPECT_EQ(run.ExitCode, HostExitCode::BadInput);
    EXPECT_EQ(run.Err, "triaxo-host: preset damaged: " + path + ": " + reason + "\n");
    EXPECT_FALSE(std::filesystem::exists(out));
  }
  // The untouched preset passes the same check.
  EXPECT_NO_THROW(ReadPresetFile(ExamplePreset));
}

TEST_F(TTriaxoRender, InfoShowsTheIdentityAndThirtyParameters) {
  const TCommandResult run = RunHost({"info", "--plugin", TriaxoPlugin});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_NE(run.Out.find("Effect name:     Triaxo\n"), std::string::npos);
  EXPECT_NE(run.Out.find("Vendor:          Ventrakis\n"), std::string::npos);
  EXPECT_NE(run.Out.find("Unique ID:       'kx09' (0x6B783039)\n"), std::string::npos);
  EXPECT_NE(run.Out.find("Flags:           0x131 (HasEditor CanReplacing ProgramChunks IsSynth)\n"),
            std::string::npos);
  EXPECT_NE(run.Out.find("Parameters:      30\n"), std::string::npos);
  EXPECT_NE(run.Out.find("  29  Note5 Velocity Random"), std::string::npos);
  EXPECT_NE(run.Out.find("  receiveVstEvents         no\n"), std::string::npos);
  EXPECT_NE(run.Out.find("  receiveVstMidiEvent      yes\n"), std::string::npos);
}
} // namespace

#endif
