// The timing and velocity panel and the options of the real Triaxo.so in a host window under X: sliders
// dragged and pressed with synthetic X events at their designed places, checked through the host's
// automate calls, the MIDI the plug-in sends, its program chunk and the pixels it shows.
#include "TestDisplay.h"

#include "engine/Plugin.h"
#include "host/FakeHome.h"
#include "host/MemoryStreamChunk.h"
#include "host/VSTPluginBaseDM.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

// Xlib last: its macros would break the headers above.
#include "EditorWindowLinux.h"

#if defined(TRIAXO_PLUGIN_PATH)
namespace {
using EditorWindowTest::PumpFor;
using EditorWindowTest::THostWindow;

constexpr int BlockFrames = 512;
// The two main panels' origin in the editor window: panMain below the heading, the panel inside it.
constexpr int PanelLeft = 3 + 12;
constexpr int PanelTop = 45 + 58;
// "Note 2"'s start slider: row 2 at top 79, its panel at left 60, the slider at (87, 8), 404 wide.
constexpr int Note2StartX = PanelLeft + 60 + 87;
constexpr int Note2StartY = PanelTop + 79 + 8 + 12;
// "Note 3"'s scale dial: row 3 at top 158, the dial at (510, 25), 42 x 42.
constexpr int Note3ScaleX = PanelLeft + 60 + 510;
constexpr int Note3ScaleY = PanelTop + 158 + 25;

struct TCaptured {
  std::vector<std::pair<int, float>> Automated;
  std::vector<std::pair<int, int>> NotesOn; // (time in samples, note)
  int BlockStart = 0;
};
TCaptured* Captured = nullptr;

vst::VstIntPtr VST_CALL CapturingHost(vst::AEffect* effect, vst::VstInt32 opcode, vst::VstInt32 index,
                                      vst::VstIntPtr value, void* ptr, float opt) {
  if (Captured != nullptr && opcode == vst::audioMasterAutomate) {
    Captured->Automated.emplace_back(index, opt);
  }
  if (Captured != nullptr && opcode == vst::audioMasterProcessEvents && ptr != nullptr) {
    const auto* events = static_cast<const vst::VstEvents*>(ptr);
    for (int i = 0; i < events->numEvents; ++i) {
      const auto* midi = reinterpret_cast<const vst::VstMidiEvent*>(events->events[i]);
      if (midi->type == vst::kVstMidiType && (midi->midiData[0] & 0xF0) == 0x90 && midi->midiData[2] != 0) {
        Captured->NotesOn.emplace_back(Captured->BlockStart + midi->deltaFrames, midi->midiData[1]);
      }
    }
    return 1;
  }
  return EditorWindowTest::TestHostCallback(effect, opcode, index, value, ptr, opt);
}

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

// The plug-in in a host window with its editor open on the timing panel.
struct TTimingSession {
  TFakeHome Home;
  TCaptured Events;
  THostWindow Host{1000, 600};
  EditorWindowTest::TLoadedPlugin Plugin{TRIAXO_PLUGIN_PATH, &CapturingHost};
  Window Editor = 0;

  TTimingSession() { Captured = &Events; }
  ~TTimingSession() {
    if (Editor != 0) {
      Plugin.Dispatch(vst::effEditClose);
    }
    Captured = nullptr;
  }
  bool Open() {
    if (Host.XDisplay == nullptr || Plugin.Effect == nullptr ||
        Plugin.Dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(Host.Frame)) != 1) {
      return false;
    }
    const auto children = Host.Children();
    if (children.size() != 1) {
      return false;
    }
    Editor = children[0];
    Host.ParkPointer();
    Settle(300);
    // "Timing / Velocity" at (159, 13), 141 x 33 in panMain.
    Host.Click(Editor, 3 + 159 + 70, 45 + 13 + 16);
    Settle();
    return true;
  }
  void Settle(int milliseconds = 150) {
    PumpFor(milliseconds, [this] { Plugin.Idle(); });
  }
  void Button(int type, int x, int y, unsigned state) {
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xbutton.type = type;
    event.xbutton.display = Host.XDisplay;
    event.xbutton.window = Editor;
    event.xbutton.root = DefaultRootWindow(Host.XDisplay);
    event.xbutton.x = x;
    event.xbutton.y = y;
    event.xbutton.button = Button1;
    event.xbutton.state = state;
    event.xbutton.same_screen = True;
    XSendEvent(Host.XDisplay, Editor, True, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask,
               &event);
    XSync(Host.XDisplay, False);
  }
  // A left-button drag in steps of 8 pixels, with extra modifiers held throughout.
  void Drag(int fromX, int toX, int y, unsigned modifiers = 0) {
    Button(ButtonPress, fromX, y, modifiers);
    Settle(40);
    for (int x = fromX; x != toX;) {
      x = toX > x ? std::min(toX, x + 8) : std::max(toX, x - 8);
      XEvent event;
      std::memset(&event, 0, sizeof event);
      event.xmotion.type = MotionNotify;
      event.xmotion.display = Host.XDisplay;
      event.xmotion.window = Editor;
      event.xmotion.root = DefaultRootWindow(Host.XDisplay);
      event.xmotion.x = x;
      event.xmotion.y = y;
      event.xmotion.state = modifiers | Button1Mask;
      event.xmotion.same_screen = True;
      XSendEvent(Host.XDisplay, Editor, True, PointerMotionMask | Button1MotionMask, &event);
      XSync(Host.XDisplay, False);
      Settle(15);
    }
    Button(ButtonRelease, toX, y, modifiers | Button1Mask);
    Settle();
  }
  void SendMidi(uint8_t status, uint8_t data1, uint8_t data2) {
    vst::VstMidiEvent event{};
    event.type = vst::kVstMidiType;
    event.byteSize = sizeof(vst::VstMidiEvent) - 8;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1);
    event.midiData[2] = static_cast<char>(data2);
    vst::VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<vst::VstEvent*>(&event);
    Plugin.Dispatch(vst::effProcessEvents, 0, 0, &list);
  }
  void Process(int blocks) {
    std::vector<float> left(BlockFrames);
    std::vector<float> right(BlockFrames);
    float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {left.data(), right.data()};
    for (int i = 0; i < blocks; ++i) {
      Plugin.Effect->processReplacing(Plugin.Effect, inputs, outputs, BlockFrames);
      Events.BlockStart += BlockFrames;
    }
  }
  void SetChunk(std::vector<uint8_t> bytes) {
    Plugin.Dispatch(vst::effSetChunk, 1, static_cast<vst::VstIntPtr>(bytes.size()), bytes.data());
    Settle();
  }
  float Parameter(int index) { return Plugin.Effect->getParameter(Plugin.Effect, index); }
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
  std::vector<unsigned long> Pixels(int x, int y, int w, int h) const {
    std::vector<unsigned long> pixels;
    for (int j = 0; j < h; j += 2) {
      for (int i = 0; i < w; i += 2) {
        pixels.push_back(Host.PixelAt(Editor, x + i, y + j));
      }
    }
    return pixels;
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
  session.Events.Automated.clear();

  // Pixel 202 of the 404-pixel slider (one-pixel border) is 500 ms.
  session.Drag(Note2StartX + 10, Note2StartX + 202, Note2StartY);
  ASSERT_FALSE(session.Events.Automated.empty());
  for (const auto& [index, value] : session.Events.Automated) {
    EXPECT_EQ(index, 6) << "only Note2 Start is touched and automated";
  }
  EXPECT_NEAR(session.Events.Automated.back().second, 0.5f, 0.001f);
  EXPECT_GT(session.Events.Automated.size(), 5u);
  EXPECT_NEAR(session.Parameter(6), 0.5f, 0.001f);

  // The second chord note now starts half a second after the others.
  session.SendMidi(0x90, 60, 100);
  session.Process(50);
  auto ons = session.Events.NotesOn;
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
  EXPECT_TRUE(session.Events.NotesOn.empty()) << "the learning key plays no chord";
  EXPECT_EQ(session.StoredOctaveRangeFrom(), 5);
  // Learning is over: the next key is a trigger again (a chordless trigger plays itself).
  session.SendMidi(0x90, 62, 100);
  session.Process(4);
  EXPECT_FALSE(session.Events.NotesOn.empty());
}

TEST(TimingEditorWindow, HostSetParameterMovesADialAtTheNextIdle) {
  REQUIRE_TEST_DISPLAY();
  TTimingSession session;
  ASSERT_TRUE(session.Open());
  const auto before = session.Pixels(Note3ScaleX, Note3ScaleY, 42, 42);
  session.Events.Automated.clear();
  // "Note3 Velocity Scale" to +80 %.
  session.Plugin.Effect->setParameter(session.Plugin.Effect, 16, 0.9f);
  session.Settle();
  EXPECT_NE(session.Pixels(Note3ScaleX, Note3ScaleY, 42, 42), before);
  EXPECT_TRUE(session.Events.Automated.empty()) << "the editor sends nothing back";
  EXPECT_FLOAT_EQ(session.Parameter(16), 0.9f);
}
#endif
