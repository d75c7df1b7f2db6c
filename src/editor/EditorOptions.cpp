#include "editor/EditorOptions.h"

#include "editor/EditorStaticText.h"
#include "engine/TriaxoSetup.h"
#include "gui/ZelLookAndFeel.h"

namespace {
constexpr int InputWidth = 36;
constexpr int InputHeight = 24;
constexpr float CaptionSize = 13.0f;
} // namespace

TEditorOptions::TEditorOptions(TfrmVSTEditorMenu& form, TZelGuiPanel& panel, TTriaxoSetup* setup)
    : chkFollowTriggerNotes("Follow Trigger Notes"), FPanel(panel), FOwner(form, setup),
      FLogic(FOwner.Setup(), FOwner,
             {&inputOctaveRangeFrom.Model(), &inputOctaveRangeTo.Model(), &inputTransposeOctave.Model(),
              &inputTransposeOctaveBelow.Model(), &inputTransposeOctaveAbove.Model()}),
      FBoxes(FOwner.Setup(), FOwner) {
  PlaceStaticText(FPanel, lblOctaveRange, "Octave Range", 683, 2, CaptionSize, 819 - 683);
  PlaceInput(oinOctaveRangeFrom, 819, 0);
  PlaceStaticText(FPanel, lblOctaveRangeDash, "-", 859, 2, CaptionSize);
  PlaceInput(oinOctaveRangeTo, 870, 0);
  PlaceStaticText(FPanel, lblTransposeOctave, "Transpose Octave", 683, 34, CaptionSize, 819 - 683);
  PlaceInput(oinTransposeOctave, 819, 32);
  HorzLine.setBounds(683, 70, 223, 10);
  FPanel.addAndMakeVisible(HorzLine);
  PlaceStaticText(FPanel, lblTransposeOctaveBelow, "Transpose Oct Below", 683, 85, CaptionSize, 819 - 683);
  PlaceInput(oinTransposeOctaveBelow, 819, 85);
  PlaceInput(oinTransposeOctaveAbove, 819, 115);
  PlaceStaticText(FPanel, lblTransposeOctaveAbove, "Transpose Oct Above", 683, 117, CaptionSize, 819 - 683);

  FLogic.OnHighlightChanged = [this](TOptionInput input) {
    Input(input).repaint();
  };

  chkFollowTriggerNotes.setBounds(683, 149, 906 - 683, 22);
  chkFollowTriggerNotes.Font = FitStaticFont(ZelFonts::Make("Segoe UI", CaptionSize, true),
                                             chkFollowTriggerNotes.getButtonText(), 906 - 683 - 21);
  chkFollowTriggerNotes.SetChecked(true);
  chkFollowTriggerNotes.OnBeforeMouseDown = [this](TObject*, TMouseButton, TShiftState shift, int, int,
                                                   bool& proceed) {
    proceed = FBoxes.BoxBeforeMouseDown(obxFollowTriggerNotes, shift,
                                        [this](bool checked) { chkFollowTriggerNotes.SetChecked(checked); });
  };
  chkFollowTriggerNotes.OnClick = [this](TObject*) {
    FBoxes.BoxClick(obxFollowTriggerNotes, chkFollowTriggerNotes.Checked());
  };
  FPanel.addAndMakeVisible(chkFollowTriggerNotes);
}

TZelNumericInput& TEditorOptions::Input(TOptionInput input) {
  switch (input) {
  case oinOctaveRangeTo:
    return inputOctaveRangeTo;
  case oinTransposeOctave:
    return inputTransposeOctave;
  case oinTransposeOctaveBelow:
    return inputTransposeOctaveBelow;
  case oinTransposeOctaveAbove:
    return inputTransposeOctaveAbove;
  default:
    return inputOctaveRangeFrom;
  }
}

void TEditorOptions::PlaceInput(TOptionInput which, int x, int y) {
  TZelNumericInput& input = Input(which);
  input.Model().Center = true;
  input.Model().BorderWidth = 1;
  input.Font = ZelFonts::Make("Segoe UI", 12.0f, true);
  input.setBounds(x, y, InputWidth, InputHeight);
  input.OnMouseUp = [this, which](TObject*) {
    FLogic.InputMouseUp(which);
  };
  FPanel.addAndMakeVisible(input);
}

void TEditorOptions::UpdateFromPlugin() {
  FLogic.UpdateInputsFromPlugin();
  const bool follow = FBoxes.BoxFromPlugin(obxFollowTriggerNotes);
  if (chkFollowTriggerNotes.Checked() != follow) {
    chkFollowTriggerNotes.SetChecked(follow);
  }
}

void TEditorOptions::LowestOctaveChanged() {
  for (TZelNumericInput* input : {&inputOctaveRangeFrom, &inputOctaveRangeTo}) {
    input->repaint();
    input->BuildPopupMenu();
  }
}
