// OptionsLogic: the rules of the option boxes, the octave-range and transposition inputs and octave
// learning, on the numeric inputs' models and the setup, without widgets.
#pragma once

#include "engine/PluginHost.h"
#include "engine/Relaxed.h"
#include "gui/ZelNumericInputModel.h"
#include "gui/ZelTypes.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class TTriaxoSetup;

namespace EditorOptions {
inline constexpr const char* LearnCaption = "Learn";
inline constexpr const char* LearnPrompt = "Learn Octave: Press key on MIDI keyboard";
inline constexpr int32_t MaxOctave = 10;
inline constexpr int32_t MaxTranspose = 5;
} // namespace EditorOptions

enum TOptionInput : int32_t {
  oinOctaveRangeFrom = 0,
  oinOctaveRangeTo = 1,
  oinTransposeOctave = 2,
  oinTransposeOctaveBelow = 3,
  oinTransposeOctaveAbove = 4
};
inline constexpr int32_t OptionInputCount = 5;

enum TOptionBox : int32_t {
  obxFollowTriggerNotes = 0,
  obxRelativeTiming = 1,
  obxSameRandomVelocity = 2,
  obxRandomNoteAssignment = 3
};
inline constexpr int32_t OptionBoxCount = 4;

struct TOptionInputInfo {
  const char* Prefix;
  int32_t ResetValue;
  int32_t MinValue;
  int32_t MaxValue;
  bool IsOctaveRange;
  TRelaxed<int32_t>& (*Field)(TTriaxoSetup& setup);
};
struct TOptionBoxInfo {
  const char* Prefix;
  bool ResetValue;
  TRelaxed<bool>& (*Flag)(TTriaxoSetup& setup);
};
const TOptionInputInfo& OptionInputInfo(TOptionInput input);
const TOptionBoxInfo& OptionBoxInfo(TOptionBox box);

namespace EditorOptions {
// An octave as the engine counts it, shown shifted by the lowest-octave setting (U+2212 minus).
std::string OctaveText(float value, int32_t lowestOctave);
// "+2", "0", U+2212 "2".
std::string TransposeText(float value);
// The prefix and "On" or "Off".
std::string BoxInfoText(TOptionBox box, bool checked);
// The prefix and the value as the info line shows it (octaves shifted, transpositions unsigned).
std::string InputInfoText(TOptionInput input, float value, int32_t lowestOctave);
} // namespace EditorOptions

// What the options need from the editor form they sit in. User-interface thread.
class TOptionsOwner {
public:
  virtual ~TOptionsOwner() = default;
  // The shell's flag: the editor is pushing plug-in values into its controls.
  virtual bool Updating() const = 0;
  virtual void NotifyHostChanged() = 0;
  virtual void ShowInfo(const std::string& text) = 0;
  virtual int32_t LowestOctave() const = 0;
  // The form's CancelModes (which ends octave learning through CancelLearning).
  virtual void CancelModes() = 0;
  virtual void SetCCMode(TMidiCCMode mode) = 0;
};

// The four option boxes: Follow Trigger Notes with the options, the three timing boxes on the timing
// panel. User-interface thread only.
class TOptionBoxes {
public:
  TOptionBoxes(TTriaxoSetup& setup, TOptionsOwner& owner) : FSetup(setup), FOwner(owner) {}

  // The pre-click hook of a box; false (the click is consumed) for the Ctrl + left reset, which sets
  // the box through setChecked.
  bool BoxBeforeMouseDown(TOptionBox box, TShiftState shift, const std::function<void(bool)>& setChecked);
  // After the box toggled.
  void BoxClick(TOptionBox box, bool checked);
  // The state a box should show, from the setup.
  bool BoxFromPlugin(TOptionBox box) const;
  bool Updating() const { return FUpdating || FOwner.Updating(); }

private:
  TTriaxoSetup& FSetup;
  TOptionsOwner& FOwner;
  bool FUpdating = false;
};

// The five inputs of the options. The inputs' models are the real controls' models;
// this class wires their events. User-interface thread only.
class TOptionsLogic {
public:
  TOptionsLogic(TTriaxoSetup& setup, TOptionsOwner& owner,
                const std::array<TZelNumericInputModel*, OptionInputCount>& inputs);
  TOptionsLogic(const TOptionsLogic&) = delete;
  TOptionsLogic& operator=(const TOptionsLogic&) = delete;

  TZelNumericInputModel& Input(TOptionInput input) const { return *FInputs[static_cast<std::size_t>(input)]; }

  // The pre-click hook of an input; the press always goes on to the input's own handling.
  bool InputBeforeMouseDown(TOptionInput input, TMouseButton button, TShiftState shift);
  // Release of a press on an input: an octave range dragged is stored now.
  void InputMouseUp(TOptionInput input);
  void InputChange(TOptionInput input);
  bool OctaveInputDragging() const { return FOctaveInputDragging; }

  // The give-way rule: the range never ends below its start; the input being stored gives way.
  void StoreOctaveRange(TOptionInput input);

  // Inputs from the setup (where their whole value differs), under the updating guard. An octave-range
  // input being dragged keeps the user's value: it is stored on release.
  void UpdateInputsFromPlugin();
  // True while the options push setup values into their controls.
  bool Updating() const { return FUpdating || FOwner.Updating(); }

  // Octave learning: "Learn" on a range input, the octave the engine learned, any other action.
  void StartLearnOctave(TOptionInput input);
  void SetLearnedOctave(int32_t octave);
  void CancelLearning();
  // The input waiting for a learned octave, -1 when none.
  int32_t LearnInput() const { return FLearnInput; }

  // Raised when an input's highlight changed (the widget repaints).
  std::function<void(TOptionInput input)> OnHighlightChanged;

private:
  void ShowInputInfo(TOptionInput input);
  bool IsOctaveRange(TOptionInput input) const;

  TTriaxoSetup& FSetup;
  TOptionsOwner& FOwner;
  std::array<TZelNumericInputModel*, OptionInputCount> FInputs;
  bool FUpdating = false;
  bool FOctaveInputDragging = false;
  int32_t FLearnInput = -1;
};
