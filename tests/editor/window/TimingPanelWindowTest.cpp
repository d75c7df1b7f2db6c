// The timing rows and the options in the main editor, bound to a real plug-in module: the
// parameter protocol, the host's automate calls, MIDI CC learn, refreshes, octave learning, and renders of
// the timing panel in every style.
#include "TestDisplay.h"
#include "support/EditorTestHost.h"
#include "support/FakeHome.h"

#include "editor/Editor.h"
#include "engine/Plugin.h"
#include "gui/VSTEditorMenu.h"
#include "gui/ZelJuceRuntime.h"
#include "gui/ZelSkin.h"
#include "host/VSTInterface.h"
#include "host/VSTPluginBaseDM.h"

#include <gtest/gtest.h>

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstring>
#include <vector>

namespace {
using EditorTestHost::Log;

std::string InfoOf(const TfrmEditor& form) {
  return form.lblInfo.getText().toStdString();
}

class TimingPanelWindow : public ::testing::Test {
protected:
  void SetUp() override {
    REQUIRE_TEST_DISPLAY();
    Log() = {};
    FHome = std::make_unique<TFakeHome>();
    FRuntime = std::make_unique<ZelJuceRuntime::TScopedRuntime>();
    Module = std::make_unique<TVSTPluginBase>([](TPluginHost& host) -> std::unique_ptr<TPluginHandlers> {
      return std::make_unique<TVSTPlugin>(host);
    });
    ASSERT_TRUE(Module->AttachHost(&EditorTestHost::Callback));
    Module->Dispatch(vst::effSetSampleRate, 0, 0, nullptr, 44100.0f);
    Module->Dispatch(vst::effMainsChanged, 0, 1, nullptr, 0.0f);
    Form = std::make_unique<TfrmEditor>(Module.get(), &ZelSkins::ByIndex(0));
    Form->UpdateFromPlugin();
    Log().Automations.clear();
  }
  void TearDown() override {
    Form.reset();
    Module.reset();
    FRuntime.reset();
    FHome.reset();
  }
  TVSTPlugin& Plugin() { return dynamic_cast<TVSTPlugin&>(Module->Plugin()); }
  float Stored(const char* name) { return Module->ParameterValues.Items(name).CurrentValue; }
  // A press and a drag on a slider through its own mouse handling, as its component passes them on.
  static void Drag(TZelSlider& slider, TShiftState shift, int fromX, int toX) {
    TZelSliderModel& model = slider.Model();
    model.MouseDown(mbLeft, shift | ssLeft, fromX, 12);
    for (int x = fromX; x != toX; x += toX > fromX ? 1 : -1) {
      model.MouseMove(shift | ssLeft, x, 12);
    }
    model.MouseMove(shift | ssLeft, toX, 12);
    model.MouseUp();
  }

  std::unique_ptr<TFakeHome> FHome;
  std::unique_ptr<ZelJuceRuntime::TScopedRuntime> FRuntime;
  std::unique_ptr<TVSTPluginBase> Module;
  std::unique_ptr<TfrmEditor> Form;
};
} // namespace

TEST_F(TimingPanelWindow, DraggingAStartSliderAutomatesItsParameterAndTheChordTiming) {
  TZelSlider& slider = Form->TimingVelocity().Row(1).sliderNoteStart;
  // 404 pixels wide with a one-pixel border: pixel 202 is value 500.
  Drag(slider, 0, 10, 202);
  EXPECT_EQ(Stored("Note2 Start"), 500.0f);
  EXPECT_EQ(Plugin().Setup.NoteSetup[1].Start, 500);
  ASSERT_FALSE(Log().Automations.empty());
  // The press touches the parameter first, then every step of the drag is automated.
  for (const auto& [index, normalised] : Log().Automations) {
    EXPECT_EQ(index, 6);
    EXPECT_GE(normalised, 0.0f);
  }
  EXPECT_FLOAT_EQ(Log().Automations.back().second, 0.5f);
  EXPECT_GT(Log().Automations.size(), 10u);
  EXPECT_EQ(InfoOf(*Form), "Note Start: 500 ms");
  EXPECT_EQ(slider.Model().Text(), "500 ms");

  // Alt drags the range, which is a parameter of its own.
  Log().Automations.clear();
  Drag(slider, ssAlt, 202, 242);
  EXPECT_EQ(Stored("Note2 Start Random"), 100.0f);
  EXPECT_EQ(Log().Automations.back().first, 7);
  EXPECT_EQ(slider.Model().Text(), "500 ms <=> 600 ms");
  EXPECT_EQ(InfoOf(*Form), "Note Start Random: 100 ms");
}

TEST_F(TimingPanelWindow, AltPressInLearnModeLearnsTheRandomParameter) {
  Module->SetCCMode(ccmLearn);
  Form->TimingVelocity().Row(1).sliderNoteStart.Model().MouseDown(mbLeft, ssLeft | ssAlt, 100, 12);
  EXPECT_EQ(Module->LearnTarget(), "Note2 Start Random");
  EXPECT_EQ(Form->TimingVelocity().Row(1).sliderNoteStart.Random(), 0.0f);
  Module->SetCCMode(ccmLearn);
  Form->TimingVelocity().Row(1).sliderNoteStart.Model().MouseDown(mbLeft, ssLeft, 100, 12);
  EXPECT_EQ(Module->LearnTarget(), "Note2 Start");
  EXPECT_TRUE(Log().Automations.empty());
}

TEST_F(TimingPanelWindow, HostValuesMoveTheControlsAtTheRefreshWithoutEchoingBack) {
  // The host's set-parameter: Note3 Velocity Scale to -40, Note1 End to 900 with a range of 300.
  Module->SetParameterNormalised(16, 0.3f);
  Module->SetParameterNormalised(2, 0.9f);
  Module->SetParameterNormalised(3, 0.3f);
  Form->UpdateFromPlugin();
  EXPECT_FLOAT_EQ(Form->TimingVelocity().Row(2).dialVelocityScale.Value(), -40.0f);
  EXPECT_FLOAT_EQ(Form->TimingVelocity().Row(0).sliderNoteEnd.Value(), 900.0f);
  // The slider can show only what is left above 900; the host keeps its 300.
  EXPECT_FLOAT_EQ(Form->TimingVelocity().Row(0).sliderNoteEnd.Random(), 100.0f);
  EXPECT_FLOAT_EQ(Stored("Note1 End Random"), 300.0f);
  EXPECT_TRUE(Log().Automations.empty());
}

TEST_F(TimingPanelWindow, CtrlLeftOnADialResetsItAndShowsTheScaleText) {
  Module->SetParameterByName("Note4 Velocity Random", 30.0f);
  Module->SetParameterByName("Note4 Velocity Scale", 50.0f);
  Form->UpdateFromPlugin();
  EXPECT_EQ(Form->TimingVelocity().Row(3).dialVelocityScale.Value(), 50.0f);
  Form->TimingVelocity().Row(3).dialVelocityScale.Model().MouseDown(mbLeft, ssLeft | ssCtrl, 20, 20);
  EXPECT_EQ(Stored("Note4 Velocity Scale"), 0.0f);
  EXPECT_EQ(Form->TimingVelocity().Row(3).dialVelocityScale.Value(), 0.0f);
  EXPECT_EQ(InfoOf(*Form), "Velocity Scale: 0% <=> +30%");
}

TEST_F(TimingPanelWindow, ValueMenuSetsTheSliderAndItsParameter) {
  TZelSlider& slider = Form->TimingVelocity().Row(4).sliderNoteEnd;
  TZelPopupMenu& menu = *slider.Popup();
  ASSERT_EQ(menu.Items().Count(), 27);
  menu.Items()[16].Click(); // 225
  EXPECT_EQ(Stored("Note5 End"), 225.0f);
  EXPECT_EQ(InfoOf(*Form), "Note End: 225 ms");
  menu.Items()[26][24].Click(); // Random 25
  EXPECT_EQ(Stored("Note5 End Random"), 25.0f);
  EXPECT_EQ(slider.Model().Text(), "225 ms <=> 250 ms");
}

TEST_F(TimingPanelWindow, LearnedOctaveGoesIntoTheRangeAndTheNoteMakesNoChord) {
  TZelPopupMenu& menu = Form->Options().inputOctaveRangeFrom.Popup();
  menu.Items()[menu.Items().Count() - 1].Click(); // "Learn"
  EXPECT_EQ(Module->CCMode(), ccmLearnOctave);
  EXPECT_EQ(InfoOf(*Form), "Learn Octave: Press key on MIDI keyboard");
  vst::VstMidiEvent note{};
  note.type = vst::kVstMidiType;
  note.byteSize = sizeof note - 8;
  note.midiData[0] = static_cast<char>(0x90);
  note.midiData[1] = 60;
  note.midiData[2] = 100;
  vst::VstEvents events{};
  events.numEvents = 1;
  events.events[0] = reinterpret_cast<vst::VstEvent*>(&note);
  Module->Dispatch(vst::effProcessEvents, 0, 0, &events, 0.0f);
  float left[64] = {};
  float right[64] = {};
  float* outputs[2] = {left, right};
  Module->ProcessReplacing(nullptr, outputs, 64);
  EXPECT_EQ(Module->CCMode(), ccmNone);
  EXPECT_TRUE(Log().NotesOn().empty());
  EXPECT_EQ(Plugin().LearnedOctave.load(), 5);
  Form->SetLearnedOctave(Plugin().LearnedOctave.exchange(-1));
  EXPECT_EQ(Plugin().Setup.OctaveRangeFrom, 5);
  EXPECT_EQ(Form->Options().inputOctaveRangeFrom.Model().Text(), "3");
  EXPECT_FALSE(Form->Options().inputOctaveRangeFrom.Model().Highlight);
  // Learning is over: the same key now plays its chord.
  Module->Dispatch(vst::effProcessEvents, 0, 0, &events, 0.0f);
  Module->ProcessReplacing(nullptr, outputs, 64);
  EXPECT_FALSE(Log().NotesOn().empty());
}

TEST_F(TimingPanelWindow, PressingAParameterControlWhileLearningAnOctaveEndsLearning) {
  Form->Options().Logic().StartLearnOctave(oinOctaveRangeTo);
  Form->TimingVelocity().Row(0).dialVelocityScaleRandom.Model().MouseDown(mbLeft, ssLeft, 20, 20);
  EXPECT_EQ(Module->CCMode(), ccmNone);
  EXPECT_EQ(Form->Options().Logic().LearnInput(), -1);
  EXPECT_FALSE(Form->Options().inputOctaveRangeTo.Model().Highlight);
}

TEST_F(TimingPanelWindow, TimingBoxesFollowTheSetupAndResetWithCtrlLeft) {
  Plugin().Setup.NoteSetup.SameRandomVelocity = true;
  Form->UpdateFromPlugin();
  EXPECT_TRUE(Form->TimingVelocity().chkSameRandomVelocity.Checked());
  bool proceed = true;
  Form->TimingVelocity().chkSameRandomVelocity.OnBeforeMouseDown(
      &Form->TimingVelocity().chkSameRandomVelocity, mbLeft, ssLeft | ssCtrl, 5, 5, proceed);
  EXPECT_FALSE(proceed);
  EXPECT_FALSE(Form->TimingVelocity().chkSameRandomVelocity.Checked());
  EXPECT_FALSE(Plugin().Setup.NoteSetup.SameRandomVelocity);
  EXPECT_EQ(InfoOf(*Form), "Same Random Velocity: Off");
  // NotifyHostChanged: an automate call for parameter 0 with its own value.
  ASSERT_EQ(Log().Automations.size(), 1u);
  EXPECT_EQ(Log().Automations[0].first, 0);
}

namespace {
const char* const SkinFileNames[ZelSkins::Count] = {"carbon", "dark", "light", "luna", "smokey"};
}

TEST(TimingPanelRenders, EveryStyleDrawsTheRowsInItsColours) {
  REQUIRE_TEST_DISPLAY();
  ZelJuceRuntime::TScopedRuntime runtime;
  const juce::File folder(TRIAXO_TIMING_SNAPSHOT_DIR);
  folder.createDirectory();
  for (int32_t index = 0; index < ZelSkins::Count; ++index) {
    SCOPED_TRACE(index);
    const TZelSkin& skin = ZelSkins::ByIndex(index);
    TfrmEditor form(nullptr, &skin);
    form.Setup().ShowTimingVelocity = 1;
    form.ShowPanel();
    // A strummed, humanised setup to look at.
    for (int32_t row = 0; row < 5; ++row) {
      TNoteRow& r = form.TimingVelocity().Row(row);
      r.sliderNoteStart.SetValue(static_cast<float>(row * 60));
      r.sliderNoteStart.SetRandom(static_cast<float>(20 + row * 10));
      r.sliderNoteEnd.SetValue(static_cast<float>(150 + row * 100));
      r.dialVelocityScale.SetValue(static_cast<float>(-30 + row * 20));
      r.dialVelocityScaleRandom.SetValue(static_cast<float>(row * 35));
    }
    form.TimingVelocity().chkRelativeTiming.SetChecked(true);
    juce::Image image = form.createComponentSnapshot(form.getLocalBounds(), true, 1.0f);
    juce::File file = folder.getChildFile(juce::String("timing-velocity-") + SkinFileNames[index] + ".png");
    file.deleteFile();
    {
      juce::FileOutputStream out(file);
      ASSERT_TRUE(out.openedOk());
      EXPECT_TRUE(juce::PNGImageFormat().writeImageToStream(image, out));
    }
    // The value bar of "Note 3"'s start slider (120 of 1000) in the style's value colour.
    TZelSlider& slider = form.TimingVelocity().Row(2).sliderNoteStart;
    const auto at = form.getLocalPoint(&slider, juce::Point<int>(10, 12));
    EXPECT_EQ(image.getPixelAt(at.x, at.y).getARGB() & 0xFFFFFFu, skin.ValueBar);
    const auto random = form.getLocalPoint(&slider, juce::Point<int>(slider.Model().ValueBarRight() + 3, 12));
    EXPECT_EQ(image.getPixelAt(random.x, random.y).getARGB() & 0xFFFFFFu, skin.ValueRandomBar);
  }
}
