// EditorOptions: the options column of the chord-setup panel: octave range with learning, transposition and
// "Follow Trigger Notes".
#pragma once

#include "editor/EditorFormLink.h"
#include "editor/OptionsLogic.h"
#include "gui/ZelCheckBox.h"
#include "gui/ZelGuiPanel.h"
#include "gui/ZelHorzLine.h"
#include "gui/ZelNumericInput.h"

#include <juce_gui_basics/juce_gui_basics.h>

class TfrmVSTEditorMenu;
class TTriaxoSetup;

// Creates, places and handles the option controls inside the form's chord-setup panel; the rules live in
// TOptionsLogic and TOptionBoxes. User-interface thread only.
class TEditorOptions {
public:
  // setup: the one the form edits (null: the plug-in's).
  TEditorOptions(TfrmVSTEditorMenu& form, TZelGuiPanel& panel, TTriaxoSetup* setup = nullptr);
  TEditorOptions(const TEditorOptions&) = delete;
  TEditorOptions& operator=(const TEditorOptions&) = delete;

  // Step 3 of the form's refresh, up to "Follow Trigger Notes" (the timing boxes follow).
  void UpdateFromPlugin();
  // The shown octave numbers and the range inputs' value menus follow the new setting.
  void LowestOctaveChanged();
  // From the form's CancelModes: the input waiting for an octave is un-highlighted and forgotten.
  void CancelLearning() { FLogic.CancelLearning(); }
  // From the form's edit-idle handler: the octave the engine learned.
  void SetLearnedOctave(int32_t octave) { FLogic.SetLearnedOctave(octave); }
  TOptionsLogic& Logic() { return FLogic; }
  TZelNumericInput& Input(TOptionInput input);

  juce::Label lblOctaveRange;
  TZelNumericInput inputOctaveRangeFrom;
  juce::Label lblOctaveRangeDash;
  TZelNumericInput inputOctaveRangeTo;
  juce::Label lblTransposeOctave;
  TZelNumericInput inputTransposeOctave;
  TZelHorzLine HorzLine;
  juce::Label lblTransposeOctaveBelow;
  TZelNumericInput inputTransposeOctaveBelow;
  TZelNumericInput inputTransposeOctaveAbove;
  juce::Label lblTransposeOctaveAbove;
  TZelCheckBox chkFollowTriggerNotes;

private:
  void PlaceInput(TOptionInput input, int x, int y);

  TZelGuiPanel& FPanel;
  TEditorFormLink FOwner;
  TOptionsLogic FLogic;
  TOptionBoxes FBoxes;
};
