// The timing and velocity panel and the options of the real Triaxo.so in a host window under X: sliders
// dragged and pressed with synthetic X events at their designed places, checked through the host's
// automate calls, the MIDI the plug-in sends, its program chunk and the pixels it shows.
#include "TestDisplay.h"

#include "engine/Plugin.h"
#include "host/MemoryStreamChunk.h"
#include "host/VSTPluginBaseDM.h"
#include "support/FakeHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

// Xlib last: its macros would break the headers above.
#include "support/X11TestHost.h"

#if defined(TRIAXO_PLUGIN_PATH)
namespace {

// The two main panels' origin in the editor window: panMain below the heading, the panel inside it.
constexpr int PanelLeft = 3 + 12;
constexpr int PanelTop = 45 + 58;
// "Note 2"'s start slider: row 2 at top 79, its panel at left 60, the slider at (87, 8), 404 wide.
constexpr int Note2StartX = PanelLeft + 60 + 87;
constexpr int Note2StartY = PanelTop + 79 + 8 + 12;
// "Note 3"'s scale dial: row 3 at top 158, the dial at (510, 25), 42 x 42.
constexpr int Note3ScaleX = PanelLeft + 60 + 510;
constexpr int Note3ScaleY = PanelTop + 158 + 25;

// A program chunk made with the plug-in's own writer.
std::vector<uint8_t> ChunkWith(const std::function<void(TVSTPluginBase&, TVSTPlugin&)>& edit) {
  TVSTPlugin* plugin = nullptr;
  TVSTPluginBase module([&plugin](TPluginHost& host) {
    auto made = std::make_unique<TVSTPlugin>(host);
    plugin = made.get();
    return made;
  });
  edit(module, *plugin);
  TMemoryStreamChunk chunk;
  module.StoreToChunk(chunk, nullptr);
  std::vector<uint8_t> bytes;
  chunk.WriteToStream(bytes);
  return bytes;
}

// The home comes before the plug-in, which reads its settings when it starts.
struct THomeFirst {
  TFakeHome Home;
};

// The plug-in in a host window with its editor open on the timing panel.
struct TTimingSession : THomeFirst, X11TestHost::TEditorSession {
  bool Open() {
    if (!TEditorSession::Open()) {
      return false;
    }
    // "Timing / Velocity" at (159, 13), 141 x 33 in panMain.
    Host.Click(Editor, 3 + 159 + 70, 45 + 13 + 16);
    Settle();
    return true;
  }
  // The setup of the current program chunk, read back with the plug-in's own reader.
  int32_t StoredOctaveRangeFrom() {
    void* data = nullptr;
    const auto size = Plugin.Dispatch(vst::effGetChunk, 1, 0, &data);
    TMemoryStreamChunk chunk;
    chunk.ReadFromStream(static_cast<const uint8_t*>(data), static_cast<std::size_t>(size));
    TVSTPlugin* plugin = nullptr;
    TVSTPluginBase module([&plugin](TPluginHost& host) {
      auto made = std::make_unique<TVSTPlugin>(host);
      plugin = made.get();
      return made;
    });
    module.LoadFromChunk(chunk, false, nullptr);
    return plugin->Setup.OctaveRangeFrom;
  }
};
} // namespace

TEST(TimingEditorWindow, DraggingNote2StartAutomatesItAndStrumsTheChord) {
  REQUIRE_TEST_DISPLAY();
  TTimingSession session;
  // Trigger C plays C, E, G on positions 1, 2 and 3.
  session.SetChunk(ChunkWith([](TVSTPluginBase&, TVSTPlugin& plugin) {
    TChordNotes& chord = plugin.Setup.Triggers[0].Notes;
    for (const int32_t note : {0, 4, 7}) {
      chord.AddNote(note, true);
    }
  }));
  ASSERT_TRUE(session.Open());
  session.Log().Automations.clear();

  // Pixel 202 of the 404-pixel slider (one-pixel border) is 500 ms.
  session.Drag(Note2StartX + 10, Note2StartX + 202, Note2StartY);
  ASSERT_FALSE(session.Log().Automations.empty());
  for (const auto& [index, value] : session.Log().Automations) {
    EXPECT_EQ(index, 6) << "only Note2 Start is touched and automated";
  }
  EXPECT_NEAR(session.Log().Automations.back().second, 0.5f, 0.001f);
  EXPECT_GT(session.Log().Automations.size(), 5u);
  EXPECT_NEAR(session.Parameter(6), 0.5f, 0.001f);

  // The second chord note now starts half a second after the others.
  session.SendMidi(0x90, 60, 100);
  session.Process(50);
  auto ons = session.Log().NotesOn();
  std::sort(ons.begin(), ons.end());
  ASSERT_EQ(ons.size(), 3u);
  EXPECT_EQ(ons[0], std::make_pair(0, 60));
  EXPECT_EQ(ons[1], std::make_pair(0, 67));
  EXPECT_NEAR(ons[2].first, 22050, 1);
  EXPECT_EQ(ons[2].second, 64);
}

TEST(TimingEditorWindow, AltPressInMidiLearnLearnsTheStartRandom) {
  REQUIRE_TEST_DISPLAY();
  TTimingSession session;
  ASSERT_TRUE(session.Open());
  // Main menu: Init, Load Preset, Save Preset, MIDI CC Learn (MIDI CC Teach stays hidden).
  session.Host.Click(session.Editor, 19, 21);
  session.Settle();
  for (int i = 0; i < 4; ++i) {
    session.Host.Key(session.Editor, XK_Down);
    session.Settle(60);
  }
  session.Host.Key(session.Editor, XK_Return);
  session.Settle();
  session.Host.Click(session.Editor, Note2StartX + 100, Note2StartY, Button1, Mod1Mask);
  session.Settle();
  EXPECT_EQ(session.Parameter(7), 0.0f) << "a learning press changes nothing";
  // Controller 20 is learned for the target; its full value then sets Note2 Start Random to 1000 ms.
  session.SendMidi(0xB0, 20, 0);
  session.Process(1);
  session.Settle();
  session.SendMidi(0xB0, 20, 127);
  session.Process(1);
  EXPECT_FLOAT_EQ(session.Parameter(7), 1.0f);
  EXPECT_FLOAT_EQ(session.Parameter(6), 0.0f);
}

TEST(TimingEditorWindow, LearnOnTheFromInputTakesTheOctaveOfTheNextKey) {
  REQUIRE_TEST_DISPLAY();
  TTimingSession session;
  ASSERT_TRUE(session.Open());
  // Back to "Chord Setup", then the From input's menu (at (819, 0), 36 x 24): its last item is "Learn".
  session.Host.Click(session.Editor, 3 + 12 + 70, 45 + 13 + 16);
  session.Settle();
  session.Host.Click(session.Editor, PanelLeft + 819 + 18, PanelTop + 12, Button3);
  session.Settle();
  for (int i = 0; i < 12; ++i) {
    session.Host.Key(session.Editor, XK_Down);
    session.Settle(40);
  }
  session.Host.Key(session.Editor, XK_Return);
  session.Settle();

  session.SendMidi(0x90, 60, 100);
  session.Process(4);
  session.Settle();
  EXPECT_TRUE(session.Log().NotesOn().empty()) << "the learning key plays no chord";
  EXPECT_EQ(session.StoredOctaveRangeFrom(), 5);
  // Learning is over: the next key is a trigger again (a chordless trigger plays itself).
  session.SendMidi(0x90, 62, 100);
  session.Process(4);
  EXPECT_FALSE(session.Log().NotesOn().empty());
}

TEST(TimingEditorWindow, HostSetParameterMovesADialAtTheNextIdle) {
  REQUIRE_TEST_DISPLAY();
  TTimingSession session;
  ASSERT_TRUE(session.Open());
  const auto before = session.Pixels(Note3ScaleX, Note3ScaleY, 42, 42);
  session.Log().Automations.clear();
  // "Note3 Velocity Scale" to +80 %.
  session.Plugin.Effect->setParameter(session.Plugin.Effect, 16, 0.9f);
  session.Settle();
  EXPECT_NE(session.Pixels(Note3ScaleX, Note3ScaleY, 42, 42), before);
  EXPECT_TRUE(session.Log().Automations.empty()) << "the editor sends nothing back";
  EXPECT_FLOAT_EQ(session.Parameter(16), 0.9f);
}
#endif
