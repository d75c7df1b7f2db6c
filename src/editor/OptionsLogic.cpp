#include "editor/OptionsLogic.h"

#include "engine/TriaxoSetup.h"
#include "gui/ZelGuiText.h"

namespace {
const std::array<TOptionInputInfo, OptionInputCount> InputInfos = {{
    {"Octave Range From: ", 0, 0, EditorOptions::MaxOctave, true,
     [](TTriaxoSetup& s) -> TRelaxed<int32_t>& {
       return s.OctaveRangeFrom;
     }},
    {"Octave Range To: ", EditorOptions::MaxOctave, 0, EditorOptions::MaxOctave, true,
     [](TTriaxoSetup& s) -> TRelaxed<int32_t>& {
       return s.OctaveRangeTo;
     }},
    {"Transpose Octave: ", 0, -EditorOptions::MaxTranspose, EditorOptions::MaxTranspose, false,
     [](TTriaxoSetup& s) -> TRelaxed<int32_t>& {
       return s.TransposeOctave;
     }},
    {"Transpose Octave Below: ", 0, -EditorOptions::MaxTranspose, EditorOptions::MaxTranspose, false,
     [](TTriaxoSetup& s) -> TRelaxed<int32_t>& {
       return s.TransposeOctaveBelow;
     }},
    {"Transpose Octave Above: ", 0, -EditorOptions::MaxTranspose, EditorOptions::MaxTranspose, false,
     [](TTriaxoSetup& s) -> TRelaxed<int32_t>& {
       return s.TransposeOctaveAbove;
     }},
}};

const std::array<TOptionBoxInfo, OptionBoxCount> BoxInfos = {{
    {"Follow Trigger Notes: ", true,
     [](TTriaxoSetup& s) -> TRelaxed<bool>& {
       return s.FollowTriggerNotes;
     }},
    {"Relative Timing: ", false,
     [](TTriaxoSetup& s) -> TRelaxed<bool>& {
       return s.NoteSetup.RelativeTiming;
     }},
    {"Same Random Velocity: ", false,
     [](TTriaxoSetup& s) -> TRelaxed<bool>& {
       return s.NoteSetup.SameRandomVelocity;
     }},
    {"Random Note Assignment: ", false,
     [](TTriaxoSetup& s) -> TRelaxed<bool>& {
       return s.NoteSetup.RandomNoteAssignment;
     }},
}};

int32_t Whole(float value) {
  return static_cast<int32_t>(RoundHalfEven(value));
}

bool CtrlLeft(TShiftState shift) {
  return InShift(shift, ssCtrl) && InShift(shift, ssLeft);
}

// Sets a flag for the lifetime of the scope and clears it on every way out.
class TFlagScope {
public:
  explicit TFlagScope(bool& flag) : FFlag(flag) { FFlag = true; }
  ~TFlagScope() { FFlag = false; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

private:
  bool& FFlag;
};
} // namespace

const TOptionInputInfo& OptionInputInfo(TOptionInput input) {
  return InputInfos.at(static_cast<std::size_t>(input));
}

const TOptionBoxInfo& OptionBoxInfo(TOptionBox box) {
  return BoxInfos.at(static_cast<std::size_t>(box));
}

namespace EditorOptions {
std::string OctaveText(float value, int32_t lowestOctave) {
  return ZelGuiText::IntToText(static_cast<int64_t>(Whole(value)) + lowestOctave);
}

std::string TransposeText(float value) {
  return ZelGuiText::IntToText(Whole(value), true);
}

std::string BoxInfoText(TOptionBox box, bool checked) {
  return std::string(OptionBoxInfo(box).Prefix) + (checked ? "On" : "Off");
}

std::string InputInfoText(TOptionInput input, float value, int32_t lowestOctave) {
  const TOptionInputInfo& info = OptionInputInfo(input);
  const std::string number =
      info.IsOctaveRange ? OctaveText(value, lowestOctave) : ZelGuiText::IntToText(Whole(value));
  return info.Prefix + number;
}
} // namespace EditorOptions

TOptionsLogic::TOptionsLogic(TTriaxoSetup& setup, TOptionsOwner& owner,
                             const std::array<TZelNumericInputModel*, OptionInputCount>& inputs)
    : FSetup(setup), FOwner(owner), FInputs(inputs) {
  for (int32_t i = 0; i < OptionInputCount; ++i) {
    const auto input = static_cast<TOptionInput>(i);
    const TOptionInputInfo& info = OptionInputInfo(input);
    TZelNumericInputModel& model = Input(input);
    model.SetMinValue(info.MinValue);
    model.SetMaxValue(info.MaxValue);
    model.OnBeforeMouseDown = [this, input](TObject*, TMouseButton button, TShiftState shift, int, int,
                                            bool& proceed) {
      proceed = InputBeforeMouseDown(input, button, shift);
    };
    model.OnChange = [this, input](TObject*) {
      InputChange(input);
    };
    if (info.IsOctaveRange) {
      model.OnGetText = [this](TObject*, float value, std::string& text) {
        text = EditorOptions::OctaveText(value, FOwner.LowestOctave());
      };
      model.OnPopulatePopupMenu = [this, input](TObject*, TZelPopupMenu& popup) {
        popup.Items().AddSeparator();
        popup.Items().Add(EditorOptions::LearnCaption, 0,
                          [this, input](TZelMenuItem&) { StartLearnOctave(input); });
      };
    } else {
      model.OnGetText = [](TObject*, float value, std::string& text) {
        text = EditorOptions::TransposeText(value);
      };
    }
  }
}

bool TOptionsLogic::IsOctaveRange(TOptionInput input) const {
  return OptionInputInfo(input).IsOctaveRange;
}

void TOptionsLogic::ShowInputInfo(TOptionInput input) {
  FOwner.ShowInfo(EditorOptions::InputInfoText(input, Input(input).Value(), FOwner.LowestOctave()));
}

bool TOptionsLogic::InputBeforeMouseDown(TOptionInput input, TMouseButton button, TShiftState shift) {
  FOwner.CancelModes();
  if (CtrlLeft(shift)) {
    Input(input).SetValue(static_cast<float>(OptionInputInfo(input).ResetValue));
  }
  if (InShift(shift, ssLeft)) {
    ShowInputInfo(input);
    // Only a left press drags; a popup press must not hold back the choice it leads to.
    if (IsOctaveRange(input) && button == mbLeft) {
      FOctaveInputDragging = true;
    }
  }
  return true;
}

void TOptionsLogic::InputMouseUp(TOptionInput input) {
  if (FOctaveInputDragging && IsOctaveRange(input)) {
    StoreOctaveRange(input);
  }
  FOctaveInputDragging = false;
}

void TOptionsLogic::InputChange(TOptionInput input) {
  if (Updating()) {
    return;
  }
  ShowInputInfo(input);
  if (IsOctaveRange(input)) {
    if (!FOctaveInputDragging) {
      StoreOctaveRange(input);
    }
    return;
  }
  TRelaxed<int32_t>& field = OptionInputInfo(input).Field(FSetup);
  const int32_t value = Input(input).ValueAsInteger();
  if (field != value) {
    field = value;
    FOwner.NotifyHostChanged();
  }
}

void TOptionsLogic::StoreOctaveRange(TOptionInput input) {
  if (!IsOctaveRange(input)) {
    return;
  }
  TRelaxed<int32_t>& field = OptionInputInfo(input).Field(FSetup);
  TZelNumericInputModel& edited = Input(input);
  if (field == edited.ValueAsInteger()) {
    return;
  }
  const TZelNumericInputModel& from = Input(oinOctaveRangeFrom);
  const TZelNumericInputModel& to = Input(oinOctaveRangeTo);
  if (to.ValueAsInteger() < from.ValueAsInteger()) {
    const TZelNumericInputModel& other = input == oinOctaveRangeFrom ? to : from;
    edited.SetValue(static_cast<float>(other.ValueAsInteger()));
  }
  // The give-way above may already have stored the value through the change handler.
  if (field != edited.ValueAsInteger()) {
    field = edited.ValueAsInteger();
    FOwner.NotifyHostChanged();
  }
}

bool TOptionBoxes::BoxBeforeMouseDown(TOptionBox box, TShiftState shift,
                                      const std::function<void(bool)>& setChecked) {
  FOwner.CancelModes();
  if (!CtrlLeft(shift)) {
    return true;
  }
  const TOptionBoxInfo& info = OptionBoxInfo(box);
  {
    TFlagScope guard(FUpdating);
    setChecked(info.ResetValue);
    info.Flag(FSetup) = info.ResetValue;
    FOwner.NotifyHostChanged();
  }
  FOwner.ShowInfo(EditorOptions::BoxInfoText(box, info.ResetValue));
  return false;
}

void TOptionBoxes::BoxClick(TOptionBox box, bool checked) {
  if (Updating()) {
    return;
  }
  FOwner.ShowInfo(EditorOptions::BoxInfoText(box, checked));
  TRelaxed<bool>& flag = OptionBoxInfo(box).Flag(FSetup);
  if (flag != checked) {
    flag = checked;
    FOwner.NotifyHostChanged();
  }
}

void TOptionsLogic::UpdateInputsFromPlugin() {
  TFlagScope guard(FUpdating);
  for (int32_t i = 0; i < OptionInputCount; ++i) {
    const auto input = static_cast<TOptionInput>(i);
    if (FOctaveInputDragging && IsOctaveRange(input)) {
      continue;
    }
    const int32_t stored = OptionInputInfo(input).Field(FSetup);
    if (Input(input).ValueAsInteger() != stored) {
      Input(input).SetValue(static_cast<float>(stored));
    }
  }
}

bool TOptionBoxes::BoxFromPlugin(TOptionBox box) const {
  return OptionBoxInfo(box).Flag(FSetup);
}

void TOptionsLogic::StartLearnOctave(TOptionInput input) {
  if (!IsOctaveRange(input)) {
    return;
  }
  CancelLearning();
  FOwner.SetCCMode(ccmLearnOctave);
  FLearnInput = input;
  Input(input).Highlight = true;
  if (OnHighlightChanged) {
    OnHighlightChanged(input);
  }
  FOwner.ShowInfo(EditorOptions::LearnPrompt);
}

void TOptionsLogic::SetLearnedOctave(int32_t octave) {
  if (FLearnInput >= 0) {
    Input(static_cast<TOptionInput>(FLearnInput)).SetValue(static_cast<float>(octave));
  }
  FOwner.CancelModes();
}

void TOptionsLogic::CancelLearning() {
  if (FLearnInput < 0) {
    return;
  }
  const auto input = static_cast<TOptionInput>(FLearnInput);
  FLearnInput = -1;
  Input(input).Highlight = false;
  if (OnHighlightChanged) {
    OnHighlightChanged(input);
  }
}
