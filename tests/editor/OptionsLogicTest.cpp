// The options without widgets: octave-range and transposition inputs on their real models, the option
// boxes, and octave learning, against a real setup and a recording form.
#include "editor/OptionsLogic.h"

#include "engine/TriaxoSetup.h"
#include "gui/ZelGuiText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
const std::string Minus = ZelGuiText::MinusSign;
const std::string Fig = ZelGuiText::FigureSpace;

class TRecordingForm : public TOptionsOwner {
public:
  TOptionsLogic* Logic = nullptr;
  bool FormUpdating = false;
  int32_t Lowest = -2;
  int32_t Notifies = 0;
  int32_t Cancels = 0;
  TMidiCCMode Mode = ccmNone;
  std::vector<std::string> Infos;

  bool Updating() const override { return FormUpdating; }
  void NotifyHostChanged() override { ++Notifies; }
  void ShowInfo(const std::string& text) override { Infos.push_back(text); }
  int32_t LowestOctave() const override { return Lowest; }
  // As the editor's CancelModes: learning ends, then the mode, then the info line is cleared.
  void CancelModes() override {
    ++Cancels;
    Logic->CancelLearning();
    Mode = ccmNone;
    Infos.push_back("");
  }
  void SetCCMode(TMidiCCMode mode) override { Mode = mode; }
  std::string LastInfo() const { return Infos.empty() ? std::string() : Infos.back(); }
};

struct TOptions {
  TTriaxoSetup Setup;
  TRecordingForm Form;
  std::array<TZelNumericInputModel, OptionInputCount> Models;
  TOptionsLogic Logic{Setup, Form, {&Models[0], &Models[1], &Models[2], &Models[3], &Models[4]}};
  TOptionBoxes Boxes{Setup, Form};

  TOptions() {
    Form.Logic = &Logic;
    Logic.UpdateInputsFromPlugin();
  }
  TZelNumericInputModel& From() { return Models[oinOctaveRangeFrom]; }
  TZelNumericInputModel& To() { return Models[oinOctaveRangeTo]; }
  TZelNumericInputModel& Transpose() { return Models[oinTransposeOctave]; }
  // A left press, a vertical drag of so many 0.25 steps (upwards for positive steps) and the release, as
  // the input's widget passes them on.
  void Drag(TOptionInput input, int32_t steps, TShiftState extra = 0) {
    TZelNumericInputModel& model = Models[static_cast<std::size_t>(input)];
    int32_t y = 100;
    model.MouseDown(mbLeft, ssLeft | extra, 10, y);
    for (int32_t i = 0; i < std::abs(steps); ++i) {
      y += steps > 0 ? -1 : 1;
      model.MouseMove(ssLeft, y);
    }
    model.MouseUp();
    Logic.InputMouseUp(input);
  }
};
} // namespace

TEST(OctaveRangeInputs, ShowOctavesShiftedByTheLowestOctave) {
  TOptions options;
  EXPECT_EQ(options.From().Text(), Minus + "2");
  EXPECT_EQ(options.To().Text(), "8");
  options.Form.Lowest = 0;
  EXPECT_EQ(options.From().Text(), "0");
  EXPECT_EQ(options.To().Text(), "10");

  // The value menu runs 10 down to 0 in shown numbers, lined up, and ends with "Learn".
  options.Form.Lowest = -2;
  TZelPopupMenu menu;
  options.From().BuildPopupMenu(menu);
  TZelMenuItem& items = menu.Items();
  ASSERT_EQ(items.Count(), 11 + 2);
  EXPECT_EQ(items[0].Caption, Fig + "8");
  EXPECT_EQ(items[0].Tag, 10);
  EXPECT_EQ(items[10].Caption, Minus + "2");
  EXPECT_TRUE(items[11].IsSeparator());
  EXPECT_EQ(items[12].Caption, "Learn");
  items[3].Click(); // 7, shown as 5
  EXPECT_EQ(options.Setup.OctaveRangeFrom, 7);
  EXPECT_EQ(options.Form.LastInfo(), "Octave Range From: 5");
}

TEST(OctaveRangeInputs, FromDraggedAboveToGivesWayOnRelease) {
  TOptions options;
  options.Setup.OctaveRangeFrom = 3;
  options.Setup.OctaveRangeTo = 7;
  options.Logic.UpdateInputsFromPlugin();
  options.Drag(oinOctaveRangeFrom, 24); // +6 octaves
  EXPECT_EQ(options.Setup.OctaveRangeFrom, 7);
  EXPECT_EQ(options.From().ValueAsInteger(), 7);
  EXPECT_EQ(options.Setup.OctaveRangeTo, 7);
  EXPECT_EQ(options.Form.Notifies, 1);
  EXPECT_FALSE(options.Logic.OctaveInputDragging());
}

TEST(OctaveRangeInputs, TheSetupIsWrittenOnceOnReleaseWhileTheInfoFollowsTheDrag) {
  TOptions options;
  TZelNumericInputModel& from = options.From();
  from.MouseDown(mbLeft, ssLeft, 10, 100);
  for (int32_t y = 99; y >= 92; --y) {
    from.MouseMove(ssLeft, y); // +2 octaves in 0.25 steps
  }
  EXPECT_EQ(options.Setup.OctaveRangeFrom, 0);
  EXPECT_EQ(options.Form.Notifies, 0);
  EXPECT_EQ(options.Form.LastInfo(), "Octave Range From: 0");
  // A refresh in the middle of the drag (a note played, a parameter moved) keeps the dragged value.
  options.Logic.UpdateInputsFromPlugin();
  EXPECT_EQ(from.Value(), 2.0f);
  from.MouseUp();
  options.Logic.InputMouseUp(oinOctaveRangeFrom);
  EXPECT_EQ(options.Setup.OctaveRangeFrom, 2);
  EXPECT_EQ(options.Form.Notifies, 1);
}

TEST(OctaveRangeInputs, ToBelowFromGivesWayToo) {
  TOptions options;
  options.Setup.OctaveRangeFrom = 5;
  options.Logic.UpdateInputsFromPlugin();
  // The wheel stores at once: each notch is an eighth of an octave.
  for (int32_t i = 0; i < 48; ++i) {
    options.To().MouseWheel(-120);
  }
  EXPECT_EQ(options.Setup.OctaveRangeTo, 5);
  EXPECT_EQ(options.To().ValueAsInteger(), 5);
  EXPECT_EQ(options.Setup.OctaveRangeFrom, 5);
}

TEST(OctaveRangeInputs, CtrlLeftResetsAndShowsTheShiftedValue) {
  TOptions options;
  options.Setup.OctaveRangeTo = 6;
  options.Logic.UpdateInputsFromPlugin();
  options.Drag(oinOctaveRangeTo, 0, ssCtrl);
  EXPECT_EQ(options.To().Value(), 10.0f);
  EXPECT_EQ(options.Setup.OctaveRangeTo, 10);
  EXPECT_EQ(options.Form.LastInfo(), "Octave Range To: 8");
  EXPECT_EQ(options.Form.Notifies, 1);
}

TEST(OctaveRangeInputs, RefreshKeepsAPartStepThatStillRoundsToTheStoredOctave) {
  TOptions options;
  options.From().MouseWheel(120); // 0.125: still octave 0
  EXPECT_EQ(options.Form.Notifies, 0);
  options.Logic.UpdateInputsFromPlugin();
  EXPECT_EQ(options.From().Value(), 0.125f);
  options.Setup.OctaveRangeFrom = 4; // a chunk load
  const size_t infos = options.Form.Infos.size();
  options.Logic.UpdateInputsFromPlugin();
  EXPECT_EQ(options.From().Value(), 4.0f);
  EXPECT_EQ(options.Form.Infos.size(), infos);
  EXPECT_EQ(options.Form.Notifies, 0);
}

TEST(TranspositionInputs, ShowSignedValuesAndStoreAtOnce) {
  TOptions options;
  options.Transpose().SetValue(-2);
  EXPECT_EQ(options.Transpose().Text(), Minus + "2");
  EXPECT_EQ(options.Form.LastInfo(), "Transpose Octave: " + Minus + "2");
  EXPECT_EQ(options.Setup.TransposeOctave, -2);
  EXPECT_EQ(options.Form.Notifies, 1);
  options.Models[oinTransposeOctaveAbove].SetValue(3);
  EXPECT_EQ(options.Models[oinTransposeOctaveAbove].Text(), "+3");
  EXPECT_EQ(options.Form.LastInfo(), "Transpose Octave Above: 3");
  EXPECT_EQ(options.Setup.TransposeOctaveAbove, 3);
  options.Models[oinTransposeOctaveBelow].SetValue(-9);
  EXPECT_EQ(options.Setup.TransposeOctaveBelow, -5);
  EXPECT_EQ(options.Models[oinTransposeOctave].Text(), Minus + "2");
  EXPECT_EQ(options.Models[oinTransposeOctaveBelow].Text(), Minus + "5");

  // Ctrl + left goes back to 0 and shows it; the press goes on.
  EXPECT_TRUE(options.Logic.InputBeforeMouseDown(oinTransposeOctave, mbLeft, ssCtrl | ssLeft));
  EXPECT_EQ(options.Setup.TransposeOctave, 0);
  EXPECT_EQ(options.Form.LastInfo(), "Transpose Octave: 0");
  EXPECT_EQ(options.Transpose().Text(), "0");
}

TEST(OptionInputs, ChangesWhileTheEditorUpdatesStoreNothing) {
  TOptions options;
  options.Form.FormUpdating = true;
  options.Transpose().SetValue(2);
  options.From().SetValue(4);
  options.Form.FormUpdating = false;
  EXPECT_EQ(options.Setup.TransposeOctave, 0);
  EXPECT_EQ(options.Setup.OctaveRangeFrom, 0);
  EXPECT_EQ(options.Form.Notifies, 0);
  EXPECT_TRUE(options.Form.Infos.empty());
}

TEST(OptionBoxes, CtrlLeftResetsConsumesTheClickAndAlwaysNotifies) {
  TOptions options;
  bool shown = false;
  auto set = [&](bool checked) {
    shown = checked;
  };
  // Follow Trigger Notes resets to checked, even when it is checked already.
  EXPECT_FALSE(options.Boxes.BoxBeforeMouseDown(obxFollowTriggerNotes, ssCtrl | ssLeft, set));
  EXPECT_TRUE(shown);
  EXPECT_TRUE(options.Setup.FollowTriggerNotes);
  EXPECT_EQ(options.Form.LastInfo(), "Follow Trigger Notes: On");
  EXPECT_EQ(options.Form.Notifies, 1);
  const std::array<TOptionBox, 3> timing = {obxRelativeTiming, obxSameRandomVelocity,
                                            obxRandomNoteAssignment};
  const std::array<const char*, 3> texts = {"Relative Timing: Off", "Same Random Velocity: Off",
                                            "Random Note Assignment: Off"};
  options.Setup.NoteSetup.RelativeTiming = true;
  options.Setup.NoteSetup.SameRandomVelocity = true;
  options.Setup.NoteSetup.RandomNoteAssignment = true;
  for (size_t i = 0; i < timing.size(); ++i) {
    shown = true;
    EXPECT_FALSE(options.Boxes.BoxBeforeMouseDown(timing[i], ssCtrl | ssLeft, set));
    EXPECT_FALSE(shown);
    EXPECT_FALSE(options.Boxes.BoxFromPlugin(timing[i]));
    EXPECT_EQ(options.Form.LastInfo(), texts[i]);
  }
  EXPECT_EQ(options.Form.Notifies, 4);
  // A plain press goes on to the box.
  EXPECT_TRUE(options.Boxes.BoxBeforeMouseDown(obxRelativeTiming, ssLeft, set));
}

TEST(OptionBoxes, AClickStoresAndNotifiesOnlyAChange) {
  TOptions options;
  options.Boxes.BoxClick(obxRelativeTiming, true);
  EXPECT_TRUE(options.Setup.NoteSetup.RelativeTiming);
  EXPECT_EQ(options.Form.LastInfo(), "Relative Timing: On");
  EXPECT_EQ(options.Form.Notifies, 1);
  options.Boxes.BoxClick(obxRelativeTiming, true);
  EXPECT_EQ(options.Form.Notifies, 1);
  options.Boxes.BoxClick(obxFollowTriggerNotes, false);
  EXPECT_FALSE(options.Setup.FollowTriggerNotes);
  EXPECT_EQ(options.Form.LastInfo(), "Follow Trigger Notes: Off");
  options.Form.FormUpdating = true;
  options.Boxes.BoxClick(obxSameRandomVelocity, true);
  EXPECT_FALSE(options.Setup.NoteSetup.SameRandomVelocity);
  EXPECT_EQ(options.Form.Notifies, 2);
}

TEST(OctaveLearning, ALearnedKeyGoesIntoTheWaitingInputAndEndsLearning) {
  TOptions options;
  std::vector<int32_t> highlighted;
  options.Logic.OnHighlightChanged = [&](TOptionInput input) {
    highlighted.push_back(input);
  };
  TZelPopupMenu menu;
  options.From().BuildPopupMenu(menu);
  menu.Items()[menu.Items().Count() - 1].Click(); // "Learn"
  EXPECT_EQ(options.Form.Mode, ccmLearnOctave);
  EXPECT_TRUE(options.From().Highlight);
  EXPECT_EQ(options.Logic.LearnInput(), oinOctaveRangeFrom);
  EXPECT_EQ(options.Form.LastInfo(), "Learn Octave: Press key on MIDI keyboard");

  options.Logic.SetLearnedOctave(60 / 12); // middle C
  EXPECT_EQ(options.Setup.OctaveRangeFrom, 5);
  EXPECT_EQ(options.From().Text(), "3");
  EXPECT_FALSE(options.From().Highlight);
  EXPECT_EQ(options.Logic.LearnInput(), -1);
  EXPECT_EQ(options.Form.Mode, ccmNone);
  EXPECT_EQ(options.Form.Notifies, 1);
  EXPECT_EQ(highlighted, (std::vector<int32_t>{oinOctaveRangeFrom, oinOctaveRangeFrom}));
}

TEST(OctaveLearning, AnyOtherActionCancelsWithoutAResult) {
  TOptions options;
  options.Logic.StartLearnOctave(oinOctaveRangeTo);
  bool shown = false;
  options.Boxes.BoxBeforeMouseDown(obxRelativeTiming, ssLeft, [&](bool checked) { shown = checked; });
  EXPECT_EQ(options.Form.Mode, ccmNone);
  EXPECT_FALSE(options.To().Highlight);
  options.Logic.SetLearnedOctave(3);
  EXPECT_EQ(options.Setup.OctaveRangeTo, 10);
  EXPECT_EQ(options.Form.Notifies, 0);

  // A learned octave below the range's start makes To give way, as a drag would.
  options.Setup.OctaveRangeFrom = 6;
  options.Logic.UpdateInputsFromPlugin();
  options.Logic.StartLearnOctave(oinOctaveRangeTo);
  options.Logic.SetLearnedOctave(2);
  EXPECT_EQ(options.Setup.OctaveRangeTo, 6);
  // Transpositions have no learning.
  options.Logic.StartLearnOctave(oinTransposeOctave);
  EXPECT_EQ(options.Form.Mode, ccmNone);
  EXPECT_EQ(options.Logic.LearnInput(), -1);
}
