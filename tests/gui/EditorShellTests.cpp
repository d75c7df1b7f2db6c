// The editor shell's flows without a display: a real plug-in module in a fake home, the shell form
// without a window, and every dialog answered by a script.
#include "ShellTestSupport.h"

#include "gui/PresetsForm.h"
#include "host/ZelCommon.h"

#include <gtest/gtest.h>

using namespace ShellTest;

namespace {
constexpr const char* Note1Start = "Note1 Start";
constexpr const char* Note2End = "Note2 End";
} // namespace

TEST_F(ShellFlowTest, InitAsksAndOnlyAYesLoadsTheInitPreset) {
  SetParameter(Note1Start, 250.0f);
  Ui.MessageAnswers = {mrNo};
  ClickMenu(*Form->ddmMenu_Init);
  ASSERT_EQ(Ui.Boxes.size(), 1u);
  EXPECT_EQ(Ui.Boxes[0].Text, "Initialize preset?");
  EXPECT_EQ(Ui.Boxes[0].Caption, "Init");
  EXPECT_EQ(Ui.Boxes[0].Buttons, mbYesNo);
  EXPECT_EQ(Ui.Boxes[0].Icon, miConfirmation);
  EXPECT_EQ(Value(Note1Start), 250.0f);

  Ui.MessageAnswers = {mrYes};
  Form->ShowInfo("something");
  ClickMenu(*Form->ddmMenu_Init);
  EXPECT_EQ(Value(Note1Start), Default(Note1Start));
  EXPECT_EQ(Form->AfterInitCalls, 1);
  EXPECT_EQ(Form->UpdateCalls, 1);
  EXPECT_TRUE(Form->lblInfo.getText().isEmpty());
}

TEST_F(ShellFlowTest, SavingWritesTheChunkUnderTheSanitisedTrimmedName) {
  SetParameter(Note1Start, 125.0f);
  Ui.TextAnswers = {"  my/preset:1  "};
  const int32_t changesBefore = Host().Automations;
  ClickMenu(*Form->ddmMenu_SavePreset);
  ASSERT_EQ(Ui.TextDialogs.size(), 1u);
  EXPECT_EQ(Ui.TextDialogs[0].Caption, "Save Preset");
  EXPECT_EQ(Ui.TextDialogs[0].Prompt, "Name");
  EXPECT_TRUE(Ui.TextDialogs[0].EmptyAllowed);
  EXPECT_EQ(Ui.TextDialogs[0].MaxLength, 50);
  EXPECT_EQ(Ui.TextDialogs[0].Text, "");

  EXPECT_EQ(Module->PresetName(), "my_preset_1");
  EXPECT_EQ(ShownPresetName(), "my_preset_1");
  const auto written = TTestHome::ReadFile(Module->PresetsFolder() + "my_preset_1.ventrakisp");
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(*written, CurrentChunkBytes());
  EXPECT_GT(Host().Automations, changesBefore); // the host hears the project changed
  EXPECT_TRUE(Ui.Boxes.empty());
}

TEST_F(ShellFlowTest, SavingOverAnExistingPresetAsksAndNoKeepsTheFile) {
  TTestHome::WriteFile(Module->PresetsFolder() + "Song.ventrakisp", "old bytes");
  Ui.TextAnswers = {"Song"};
  Ui.MessageAnswers = {mrNo};
  Form->SavePresetDialog();
  ASSERT_EQ(Ui.Boxes.size(), 1u);
  EXPECT_EQ(Ui.Boxes[0].Text, "Overwrite existing preset?");
  EXPECT_EQ(Ui.Boxes[0].Caption, "Preset Exists");
  EXPECT_EQ(Ui.Boxes[0].Buttons, mbYesNo);
  EXPECT_EQ(*TTestHome::ReadFile(Module->PresetsFolder() + "Song.ventrakisp"), "old bytes");
  EXPECT_EQ(Module->PresetName(), "");

  Ui.TextAnswers = {"Song"};
  Ui.MessageAnswers = {mrYes};
  Form->SavePresetDialog();
  EXPECT_EQ(*TTestHome::ReadFile(Module->PresetsFolder() + "Song.ventrakisp"), CurrentChunkBytes());
  EXPECT_EQ(Module->PresetName(), "Song");
}

TEST_F(ShellFlowTest, SavingABlankNameClearsTheNameAndWritesNothing) {
  Module->SetPresetName("Current");
  Ui.TextAnswers = {"   "};
  const int32_t before = Host().Automations;
  Form->SavePresetDialog();
  EXPECT_EQ(Module->PresetName(), "");
  EXPECT_EQ(ShownPresetName(), "-");
  EXPECT_GT(Host().Automations, before);
  EXPECT_FALSE(Platform().FolderExists(Module->PresetsFolder()) &&
               !Platform().ListFolder(Module->PresetsFolder())->empty());

  // With no name set there is nothing to clear and nothing to tell the host.
  const int32_t quiet = Host().Automations;
  Ui.TextAnswers = {""};
  Form->SavePresetDialog();
  EXPECT_EQ(Host().Automations, quiet);
  // Cancel ends the flow.
  Module->SetPresetName("Kept");
  Ui.TextAnswers = {};
  Form->SavePresetDialog();
  EXPECT_EQ(Module->PresetName(), "Kept");
}

TEST_F(ShellFlowTest, ASaveThatCannotWriteReportsAndKeepsTheOldFile) {
  if (FolderPermissionsIgnored()) {
    GTEST_SKIP() << "read-only folders are writable here";
  }
  TTestHome::WriteFile(Module->PresetsFolder() + "Locked.ventrakisp", "old bytes");
  std::filesystem::permissions(Module->PresetsFolder(),
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  Ui.TextAnswers = {"Locked"};
  Ui.MessageAnswers = {mrYes};
  Form->SavePresetDialog();
  std::filesystem::permissions(Module->PresetsFolder(), std::filesystem::perms::owner_all);
  ASSERT_EQ(Ui.Boxes.size(), 2u);
  EXPECT_EQ(Ui.Boxes[1].Caption, "Save Preset");
  EXPECT_EQ(Ui.Boxes[1].Icon, miWarning);
  EXPECT_EQ(Ui.Boxes[1].Text.rfind("Error saving preset to file.\r\n\r\n\"", 0), 0u);
  EXPECT_EQ(*TTestHome::ReadFile(Module->PresetsFolder() + "Locked.ventrakisp"), "old bytes");
}

TEST_F(ShellFlowTest, LoadingThroughTheBrowserBringsTheStateBack) {
  SetParameter(Note1Start, 300.0f);
  Module->MidiCCList.AddOrUpdate(Note2End, 21);
  Ui.TextAnswers = {"Strum"};
  Form->SavePresetDialog();
  SetParameter(Note1Start, 10.0f);
  Module->MidiCCList.Clear();
  Module->SetPresetName("");

  Form->OpenPresetBrowser();
  TfrmPresets* browser = Form->PresetBrowser();
  ASSERT_NE(browser, nullptr);
  EXPECT_EQ(browser->getWidth(), Form->getWidth() - 32);
  EXPECT_EQ(browser->getHeight(), Form->getHeight() - 32);
  EXPECT_EQ(browser->getX(), 16);
  ASSERT_EQ(browser->Model().Count(), 1);
  browser->btnOKClick();

  EXPECT_EQ(Form->PresetBrowser(), nullptr);
  EXPECT_EQ(Form->AfterBrowserCalls, 1);
  EXPECT_EQ(Value(Note1Start), 300.0f);
  EXPECT_EQ(Module->MidiCCList.IndexOfName(Note2End), 0);
  EXPECT_EQ(Module->PresetName(), "Strum");
  EXPECT_EQ(ShownPresetName(), "Strum");
  EXPECT_TRUE(Ui.Boxes.empty());
}

TEST_F(ShellFlowTest, ADamagedPresetFileIsReportedAndEveryParameterIsBackAtItsDefault) {
  TTestHome::WriteFile(Module->PresetsFolder() + "Broken.ventrakisp", "this is no preset");
  SetParameter(Note1Start, 300.0f);
  SetParameter(Note2End, 40.0f);
  Form->OpenPresetBrowser();
  Form->PresetBrowser()->btnOKClick();
  ASSERT_EQ(Ui.Boxes.size(), 1u);
  EXPECT_EQ(Ui.Boxes[0].Caption, "Load Preset");
  EXPECT_EQ(Ui.Boxes[0].Icon, miWarning);
  EXPECT_EQ(Ui.Boxes[0].Text.rfind("Error loading preset from file.\r\n\r\n\"", 0), 0u);
  for (int32_t i = 0; i < Module->ParameterValues.Count(); ++i) {
    EXPECT_EQ(Module->ParameterValues.Items(i).CurrentValue.Load(),
              Module->ParameterValues.Items(i).DefaultValue)
        << i;
  }
  EXPECT_EQ(Module->PresetName(), "");
}

TEST_F(ShellFlowTest, APresetWhoseContentFailsIsNotTheCurrentPresetAfterwards) {
  // A valid container whose payload is cut short: the module reports it, the shell resets the values.
  TMemoryStreamChunk chunk;
  ASSERT_TRUE(Module->StoreToChunk(chunk, nullptr));
  chunk.Payload().resize(chunk.Payload().size() / 2);
  std::filesystem::create_directories(Module->PresetsFolder());
  chunk.SaveToFile(Module->PresetsFolder() + "Half.ventrakisp");
  SetParameter(Note1Start, 300.0f);
  Form->OpenPresetBrowser();
  Form->PresetBrowser()->btnOKClick();
  ASSERT_EQ(Ui.Boxes.size(), 1u);
  EXPECT_EQ(Ui.Boxes[0].Caption, "Load Preset");
  EXPECT_EQ(Value(Note1Start), Default(Note1Start));
  EXPECT_EQ(Module->PresetName(), "");
}

TEST_F(ShellFlowTest, CancellingTheBrowserKeepsTheNameUnlessItsFileWasDeleted) {
  TTestHome::WriteFile(Module->PresetsFolder() + "A.ventrakisp", "x");
  TTestHome::WriteFile(Module->PresetsFolder() + "B.ventrakisp", "x");
  Module->SetPresetName("B");
  Form->OpenPresetBrowser();
  EXPECT_EQ(Form->PresetBrowser()->Model().ItemIndex(), 1);
  Form->PresetBrowser()->CloseWith(mrCancel);
  EXPECT_EQ(Module->PresetName(), "B");

  Form->OpenPresetBrowser();
  Ui.MessageAnswers = {mrYes};
  Form->PresetBrowser()->popMenu_DeleteClick();
  ASSERT_EQ(Ui.Boxes.size(), 1u);
  EXPECT_EQ(Ui.Boxes[0].Text, "Delete \"B\"?");
  EXPECT_EQ(Ui.Boxes[0].Caption, "Delete Preset");
  EXPECT_EQ(Ui.Boxes[0].Icon, miConfirmation);
  Form->PresetBrowser()->CloseWith(mrCancel);
  EXPECT_EQ(Module->PresetName(), "");
  EXPECT_EQ(ShownPresetName(), "-");
}

TEST_F(ShellFlowTest, CCRemoveListsAssignmentsByNumberThenNameAndRemovesTheChosenOne) {
  Form->ddmMenuPopup(Form->ddmMenu);
  EXPECT_FALSE(Form->ddmMenu_MidiCCRemove->Enabled);
  EXPECT_FALSE(Form->ddmMenu_TeachCC->Visible);
  EXPECT_FALSE(Form->ddmMain_LowestOctave->Visible);

  Module->MidiCCList.AddOrUpdate("Note3 Start", 20);
  Module->MidiCCList.AddOrUpdate("note2 End", 7);
  Module->MidiCCList.AddOrUpdate("Note1 End", 7);
  Module->MidiCCList.AddOrUpdate("Note1 Start", 100);
  Form->ddmMenuPopup(Form->ddmMenu);
  TZelMenuItem& remove = *Form->ddmMenu_MidiCCRemove;
  ASSERT_TRUE(remove.Enabled);
  ASSERT_EQ(remove.Count(), 4);
  EXPECT_EQ(remove[0].Caption, "CC# 7 - Note1 End");
  EXPECT_EQ(remove[1].Caption, "CC# 7 - note2 End");
  EXPECT_EQ(remove[2].Caption, "CC# 20 - Note3 Start");
  EXPECT_EQ(remove[3].Caption, "CC# 100 - Note1 Start");

  const int32_t before = Host().Automations;
  remove[1].Click();
  EXPECT_EQ(Module->MidiCCList.Count(), 3);
  EXPECT_EQ(Module->MidiCCList.IndexOfName("note2 End"), -1);
  EXPECT_GT(Host().Automations, before);
  // Rebuilt at the next popup from what is left.
  Form->ddmMenuPopup(Form->ddmMenu);
  EXPECT_EQ(Form->ddmMenu_MidiCCRemove->Count(), 3);
}

TEST_F(ShellFlowTest, MenuChecksFollowModesOctaveAndSkin) {
  Module->Settings().SetLowestOctave(-1);
  Module->Settings().SetStyle(3);
  ClickMenu(*Form->ddmMenu_MidiCCLearn);
  Form->ddmMenuPopup(Form->ddmMenu);
  EXPECT_TRUE(Form->ddmMenu_MidiCCLearn->Checked);
  EXPECT_TRUE(Form->ddmMenu_MidiCCLearn->Bold);
  EXPECT_FALSE(Form->ddmMenu_MidiSetCC->Checked);
  EXPECT_TRUE(Form->ddmMain_LowestOctave->Find("ddmMain_LowestOctave1")->Checked);
  EXPECT_FALSE(Form->ddmMain_LowestOctave->Find("ddmMain_LowestOctave2")->Checked);
  EXPECT_TRUE((*Form->ddmMain_Skin)[3].Checked);
  EXPECT_FALSE((*Form->ddmMain_Skin)[0].Checked);
  EXPECT_EQ((*Form->ddmMain_Skin)[1].Caption, "Dark");
  EXPECT_FALSE(Form->ddmMenu_OpenUserGuide->Visible);
}

TEST_F(ShellFlowTest, LearnModeKeepsItsInfoUntilTheModeEnds) {
  ClickMenu(*Form->ddmMenu_MidiCCLearn);
  EXPECT_EQ(Module->CCMode(), ccmLearn);
  EXPECT_EQ(Form->lblInfo.getText(), "MIDI Learn: Click control");
  EXPECT_TRUE(Form->timInfo.Enabled());
  Form->timInfo.Fire();
  EXPECT_EQ(Form->lblInfo.getText(), "MIDI Learn: Click control");
  EXPECT_TRUE(Form->timInfo.Enabled());

  // A click on a control names the target and consumes the press.
  EXPECT_FALSE(Form->ControlMouseDown(Note1Start, ssLeft, {}, nullptr));
  EXPECT_EQ(Module->LearnTarget(), Note1Start);
  EXPECT_EQ(Form->lblInfo.getText(), "MIDI Learn: Move MIDI controller");

  // The plug-in ends the mode when a controller arrives; the next tick clears the line.
  Module->SetCCMode(ccmNone);
  Form->timInfo.Fire();
  EXPECT_TRUE(Form->lblInfo.getText().isEmpty());
  EXPECT_FALSE(Form->timInfo.Enabled());

  // The menu item toggles; a click on the empty main panel cancels.
  ClickMenu(*Form->ddmMenu_MidiCCLearn);
  ClickMenu(*Form->ddmMenu_MidiCCLearn);
  EXPECT_EQ(Module->CCMode(), ccmNone);
  ClickMenu(*Form->ddmMenu_MidiSetCC);
  EXPECT_EQ(Module->CCMode(), ccmSetCC);
  Form->panMainClick();
  EXPECT_EQ(Module->CCMode(), ccmNone);
  EXPECT_TRUE(Form->lblInfo.getText().isEmpty());
}

TEST_F(ShellFlowTest, SetCCOffersTheAssignedNumberOrOneAndEndsTheMode) {
  ClickMenu(*Form->ddmMenu_MidiSetCC);
  Ui.NumberEntries = {64.0};
  EXPECT_FALSE(Form->ControlMouseDown(Note2End, ssLeft, {}, nullptr));
  ASSERT_EQ(Ui.NumberDialogs.size(), 1u);
  EXPECT_EQ(Ui.NumberDialogs[0].Caption, "MIDI Set CC: Note2 End");
  EXPECT_EQ(Ui.NumberDialogs[0].Prompt, "CC# (0-127)");
  EXPECT_EQ(Ui.NumberDialogs[0].Value, 1.0);
  EXPECT_EQ(Ui.NumberDialogs[0].Maximum, 127.0);
  EXPECT_EQ(Ui.NumberDialogs[0].Minimum, 0.0);
  EXPECT_EQ(Ui.NumberDialogs[0].Decimals, 0);
  ASSERT_EQ(Module->MidiCCList.IndexOfName(Note2End), 0);
  EXPECT_EQ(Module->MidiCCList.Items(0).CCNumber, 64);
  EXPECT_EQ(Form->lblInfo.getText(), "Note2 End = CC# 64");
  EXPECT_EQ(Module->CCMode(), ccmNone);

  ClickMenu(*Form->ddmMenu_MidiSetCC);
  Ui.NumberEntries = {};
  Form->ControlMouseDown(Note2End, ssLeft, {}, nullptr);
  EXPECT_EQ(Ui.NumberDialogs[1].Value, 64.0);
  EXPECT_EQ(Module->MidiCCList.Items(0).CCNumber, 64);
  EXPECT_TRUE(Form->lblInfo.getText().isEmpty());
  EXPECT_EQ(Module->CCMode(), ccmNone);
}

TEST_F(ShellFlowTest, CtrlClickResetsToTheDefaultAndShiftClickTouches) {
  int refreshes = 0;
  auto refresh = [&](TObject*) {
    ++refreshes;
  };
  SetParameter(Note1Start, 500.0f);
  int32_t before = Host().Automations;
  EXPECT_FALSE(Form->ControlMouseDown(Note1Start, ssLeft | ssCtrl, refresh, nullptr));
  EXPECT_EQ(Value(Note1Start), Default(Note1Start));
  EXPECT_EQ(Host().Automations, before + 1);
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(Form->ChangedControls.back(), Note1Start);

  // Already at its default: nothing is pushed, the control still refreshes and the press is consumed.
  before = Host().Automations;
  EXPECT_FALSE(Form->ControlMouseDown(Note1Start, ssLeft | ssCtrl, refresh, nullptr));
  EXPECT_EQ(Host().Automations, before);
  EXPECT_EQ(refreshes, 2);

  SetParameter(Note2End, 33.0f);
  before = Host().Automations;
  EXPECT_TRUE(Form->ControlMouseDown(Note2End, ssLeft | ssShift, refresh, nullptr));
  ASSERT_EQ(Host().Automations, before + 1);
  EXPECT_EQ(Host().LastIndex, Module->ParameterValues.FindByName(Note2End));
  EXPECT_EQ(refreshes, 2);

  // Right button and plain clicks go on untouched.
  before = Host().Automations;
  EXPECT_TRUE(Form->ControlMouseDown(Note2End, ssRight | ssCtrl, refresh, nullptr));
  EXPECT_TRUE(Form->ControlMouseDown(Note2End, ssLeft, refresh, nullptr));
  EXPECT_EQ(Host().Automations, before);
}

TEST_F(ShellFlowTest, BoundControlsSendTheirValueButNotWhileTheEditorUpdatesThem) {
  TZelSlider slider;
  slider.Model().SetMaxValue(1000);
  Form->BindParameterControl(slider, Note1Start);
  slider.SetValue(420.0f);
  EXPECT_EQ(Value(Note1Start), 420.0f);
  EXPECT_EQ(Form->ChangedControls.back(), Note1Start);

  SetParameter(Note1Start, 77.0f);
  const size_t changes = Form->ChangedControls.size();
  Form->UpdateControl(Note1Start, &slider);
  EXPECT_EQ(slider.Value(), 77.0f);
  EXPECT_EQ(Value(Note1Start), 77.0f);
  // The push into the control reports no change back to the plug-in.
  EXPECT_EQ(Form->ChangedControls.size(), changes);

  // The pre-click hook is the shell's: Ctrl+left resets through it.
  EXPECT_FALSE(slider.Model().AskBeforeMouseDown(mbLeft, ssLeft | ssCtrl, 1, 1));
  EXPECT_EQ(Value(Note1Start), Default(Note1Start));
  EXPECT_EQ(slider.Value(), Default(Note1Start));
}

TEST_F(ShellFlowTest, ChoosingANewSkinExplainsWhenItAppliesAndTheActiveOneSaysNothing) {
  TZelMenuItem& active = (*Form->ddmMain_Skin)[Module->Settings().Style()];
  active.Click();
  EXPECT_TRUE(Ui.Boxes.empty());
  (*Form->ddmMain_Skin)[4].Click();
  EXPECT_EQ(Module->Settings().Style(), 4);
  ASSERT_EQ(Ui.Boxes.size(), 1u);
  EXPECT_EQ(Ui.Boxes[0].Text, "Please close and re-open the plugin window for skin changes to take effect.");
  EXPECT_EQ(Ui.Boxes[0].Caption, "Change Skin");
  EXPECT_EQ(Ui.Boxes[0].Icon, miInformation);

  Form->ShowInfo("x");
  Form->ddmMain_LowestOctave->Find("ddmMain_LowestOctave0")->Click();
  EXPECT_EQ(Module->Settings().LowestOctave(), 0);
  EXPECT_TRUE(Form->lblInfo.getText().isEmpty());
}

TEST_F(ShellFlowTest, PresetNamesAreShortenedToTheButtonWithoutEllipsis) {
  EXPECT_EQ(Form->PresetCaption(""), "-");
  EXPECT_EQ(Form->PresetCaption("Short"), "Short");
  const std::string longName = "A preset name far too long to fit into the preset button of the heading";
  const juce::String shown = Form->PresetCaption(longName);
  EXPECT_LT(shown.length(), static_cast<int>(longName.size()));
  EXPECT_TRUE(juce::String(longName).startsWith(shown));
  const int limit = Form->btnPresets.getWidth() - TfrmVSTEditorMenu::PresetCaptionSlack;
  EXPECT_LE(Form->btnPresets.Font.getStringWidth(shown), limit);
  // One character more would not fit.
  const juce::String longer = juce::String(longName).substring(0, shown.length() + 1);
  EXPECT_GT(Form->btnPresets.Font.getStringWidth(longer), limit);
}

TEST_F(ShellFlowTest, UserGuideOpensThroughTheShellAndAFailureIsReported) {
  TTestHome::WriteFile(Module->DataFolder() + "Triaxo User Guide.pdf", "%PDF");
  TShellRecorder shell;
  TPlatformScope scope(shell);
  TestForm form(Module.get());
  EXPECT_EQ(form.UserGuidePath(), Module->DataFolder() + "Triaxo User Guide.pdf");
  form.ddmMenuPopup(form.ddmMenu);
  EXPECT_TRUE(form.ddmMenu_OpenUserGuide->Visible);
  form.ddmMenu_OpenUserGuide->Click();
  ASSERT_EQ(shell.Opened.size(), 1u);
  EXPECT_EQ(shell.Opened[0], form.UserGuidePath());
  EXPECT_TRUE(Ui.Boxes.empty());

  shell.Result = ShellResult::NoAssociation;
  form.ddmMenu_OpenUserGuide->Click();
  ASSERT_EQ(Ui.Boxes.size(), 1u);
  EXPECT_EQ(Ui.Boxes[0].Text, "Error opening file.\r\n\r\n\"" + form.UserGuidePath() + "\"");
  EXPECT_EQ(Ui.Boxes[0].Caption, "Open User Guide");
  EXPECT_EQ(Ui.Boxes[0].Icon, miInformation);
}

TEST_F(ShellFlowTest, AboutNamesVersionBuildDateAndMaker) {
  const std::string text = Form->AboutText();
  EXPECT_EQ(text.rfind("Triaxo v1.00\r\rBuild date: ", 0), 0u);
  EXPECT_NE(text.find("Ventrakis"), std::string::npos);
  EXPECT_EQ(text.back(), '\r');
  ClickMenu(*Form->ddmMenu_About);
  ASSERT_EQ(Ui.Boxes.size(), 1u);
  EXPECT_EQ(Ui.Boxes[0].Caption, "About");
  EXPECT_EQ(Ui.Boxes[0].Buttons, mbOK);
}

TEST_F(ShellFlowTest, ClosingTheEditorEndsEveryMode) {
  ClickMenu(*Form->ddmMenu_MidiCCLearn);
  Module->SetTeachCC(5);
  Form.reset();
  EXPECT_EQ(Module->CCMode(), ccmNone);
  EXPECT_EQ(Module->TeachCC(), -1);
}
