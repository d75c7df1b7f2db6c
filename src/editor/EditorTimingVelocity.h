// EditorTimingVelocity: the "Timing / Velocity" panel: five note rows of sliders and dials bound to the
// 30 parameters through the shell's parameter protocol, and the three timing option boxes.
#pragma once

#include "editor/EditorFormLink.h"
#include "editor/OptionsLogic.h"
#include "editor/TimingVelocityLogic.h"
#include "gui/ZelCheckBox.h"
#include "gui/ZelGuiPanel.h"
#include "gui/ZelGuiStitchedDial.h"
#include "gui/ZelSlider.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <memory>
#include <string>

class TfrmVSTEditorMenu;
class TTriaxoSetup;

// One chord-note position: caption, panel, the start and end sliders and the two velocity dials.
struct TNoteRow {
  juce::Label lblNote;
  TZelGuiPanel panNote;
  juce::Label lblStart;
  TZelSlider sliderNoteStart;
  juce::Label lblEnd;
  TZelSlider sliderNoteEnd;
  juce::Label lblVelocityScale;
  TZelGuiStitchedDial dialVelocityScale;
  juce::Label lblVelocityScaleRandom;
  TZelGuiStitchedDial dialVelocityScaleRandom;
};

// Creates, places and handles the rows and boxes inside the form's timing panel. The form forwards its
// protocol overrides here. User-interface thread only.
class TEditorTimingVelocity {
public:
  static constexpr int RowPitch = 79;
  static constexpr int BoxLeft = 714;
  static constexpr int BoxPitch = 23;

  // setup: the one the form edits (null: the plug-in's).
  TEditorTimingVelocity(TfrmVSTEditorMenu& form, TZelGuiPanel& panel, TTriaxoSetup* setup = nullptr);
  TEditorTimingVelocity(const TEditorTimingVelocity&) = delete;
  TEditorTimingVelocity& operator=(const TEditorTimingVelocity&) = delete;

  // Steps 1 and 2 of the form's refresh: the ten sliders (ends first, value then range), then the
  // scale dials and the random dials, each through the form's UpdateControl.
  void UpdateControlsFromPlugin();
  // The three timing boxes from the setup (part of step 3).
  void UpdateBoxesFromPlugin();

  // The form's protocol overrides: true when the name is a slider's random range and this class
  // handled it; otherwise the form runs the shell's handling.
  bool ControlValueChanged(const std::string& name, TObject* control);
  bool UpdateControl(const std::string& name, TObject* control);
  // The info line for a timing or velocity parameter; false for any other name.
  bool ControlChanged(const std::string& name);

  TNoteRow& Row(int32_t row) { return *FRows.at(static_cast<std::size_t>(row)); }
  TZelCheckBox& Box(TOptionBox box);
  TZelSlider* SliderOf(int32_t row, TimingVelocity::TTimingKind kind);
  TZelGuiStitchedDial* DialOf(int32_t row, TimingVelocity::TTimingKind kind);

  TZelCheckBox chkRelativeTiming;
  TZelCheckBox chkSameRandomVelocity;
  TZelCheckBox chkRandomNoteAssignment;

private:
  void CreateRow(int32_t row);
  void BindSlider(TZelSlider& slider, int32_t row, TimingVelocity::TTimingKind valueKind);
  void BindDial(TZelGuiStitchedDial& dial, int32_t row, TimingVelocity::TTimingKind kind);
  void BindBox(TZelCheckBox& box, TOptionBox which, int top);
  float StoredValue(const std::string& name) const;

  TfrmVSTEditorMenu& FForm;
  TZelGuiPanel& FPanel;
  TEditorFormLink FOwner;
  TOptionBoxes FBoxes;
  std::array<std::unique_ptr<TNoteRow>, TimingVelocity::RowCount> FRows;
  // Set while a slider takes its random range from the plug-in, so its handler sends nothing back.
  bool FRefreshingRandom = false;
};
