// The main editor form in-process: its handlers against a real plug-in module, without a window.
#include "editor/Editor.h"

#include "engine/Plugin.h"
#include "gui/ZelJuceRuntime.h"
#include "host/VSTPluginBaseDM.h"
#include "support/EditorTestHost.h"
#include "support/FakeHome.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// How often the host heard from the plug-in (project changed, parameter touched).
int HostNotices() {
  return static_cast<int>(EditorTestHost::Log().Automations.size());
}

// Answers every box with the next prepared answer and records what was asked.
class TAnsweringUi final : public TUiServices {
public:
  TModalResult Answer = mrYes;
  std::vector<std::string> Texts;
  void ShowMessageBox(TUiOwner, const std::string& text, const std::string&, TMessageButtons, TMessageIcon,
                      TMessageDone done) override {
    Texts.push_back(text);
    if (done) {
      done(Answer);
    }
  }
  void ShowTextDialog(TUiOwner, const std::string&, const std::string&, bool, int32_t, const std::string&,
                      TTextDone done) override {
    if (done) {
      done(true, "  Ninth7  ");
    }
  }
  void ShowNumberDialog(TUiOwner, const std::string&, const std::string&, double, double, int32_t, double,
                        TNumberDone done) override {
    if (done) {
      done(false, 0.0);
    }
  }
  void RunLater(int32_t, std::function<void()> action) override { action(); }
};

class EditorForm : public ::testing::Test {
protected:
  TFakeHome Home;
  ZelJuceRuntime::TScopedRuntime Runtime;
  TAnsweringUi Ui;
  TVSTPlugin* Plugin = nullptr;
  std::unique_ptr<TVSTPluginBase> Module;
  std::unique_ptr<TfrmEditor> Form;

  void SetUp() override {
    SetUiServices(&Ui);
    Module = std::make_unique<TVSTPluginBase>([this](TPluginHost& host) {
      auto made = std::make_unique<TVSTPlugin>(host);
      Plugin = made.get();
      return made;
    });
    ASSERT_TRUE(Module->AttachHost(&EditorTestHost::Callback));
    Form = std::make_unique<TfrmEditor>(Module.get(), &ZelSkins::ByIndex(0));
    Form->FormShow();
    EditorTestHost::Log() = {};
  }
  void TearDown() override {
    Form.reset();
    Module.reset();
    SetUiServices(nullptr);
  }
  TTriaxoSetup& Chords() { return Plugin->Setup; }
  // A point on white key `index` of the trigger keyboard, below the black keys.
  static std::pair<int, int> TriggerWhite(int index) { return {index * 62 + 31, 160}; }
  std::vector<int32_t> ChordPins() {
    std::vector<int32_t> pins;
    const TZelIntList& pinned = Form->MidiKeysChord.Keys().PinnedKeys();
    for (int32_t i = 0; i < pinned.Count(); ++i) {
      pins.push_back(pinned[i]);
    }
    return pins;
  }
};

} // namespace

TEST_F(EditorForm, OpensOnTheStoredPanelAndThePanelButtonsSwitchIt) {
  EXPECT_TRUE(Form->panChordSetup.isVisible());
  Chords().ShowTimingVelocity = 1;
  Form->FullRefresh();
  EXPECT_TRUE(Form->btnTimingVelocityPanel.getToggleState());
  EXPECT_FALSE(Form->btnChordSetupPanel.getToggleState());
  EXPECT_TRUE(Form->panTimingVelocity.isVisible());
  EXPECT_FALSE(Form->panChordSetup.isVisible());
  // The checked button again changes nothing; switching panels is no change of the project.
  Form->btnTimingVelocityPanelClick();
  EXPECT_EQ(Chords().ShowTimingVelocity, 1);
  Form->btnChordSetupPanelClick();
  EXPECT_EQ(Chords().ShowTimingVelocity, 0);
  EXPECT_TRUE(Form->panChordSetup.isVisible());
  EXPECT_EQ(HostNotices(), 0);
}

TEST_F(EditorForm, RightClickSelectsTheTriggerUnderItAndOutsideEveryKeyChangesNothing) {
  Chords().Triggers.Selected = 4;
  Form->FullRefresh();
  bool handled = false;
  Form->MidiKeysTriggerContextPopup(0, 100, handled); // the outer border hits no key
  EXPECT_TRUE(handled);
  EXPECT_EQ(Chords().Triggers.Selected, 4);
  EXPECT_EQ(Form->MidiKeysTrigger.Keys().PinnedKeys().Count(), 1);
  EXPECT_EQ(Form->MidiKeysTrigger.Keys().PinnedKeys()[0], 4);
  EXPECT_EQ(HostNotices(), 0);

  handled = false;
  const auto [x, y] = TriggerWhite(1); // D
  Form->MidiKeysTriggerContextPopup(x, y, handled);
  EXPECT_FALSE(handled);
  EXPECT_EQ(Form->PopupKey(), 2);
  EXPECT_EQ(Chords().Triggers.Selected, 2);
  EXPECT_EQ(Form->MidiKeysTrigger.Keys().PinnedKeys()[0], 2);
  EXPECT_EQ(HostNotices(), 1);
}

TEST_F(EditorForm, RootMenuMovesTheChordAndClearDisablesClearAndChordId) {
  const auto [x, y] = TriggerWhite(1); // D, root 2
  bool handled = false;
  Form->MidiKeysTriggerContextPopup(x, y, handled);
  for (const int32_t note : {2, 5, 9}) {
    Form->MidiKeysChordKeyPinned(note + TfrmEditor::ChordKeyOffset);
  }
  Form->popTriggerPopup();
  TZelMenuItem& items = Form->popTrigger.Items();
  EXPECT_TRUE(items[2].Checked); // "D"
  Form->popTrigger_CClick(4);    // E
  EXPECT_EQ(ChordPins(), (std::vector<int32_t>{28, 31, 35}));
  Form->popTrigger_CClick(-1); // Clear
  EXPECT_EQ(Chords().Triggers[2].Key, -1);
  EXPECT_TRUE(ChordPins().empty());
  Form->popTriggerPopup();
  for (int32_t i = 0; i < items.Count(); ++i) {
    EXPECT_FALSE(items[i].Checked) << i;
    if (items[i].Tag == -1 || items[i].Tag == -2) {
      EXPECT_FALSE(items[i].Enabled) << items[i].Caption;
    }
  }
}

TEST_F(EditorForm, ChordKeyPositionsFollowThePopupAndTheChordIdDialogStoresTrimmed) {
  Form->MidiKeysChordKeyPinned(24);
  Form->MidiKeysChordKeyPinned(28);
  Form->MidiKeysChordContextPopup(0, 1); // the outer column hits no key
  Form->popChordPopup();
  for (int32_t i = 0; i < Form->popChord.Items().Count(); ++i) {
    EXPECT_FALSE(Form->popChord.Items()[i].Enabled);
  }
  Form->popNote_1Click(3);
  // The key of note 4: right-click it and choose "5".
  const int x = static_cast<int>((16 + 0.5) * (905.0 / 35));
  Form->MidiKeysChordContextPopup(x, 120);
  ASSERT_EQ(Form->PopupKey(), 28);
  Form->popChordPopup();
  EXPECT_TRUE(Form->popChord.Items()[1].Checked);
  Form->popNote_1Click(4);
  const TChordNotes& notes = Chords().Triggers[0].Notes;
  EXPECT_EQ(notes[notes.IndexOfNote(4)].Position(), 4);
  EXPECT_EQ(notes[notes.IndexOfNote(0)].Position(), 0);

  bool handled = false;
  const auto [tx, ty] = TriggerWhite(0);
  Form->MidiKeysTriggerContextPopup(tx, ty, handled);
  Form->EditChordName();
  EXPECT_EQ(Chords().Triggers[0].Name(), "Ninth7");
}

TEST_F(EditorForm, HeldMidiTriggerRefusesPreviewPressesButNotSelection) {
  Form->HighlightedNotes().HighlightTrigger(64);
  EXPECT_FALSE(Form->MidiKeysTrigger.Keys().PressKey(4, true));
  EXPECT_FALSE(Form->MidiKeysChord.Keys().PressKey(30, true));
  Form->prevPreviewChordMouseDown();
  EXPECT_EQ(Form->PressedKey(), -1);
  Form->MidiKeysTrigger.Keys().PinKey(5, true);
  EXPECT_EQ(Chords().Triggers.Selected, 5);

  // The idle refresh draws the highlight pressed, then up again, and keeps the pin.
  Form->RefreshHighlights();
  EXPECT_TRUE(Form->MidiKeysTrigger.Keys().Key(4).Has(kfDown));
  Form->HighlightedNotes().ReleaseTrigger(64);
  Form->RefreshHighlights();
  EXPECT_FALSE(Form->MidiKeysTrigger.Keys().Key(4).Has(kfDown));
  EXPECT_EQ(Form->HighlightedNotes().Count(), 0);
  EXPECT_TRUE(Form->MidiKeysTrigger.Keys().Key(5).Has(kfPinned));
  // Now a press sounds: one key at a time for both keyboards.
  EXPECT_TRUE(Form->MidiKeysTrigger.Keys().PressKey(4, true));
  EXPECT_EQ(Form->PressedKey(), 4);
  EXPECT_TRUE(Form->MidiKeysChord.Keys().PressKey(30, true));
  EXPECT_EQ(Form->PressedKey(), 30);
  EXPECT_FALSE(Form->MidiKeysTrigger.Keys().Key(4).Has(kfDown));
}

TEST_F(EditorForm, ChordLibraryNeedsARootSuggestsFittingChordsAndChecksTheChordId) {
  Chords().Triggers.Selected = 1; // C#: no root
  Form->ChordEntryClick(8);
  ASSERT_EQ(Ui.Texts.size(), 1u);
  EXPECT_EQ(Ui.Texts[0], "Root note not specified.");
  EXPECT_EQ(Chords().Triggers[1].Notes.Count(), 0);
  Form->ddmChordPopup();
  TZelMenuItem& suggest = Form->ddmChord.Items()[0];
  ASSERT_EQ(suggest.Count(), 1);
  EXPECT_EQ(suggest[0].Caption, "No Root Note");

  Chords().Triggers.Selected = 2; // D
  Form->ddmChordPopup();
  ASSERT_GT(suggest.Count(), 3);
  EXPECT_EQ(suggest[0].Caption, "D Minor");
  suggest[0].Click();
  EXPECT_EQ(Chords().Triggers[2].Name(), "Min");
  EXPECT_EQ(ChordPins(), (std::vector<int32_t>{26, 29, 33}));
  Form->ddmChordPopup();
  // "Minor" (line 8) at the top level is checked; nothing else is.
  int32_t checked = 0;
  std::function<void(TZelMenuItem&)> walk = [&](TZelMenuItem& level) {
    for (int32_t i = 0; i < level.Count(); ++i) {
      if (level[i].Checked) {
        ++checked;
        EXPECT_EQ(level[i].Caption, "Minor");
      }
      walk(level[i]);
    }
  };
  walk(Form->ddmChord.Items());
  EXPECT_EQ(checked, 1);
}

TEST_F(EditorForm, ApplyRebuildsTheTriggersOnlyOnYes) {
  Form->TemplateEntryClick(0); // "Major"
  Form->ddmTonic_CClick(2);    // D
  EXPECT_EQ(Form->btnScaleTemplate.Caption(), "Major");
  EXPECT_EQ(Form->btnTonic.Caption(), "D");
  Ui.Answer = mrCancel; // the box closed with the window
  Form->btnApplyClick();
  EXPECT_EQ(Chords().Triggers[0].Key, 0);
  Ui.Answer = mrNo;
  Form->btnApplyClick();
  EXPECT_EQ(Chords().Triggers[0].Key, 0);
  EXPECT_EQ(HostNotices(), 0);
  Ui.Answer = mrYes;
  Chords().Triggers.Selected = 5;
  Form->btnApplyClick();
  ASSERT_EQ(Ui.Texts.size(), 3u);
  EXPECT_EQ(Ui.Texts[2], "Scale template: \"Major\"\r\n\r\nTonic: \"D\"\r\n\r\n\"Easy Mode\"");
  EXPECT_EQ(Chords().Triggers[0].Key, 2);
  EXPECT_EQ(Chords().Triggers.Selected, 0);
  EXPECT_EQ(ChordPins(), (std::vector<int32_t>{26, 30, 33}));
  EXPECT_EQ(Form->MidiKeysTrigger.Keys().PinnedKeys()[0], 0);
  EXPECT_GE(HostNotices(), 1);

  // Variations without Easy Mode: the message, no change; the wizard shows the applied choice again.
  Form->TemplateEntryClick(9);
  Form->chkEasyMode.SetChecked(false);
  Form->btnApplyClick();
  EXPECT_EQ(Ui.Texts.back(), "Chord variations can only be applied when Easy Mode is selected.");
  Form->UpdateWizard();
  EXPECT_EQ(Form->btnScaleTemplate.ItemValue, 0);
  EXPECT_EQ(Form->btnTonic.ItemValue, 2);
  EXPECT_TRUE(Form->chkEasyMode.Checked());
}
