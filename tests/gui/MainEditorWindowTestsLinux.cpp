// The main editor of the real Triaxo.so in a host window under X: keyboards, popup menus and the wizard
// clicked with synthetic X events at their designed places, checked through the MIDI the plug-in
// sends, its program chunk and the pixels it shows. Also writes the chord setup screenshots.
#include "TestDisplay.h"

#include "engine/Plugin.h"
#include "gui/ZelJuceRuntime.h"
#include "gui/ZelMessageBox.h"
#include "host/VSTPluginBaseDM.h"
#include "support/FakeHome.h"

#include <gtest/gtest.h>

#include <juce_graphics/juce_graphics.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

// Xlib last: its macros would break the headers above.
#include "support/X11TestHost.h"

#if defined(TRIAXO_PLUGIN_PATH)
namespace {

constexpr int EditorWidth = 936;
constexpr int EditorHeight = 508;
// Where the chord setup panel lies in the editor window: the main panel's origin (below the heading)
// plus the panel's place in it.
constexpr int PanMainLeft = 3;
constexpr int PanMainTop = 45;
constexpr int ChordSetupLeft = PanMainLeft + 12;
constexpr int ChordSetupTop = PanMainTop + 58;
constexpr int SampleRate = 44100;

using EditorTestHost::TSentMidi;

// The plug-in in a host window with its editor open and painted, clicked on the chord setup panel.
struct TEditorSession : X11TestHost::TEditorSession {
  // A click at a point of the chord setup panel.
  void ClickPanel(int x, int y, unsigned button = Button1) {
    Host.Click(Editor, ChordSetupLeft + x, ChordSetupTop + y, button);
    Settle();
  }
  void Keys(std::initializer_list<KeySym> keys) {
    for (const KeySym key : keys) {
      Host.Key(Editor, key);
      Settle(60);
    }
  }
  unsigned long PanelPixel(int x, int y) const {
    return Host.PixelAt(Editor, ChordSetupLeft + x, ChordSetupTop + y);
  }

  std::vector<TSentMidi> NoteOns() const {
    std::vector<TSentMidi> ons;
    std::copy_if(Log().Midi.begin(), Log().Midi.end(), std::back_inserter(ons),
                 [](const TSentMidi& m) { return (m.StatusByte & 0xF0) == 0x90 && m.Velocity > 0; });
    return ons;
  }
};

// The chunk read back with the project's own reader.
struct TLoadedSetup {
  TVSTPlugin* Plugin = nullptr;
  std::unique_ptr<TVSTPluginBase> Module;
  explicit TLoadedSetup(const std::vector<uint8_t>& bytes) {
    Module = std::make_unique<TVSTPluginBase>([this](TPluginHost& host) {
      auto made = std::make_unique<TVSTPlugin>(host);
      Plugin = made.get();
      return made;
    });
    TMemoryStreamChunk chunk;
    chunk.ReadFromStream(bytes.data(), bytes.size());
    Module->LoadFromChunk(chunk, false, nullptr);
  }
};

// Centre of white key `index` (0-based) of a keyboard of that width and octave count, as the
// keyboard's geometry places it.
int WhiteKeyCentre(int width, int octaves, int index) {
  const double nominal = static_cast<double>(width - 1) / (7 * octaves);
  return static_cast<int>((index + 0.5) * nominal);
}

constexpr int TriggerWidth = 435;
constexpr int ChordTop = 249;
constexpr int ChordWidth = 906;
// Below the black keys.
constexpr int ChordWhiteY = ChordTop + 120;
constexpr int TriggerWhiteY = 168;

// Chord key of a white note: octave 0..4 and the white index 0..6 inside it.
int ChordKeyX(int octave, int white) {
  return WhiteKeyCentre(ChordWidth, 5, 7 * octave + white);
}

bool NearColour(unsigned long pixel, uint32_t rgb, int tolerance = 6) {
  for (int shift : {0, 8, 16}) {
    const int a = static_cast<int>((pixel >> shift) & 0xFF);
    const int b = static_cast<int>((rgb >> shift) & 0xFF);
    if (std::abs(a - b) > tolerance) {
      return false;
    }
  }
  return true;
}

// The Carbon keyboard palette.
constexpr uint32_t CarbonPressed = 0x618D23;
constexpr uint32_t CarbonPinned = 0x2C708E;

} // namespace

TEST(MainEditorWindow, KeyboardClicksBuildTheChordThatATriggerNotePlays) {
  REQUIRE_TEST_DISPLAY();
  TFakeHome home;
  TEditorSession session;
  ASSERT_TRUE(session.Open());

  // Trigger E, then the chord keys C, E and G of octave 0 (notes 0, 4, 7).
  session.ClickPanel(WhiteKeyCentre(TriggerWidth, 1, 2), TriggerWhiteY);
  for (const int white : {0, 2, 4}) {
    session.ClickPanel(ChordKeyX(2, white), ChordWhiteY);
  }
  // G takes position 5 through its popup menu; position 5 starts 100 ms late.
  session.ClickPanel(ChordKeyX(2, 4), ChordWhiteY, Button3);
  session.Keys({XK_Down, XK_Down, XK_Down, XK_Down, XK_Down, XK_Return});
  session.Plugin.Effect->setParameter(session.Plugin.Effect, 24, 0.1f); // "Note5 Start"

  const TLoadedSetup stored(session.Chunk());
  ASSERT_NE(stored.Plugin, nullptr);
  const TTriggers& triggers = stored.Plugin->Setup.Triggers;
  EXPECT_EQ(triggers.Selected, 4);
  ASSERT_EQ(triggers[4].Notes.Count(), 3);
  EXPECT_EQ(triggers[4].Notes[2].Note(), 7);
  EXPECT_EQ(triggers[4].Notes[2].Position(), 4);

  // E4 (64) plays the chord from the C of its octave: 60, 64 at once, 67 after 100 ms.
  session.SendMidi(0x90, 64, 100);
  session.Process(12);
  const auto ons = session.NoteOns();
  ASSERT_EQ(ons.size(), 3u);
  EXPECT_EQ(ons[0].Note, 60);
  EXPECT_EQ(ons[1].Note, 64);
  EXPECT_EQ(ons[0].Time, 0);
  EXPECT_EQ(ons[2].Note, 67);
  EXPECT_EQ(ons[2].Time, SampleRate / 10);
}

TEST(MainEditorWindow, MidiTriggerNoteLightsItsKeyAtTheNextIdle) {
  REQUIRE_TEST_DISPLAY();
  TFakeHome home;
  TEditorSession session;
  ASSERT_TRUE(session.Open());
  // The right part of E, clear of the black keys and of the key's texts.
  const int x = 170;
  const int y = 60;
  // C is selected at start (pinned); E is up.
  EXPECT_TRUE(NearColour(session.PanelPixel(WhiteKeyCentre(TriggerWidth, 1, 0), y), CarbonPinned));
  EXPECT_TRUE(NearColour(session.PanelPixel(x, y), 0xF8F8F8));
  session.SendMidi(0x90, 64, 100);
  session.Process(1);
  session.Settle();
  EXPECT_TRUE(NearColour(session.PanelPixel(x, y), CarbonPressed)) << std::hex << session.PanelPixel(x, y);
  session.SendMidi(0x80, 64, 0);
  session.Process(1);
  session.Settle();
  EXPECT_TRUE(NearColour(session.PanelPixel(x, y), 0xF8F8F8)) << std::hex << session.PanelPixel(x, y);
}

TEST(MainEditorWindow, WizardAppliesMajorOnDInEasyModeToAllTwelveTriggers) {
  REQUIRE_TEST_DISPLAY();
  TFakeHome home;
  TEditorSession session;
  ASSERT_TRUE(session.Open());
  constexpr int WizardLeft = 448;
  // Template "Major" (the first entry), tonic D (the third), Easy Mode as it starts (checked).
  session.ClickPanel(WizardLeft + 11 + 100, 29 + 12);
  session.Keys({XK_Down, XK_Return});
  session.ClickPanel(WizardLeft + 11 + 40, 80 + 12);
  session.Keys({XK_Down, XK_Down, XK_Down, XK_Return});
  session.ClickPanel(WizardLeft + 150 + 31, 146 + 13);

  // The confirmation box, centred over the editor; its Yes button is left of No.
  ZelJuceRuntime::Acquire();
  int yesX = 0;
  int yesY = 0;
  {
    TZelMessageBox box("Apply", "Scale template: \"Major\"\r\n\r\nTonic: \"D\"\r\n\r\n\"Easy Mode\"", true,
                       TZelMessageBox::iconConfirmation);
    const int left = (EditorWidth - box.getWidth()) / 2;
    const int top = (EditorHeight - box.getHeight()) / 2;
    yesX = left + box.getWidth() - 1 - 14 - 75 - 83 + 37;
    yesY = top + box.getHeight() - 1 - 14 - 23 + 11;
  }
  ZelJuceRuntime::Release();
  session.Host.Click(session.Editor, yesX, yesY);
  session.Settle();

  const TLoadedSetup stored(session.Chunk());
  ASSERT_NE(stored.Plugin, nullptr);
  const TTriaxoSetup& setup = stored.Plugin->Setup;
  const std::vector<int32_t> keys = {2, -1, 4, -1, 6, 7, -1, 9, -1, 11, -1, 1};
  for (int32_t i = 0; i < TTriggers::Count; ++i) {
    EXPECT_EQ(setup.Triggers[i].Key, keys[static_cast<std::size_t>(i)]) << i;
  }
  EXPECT_EQ(setup.Triggers[0].Name(), "Maj");
  EXPECT_EQ(setup.Triggers[11].Name(), "Dim");
  EXPECT_EQ(setup.ScaleTemplateName, "Major");
  EXPECT_EQ(setup.Tonic, 2);
  EXPECT_TRUE(setup.EasyMode);

  // C4 plays D major from D, B4 the diminished chord on C# an octave up (the scale wrapped).
  session.SendMidi(0x90, 60, 100);
  session.SendMidi(0x90, 71, 100);
  session.Process(2);
  std::vector<int> notes;
  for (const auto& on : session.NoteOns()) {
    notes.push_back(on.Note);
  }
  std::sort(notes.begin(), notes.end());
  EXPECT_EQ(notes, (std::vector<int>{62, 66, 69, 73, 76, 79}));
}

TEST(MainEditorWindow, ChordSetupPanelScreenshotsInEverySkin) {
  REQUIRE_TEST_DISPLAY();
  const std::filesystem::path folder = TRIAXO_GUI_SNAPSHOT_DIR;
  std::filesystem::create_directories(folder);
  const std::array<const char*, 5> names = {"carbon", "dark", "light", "luna", "smokey"};
  for (int style = 0; style < 5; ++style) {
    SCOPED_TRACE(style);
    TFakeHome home;
    TFakeHome::WriteFile(home.DataFolder() + "Settings.ini",
                         "[Config]\r\nStyle=" + std::to_string(style) + "\r\nLowestOctave=-2\r\n");
    TEditorSession session;
    ASSERT_TRUE(session.Open());
    // A chord on the selected trigger, so that pinned keys and their texts show.
    for (const int white : {0, 2, 4}) {
      session.ClickPanel(ChordKeyX(2, white), ChordWhiteY);
    }
    session.Settle(200);
    XImage* image =
        XGetImage(session.Host.XDisplay, session.Editor, 0, 0, EditorWidth, EditorHeight, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    ZelJuceRuntime::Acquire();
    {
      juce::Image shot(juce::Image::RGB, EditorWidth, EditorHeight, false);
      for (int y = 0; y < EditorHeight; ++y) {
        for (int x = 0; x < EditorWidth; ++x) {
          const unsigned long p = XGetPixel(image, x, y);
          shot.setPixelAt(x, y,
                          juce::Colour(static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
                                       static_cast<uint8_t>(p)));
        }
      }
      const auto file =
          juce::File(juce::String((folder / (std::string("chord-setup-") + names[style] + ".png")).string()));
      file.deleteFile();
      juce::FileOutputStream out(file);
      ASSERT_TRUE(out.openedOk());
      juce::PNGImageFormat png;
      ASSERT_TRUE(png.writeImageToStream(shot, out));
    }
    ZelJuceRuntime::Release();
    XDestroyImage(image);
    // Pinned chord keys in the style's pinned colour (the white C of octave 0).
    EXPECT_FALSE(NearColour(session.PanelPixel(ChordKeyX(2, 0), ChordTop + 40), 0xF8F8F8));
  }
}
#endif
