// The editor shell in a real X window: presets saved from the main menu and loaded back through the browser
// in the real plug-in library, and MIDI CC learn on a control followed by a controller.
#include "ShellTestSupport.h"
#include "TestDisplay.h"

#include "gui/PresetsForm.h"
#include "gui/ZelCheckBox.h"
#include "gui/ZelModuleEditor.h"
#include "support/FakeHome.h"

// Last: Xlib's macros (KeyPress, None) would rename JUCE's and gtest's names.
#include "support/X11TestHost.h"

#include <gtest/gtest.h>

#include <array>

using X11TestHost::PumpFor;
using X11TestHost::THostWindow;

namespace {
// Heading places (editor coordinates) and the browser's OK button for the shell's browser size.
constexpr int MenuButtonX = 19;
constexpr int HeadingY = 21;
constexpr int PresetsButtonX = 328;

template <typename Idle>
bool IdleUntil(Idle idle, const std::function<bool()>& done, int milliseconds = 2000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    idle();
    if (done()) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return done();
}

// Opens the main menu and chooses the entry that many steps down the visible entries.
template <typename Idle> void ChooseMenuEntry(THostWindow& host, Window editor, int steps, Idle idle) {
  host.Click(editor, MenuButtonX, HeadingY);
  PumpFor(250, idle);
  for (int i = 0; i < steps; ++i) {
    host.Key(editor, XK_Down);
    PumpFor(30, idle);
  }
  host.Key(editor, XK_Return);
  PumpFor(250, idle);
}

// The OK button of the browser centred over an editor of this size; the browser is smaller than the
// editor by the margins its form asks for (the shell's 32 x 32 unless given).
juce::Point<int> BrowserOkButton(int editorWidth, int editorHeight, int marginX = 32, int marginY = 32) {
  const int width = editorWidth - marginX;
  const int height = editorHeight - marginY;
  const int left = (editorWidth - width) / 2;
  const int top = (editorHeight - height) / 2;
  const int cancelLeft = TfrmPresets::ListLeft + (width - 24) - 80 - 1;
  return {left + cancelLeft - 90 + 40, top + height - 26 - 10 + 13};
}
} // namespace

#if defined(TRIAXO_PLUGIN_PATH)
TEST(PluginShellWindow, SavesAPresetFromTheMenuAndLoadsItBackThroughTheBrowser) {
  REQUIRE_TEST_DISPLAY();
  TFakeHome home; // before the library makes its instance: the data folder is fixed then
  THostWindow host;
  ASSERT_NE(host.XDisplay, nullptr);
  X11TestHost::TLoadedPlugin plugin{TRIAXO_PLUGIN_PATH};
  ASSERT_NE(plugin.Effect, nullptr) << dlerror();
  auto idle = [&] {
    plugin.Idle();
  };

  plugin.Effect->setParameter(plugin.Effect, 0, 0.25f);
  const float saved = plugin.Effect->getParameter(plugin.Effect, 0);
  ASSERT_EQ(plugin.Dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(host.Frame)), 1);
  PumpFor(300, idle);
  const std::vector<Window> children = host.Children();
  ASSERT_EQ(children.size(), 1u);
  const Window editor = children[0];

  // Init, Load Preset, Save Preset (the teach entry is hidden).
  ChooseMenuEntry(host, editor, 3, idle);
  host.Type(editor, "strum");
  PumpFor(100, idle);
  host.Key(editor, XK_Return);
  const std::string file = home.DataFolder() + "Presets/strum.ventrakisp";
  ASSERT_TRUE(IdleUntil(idle, [&] { return TFakeHome::ReadFile(file).has_value(); })) << file;

  // The file holds exactly the host's chunk.
  void* chunk = nullptr;
  const auto size = plugin.Dispatch(vst::effGetChunk, 1, 0, &chunk);
  ASSERT_GT(size, 8);
  const std::string bytes(static_cast<const char*>(chunk), static_cast<size_t>(size));
  EXPECT_EQ(*TFakeHome::ReadFile(file), bytes);
  EXPECT_EQ(bytes.substr(0, 4), "mmst");
  EXPECT_NE(bytes.find("strum"), std::string::npos); // the preset name in the header list

  plugin.Effect->setParameter(plugin.Effect, 0, 0.75f);
  PumpFor(50, idle);
  ASSERT_NE(plugin.Effect->getParameter(plugin.Effect, 0), saved);

  // The preset button opens the browser with the preset selected; OK loads it.
  host.Click(editor, PresetsButtonX, HeadingY);
  PumpFor(300, idle);
  // The library's editor is the main editor (936 x 508), whose browser is 192 x 96 smaller.
  const juce::Point<int> ok = BrowserOkButton(936, 508, 192, 96);
  host.Click(editor, ok.x, ok.y);
  EXPECT_TRUE(IdleUntil(idle, [&] { return plugin.Effect->getParameter(plugin.Effect, 0) == saved; }));

  EXPECT_EQ(plugin.Dispatch(vst::effEditClose), 0);
}
#endif

namespace {
// The shell with one slider bound to a parameter, as the main editor binds its controls.
class TLearnForm final : public TfrmVSTEditorMenu {
public:
  static constexpr const char* Parameter = "Note1 Start";
  TLearnForm(TVSTPluginBase* module, const TZelSkin* skin) : TfrmVSTEditorMenu(module, skin) {
    slider.Model().SetMaxValue(1000);
    slider.setBounds(40, 40, 200, 20);
    panMain.addAndMakeVisible(slider);
    BindParameterControl(slider, Parameter);
  }
  void UpdateFromPlugin() override { UpdateControl(Parameter, &slider); }
  TZelSlider slider;
};

void SendController(vst::AEffect* effect, int number, int value) {
  vst::VstMidiEvent midi{};
  midi.type = vst::kVstMidiType;
  midi.byteSize = sizeof(vst::VstMidiEvent) - 8;
  midi.midiData[0] = static_cast<char>(0xB0);
  midi.midiData[1] = static_cast<char>(number);
  midi.midiData[2] = static_cast<char>(value);
  vst::VstEvents events{};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<vst::VstEvent*>(&midi);
  effect->dispatcher(effect, vst::effProcessEvents, 0, 0, &events, 0.0f);
  std::array<float, 64> left{};
  std::array<float, 64> right{};
  float* outputs[2] = {left.data(), right.data()};
  effect->processReplacing(effect, nullptr, outputs, 64);
}
} // namespace

TEST(ShellWindow, ControlClickedInLearnModeFollowsTheNextController) {
  REQUIRE_TEST_DISPLAY();
  ShellTest::TTestHome home;
  THostWindow host;
  ASSERT_NE(host.XDisplay, nullptr);
  TVSTPluginBase module(ShellTest::MakeTriaxo);
  ASSERT_TRUE(module.AttachHost(&EditorTestHost::Callback));
  vst::AEffect* effect = module.Effect();
  effect->dispatcher(effect, vst::effOpen, 0, 0, nullptr, 0.0f);
  effect->dispatcher(effect, vst::effSetSampleRate, 0, 0, nullptr, 44100.0f);
  effect->dispatcher(effect, vst::effMainsChanged, 0, 1, nullptr, 0.0f);

  TLearnForm* form = nullptr;
  {
    TZelModuleEditor editor(&module, reinterpret_cast<void*>(host.Frame), &ZelSkins::ByIndex(0),
                            [&](TVSTPluginBase* owner, const TZelSkin* skin) {
                              auto made = std::make_unique<TLearnForm>(owner, skin);
                              form = made.get();
                              return made;
                            });
    auto idle = [&] {
      editor.Idle();
    };
    PumpFor(200, idle);
    const Window window = host.Children().at(0);

    // Init, Load, Save, Learn.
    ChooseMenuEntry(host, window, 4, idle);
    ASSERT_EQ(module.CCMode(), ccmLearn);
    const auto at = form->getLocalPoint(&form->slider, juce::Point<int>(100, 10));
    host.Click(window, at.x, at.y);
    PumpFor(150, idle);
    EXPECT_EQ(module.LearnTarget(), TLearnForm::Parameter);
    EXPECT_EQ(form->lblInfo.getText(), "MIDI Learn: Move MIDI controller");
    // The learning click moved nothing.
    EXPECT_EQ(module.ParameterValues.Items(TLearnForm::Parameter).CurrentValue.Load(),
              module.ParameterValues.Items(TLearnForm::Parameter).DefaultValue);

    SendController(effect, 74, 0);
    effect->dispatcher(effect, vst::effEditIdle, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(module.CCMode(), ccmNone);
    ASSERT_EQ(module.MidiCCList.IndexOfName(TLearnForm::Parameter), 0);
    EXPECT_EQ(module.MidiCCList.Items(0).CCNumber, 74);

    SendController(effect, 74, 127);
    EXPECT_EQ(module.ParameterValues.Items(TLearnForm::Parameter).CurrentValue.Load(), 1000.0f);
    form->UpdateFromPlugin();
    EXPECT_EQ(form->slider.Value(), 1000.0f);
  }
  effect->dispatcher(effect, vst::effMainsChanged, 0, 0, nullptr, 0.0f);
}

namespace {
// A small browser beside a check box, so a click can land on the editor outside the browser.
class TBesideForm final : public TfrmVSTEditorMenu {
public:
  TBesideForm(TVSTPluginBase* module, const TZelSkin* skin) : TfrmVSTEditorMenu(module, skin) {
    check.setButtonText("Relative timing");
    check.setBounds(10, 150, 150, 22);
    panMain.addAndMakeVisible(check);
  }
  void GetPresetBrowserSize(int& width, int& height) override {
    width = 300;
    height = 200;
  }
  void AfterPresetBrowser() override { ++AfterBrowserCalls; }
  TZelCheckBox check;
  int AfterBrowserCalls = 0;
};
} // namespace

TEST(ShellWindow, APressBesideTheBrowserCancelsItAndReachesTheControlThere) {
  REQUIRE_TEST_DISPLAY();
  ShellTest::TTestHome home;
  THostWindow host;
  ASSERT_NE(host.XDisplay, nullptr);
  TVSTPluginBase module(ShellTest::MakeTriaxo);
  module.SetPresetName("Kept");
  TBesideForm* form = nullptr;
  TZelModuleEditor editor(&module, reinterpret_cast<void*>(host.Frame), &ZelSkins::ByIndex(2),
                          [&](TVSTPluginBase* owner, const TZelSkin* skin) {
                            auto made = std::make_unique<TBesideForm>(owner, skin);
                            form = made.get();
                            return made;
                          });
  auto idle = [&] {
    editor.Idle();
  };
  PumpFor(150, idle);
  const Window window = host.Children().at(0);

  // A click inside the browser keeps it open.
  host.Click(window, PresetsButtonX, HeadingY);
  PumpFor(200, idle);
  ASSERT_NE(form->PresetBrowser(), nullptr);
  const auto inside =
      form->getLocalArea(form->PresetBrowser(), form->PresetBrowser()->getLocalBounds()).getCentre();
  host.Click(window, inside.x, inside.y);
  PumpFor(200, idle);
  ASSERT_NE(form->PresetBrowser(), nullptr);
  EXPECT_FALSE(form->check.Checked());

  const auto at = form->getLocalPoint(&form->check, juce::Point<int>(8, 11));
  host.Click(window, at.x, at.y);
  PumpFor(250, idle);
  EXPECT_EQ(form->PresetBrowser(), nullptr);
  EXPECT_EQ(form->AfterBrowserCalls, 1);
  EXPECT_TRUE(form->check.Checked()); // the press was repeated where it landed
  EXPECT_EQ(module.PresetName(), ""); // Cancel: no file of that name exists
}
