// Editor: TfrmEditor, the plug-in's main editor window: panels, keyboards, chord library and wizard.
#pragma once

#include "editor/ChordLibrary.h"
#include "editor/ChordSetupEdits.h"
#include "editor/EditorOptions.h"
#include "editor/EditorTimingVelocity.h"
#include "editor/PreviewPlayer.h"
#include "editor/ScaleTemplates.h"
#include "gui/VSTEditorMenu.h"
#include "gui/ZelCheckBox.h"
#include "gui/ZelGuiMidiKeys.h"
#include "gui/ZelGuiPanel.h"
#include "gui/ZelMenuButton.h"
#include "gui/ZelPopupMenu.h"
#include "gui/ZelSpTBXSpeedButton.h"
#include "gui/ZelTimer.h"
#include "host/UiServices.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>

class TTriaxoSetup;
class TVSTPlugin;
class TZelEditorFactory;

// A speed button that reports its own press and release (the preview button sounds while held) and
// shows its toggle state as pressed (the two panel buttons).
class TEditorSpeedButton : public TZelSpTBXSpeedButton {
public:
  std::function<void()> OnMouseDown;
  std::function<void()> OnMouseUp;
  void mouseDown(const juce::MouseEvent& event) override;
  void mouseUp(const juce::MouseEvent& event) override;
  void paintButton(juce::Graphics& g, bool highlighted, bool down) override;
};

// The main editor. User-interface thread only: the audio thread reaches it through the plug-in's
// editor feed and edit-idle call (docs/threading.md). Every edit goes into the plug-in's own setup
// through TChordSetupEdits, which publishes whole chords and tells the host.
class TfrmEditor : public TfrmVSTEditorMenu {
public:
  static constexpr int ClientWidth = 936;
  static constexpr int ClientHeight = 508;
  // Chord keyboard key K is chord note K - 24 (the octaves -2 .. +2 of the labels).
  static constexpr int32_t ChordKeyOffset = 24;
  static constexpr int32_t ChordKeys = 60;

  // module may be null (renders, tests): the editor then edits a setup of its own.
  TfrmEditor(TVSTPluginBase* module, const TZelSkin* skin);
  ~TfrmEditor() override;

  // The setup the editor shows and edits (the plug-in's own).
  TTriaxoSetup& Setup();
  TChordSetupEdits& Edits() { return *FEdits; }
  // The timing and velocity rows (panTimingVelocity) and the options (panChordSetup).
  TEditorTimingVelocity& TimingVelocity() { return *FTimingVelocity; }
  TEditorOptions& Options() { return *FOptions; }

  // Overrides of the shell, in its slot order.
  void UpdateFromPlugin() override;
  // Ends the modes a mouse action cancels (octave learning, then the shell's CC modes) and shows the
  // info line's default text.
  void CancelModes() override;
  void LowestOctaveChanged() override;
  void AfterInitPreset() override;
  void AfterPresetBrowser() override;
  void GetPresetBrowserSize(int& width, int& height) override;
  bool ControlMouseDown(const std::string& controlName, TShiftState shift, const TControlRefresh& refresh,
                        TObject* data) override;
  // A slider's random range is a parameter of its own; the info line names the timing values.
  void ControlChanged(const std::string& parameterName) override;
  void ControlValueChanged(const std::string& controlName, TObject* control, float value) override;
  void UpdateControl(const std::string& controlName, TObject* control) override;
  // An empty text shows the notes now sounding (empty when none).
  void ShowInfo(const std::string& text) override;
  void SetLearnedOctave(int32_t octave) override;
  void RefreshHighlights() override;
  void FormShow() override;
  // Everything the keyboards and the wizard show, from the setup (shown, after Init, after the
  // preset browser).
  void FullRefresh();
  void ShowPanel();
  void ShowSelectedChord();
  void UpdateWizard();
  void UpdateTemplateCaption();

  // The two main panels and their switch. The timing and velocity rows live on panTimingVelocity,
  // the options, octave range and transposition controls on panChordSetup to the right of the
  // wizard (x from 683); their classes take this form and the panel.
  TEditorSpeedButton btnChordSetupPanel;
  TEditorSpeedButton btnTimingVelocityPanel;
  TZelGuiPanel panChordSetup;
  TZelGuiPanel panTimingVelocity;

  // Keyboards.
  TZelGuiMidiKeys MidiKeysTrigger;
  TZelGuiMidiKeys MidiKeysChord;
  std::array<juce::Label, 5> lblOctave; // "-2" .. "+2"
  TEditorSpeedButton prevPreviewChord;
  TZelPopupMenu popTrigger;
  TZelPopupMenu popChord;
  TZelTimer timEditChordID;

  // Chord library.
  TZelMenuButton btnChordMenu;
  TZelPopupMenu ddmChord;

  // Wizard.
  TZelGuiPanel panWizard;
  juce::Label lblScaleTemplate;
  TEditorSpeedButton btnScaleTemplate; // ItemValue: the template's line, -1 = none
  juce::Label lblTonic;
  TEditorSpeedButton btnTonic; // ItemValue: the tonic pitch class
  TZelCheckBox chkEasyMode;
  juce::Label lblEasyMode;
  TEditorSpeedButton btnApply;
  TZelPopupMenu ddmScaleTemplate;
  TZelPopupMenu ddmTonic;

  // The key under the last right-click: trigger 0..11 or chord key 0..59 (-1: none).
  int32_t PopupKey() const { return FPopupKey; }
  int32_t PressedKey() const { return FPreview.PressedKey(); }
  const TChordLibrary& ChordLines() const { return FChordLines; }
  const TScaleTemplates& TemplateLines() const { return FTemplateLines; }

  // Event handlers (public so tests can drive them as the controls do).
  void btnChordSetupPanelClick();
  void btnTimingVelocityPanelClick();
  void MidiKeysTriggerKeyPinned(int32_t key);
  void MidiKeysTriggerKeyPressed(int32_t key);
  void MidiKeysTriggerKeyReleased(int32_t key);
  void MidiKeysTriggerContextPopup(int x, int y, bool& handled);
  void MidiKeysTriggerDblClick(TShiftState shift);
  void MidiKeysTriggerDrawKey(const TGuiSingleKey& key, juce::Graphics& g);
  void popTriggerPopup();
  void popTrigger_CClick(int32_t tag);
  void timEditChordIDTimer();
  void EditChordName();
  void MidiKeysChordKeyPinned(int32_t key);
  void MidiKeysChordKeyUnpinned(int32_t key);
  void MidiKeysChordKeyPressed(int32_t key);
  void MidiKeysChordKeyReleased(int32_t key);
  void MidiKeysChordContextPopup(int x, int y);
  void MidiKeysChordGetKeyColor(uint8_t key, TColor& color, bool isBlack);
  void MidiKeysChordDrawKey(const TGuiSingleKey& key, juce::Graphics& g);
  void popChordPopup();
  void popNote_1Click(int32_t tag);
  void prevPreviewChordMouseDown();
  void prevPreviewChordMouseUp();
  void ddmChordPopup();
  void ChordEntryClick(int32_t line);
  void ddmScaleTemplatePopup();
  void TemplateEntryClick(int32_t line);
  void ddmTonicPopup();
  void ddmTonic_CClick(int32_t tag);
  void btnApplyClick();

private:
  class TPluginPreviews;

  void CreateControls();
  void CreateKeyboards();
  void CreateChordLibrary();
  void CreateWizard();
  void StyleTexts();
  void LoadChordLibrary();
  void LoadScaleTemplates();
  void NotifyHostChanged();
  // Whether MIDI trigger notes are shown: mouse previews wait until they are released.
  bool HighlightsShown() { return HighlightedNotes().Count() > 0; }
  void ReleasePressedKey();
  void ApplyConfirmed(const TApplyRequest& request);
  void StartStopRetries();

  std::unique_ptr<TTriaxoSetup> FOwnSetup; // only without a plug-in
  TVSTPlugin* FPlugin = nullptr;
  std::unique_ptr<TChordSetupEdits> FEdits;
  std::unique_ptr<TPluginPreviews> FPreviewTarget;
  TPreviewPlayer FPreview;
  TZelTimer FStopRetry;

  TChordLibrary FChordLines;
  TScaleTemplates FTemplateLines;
  int32_t FPopupKey = -1;
  // The library and template entries by line, and the submenu each sits in.
  std::map<int32_t, TZelMenuItem*> FChordEntries;
  std::map<int32_t, TZelMenuItem*> FTemplateEntries;
  TZelMenuItem* FSuggestChord = nullptr;
  // Made after the panels they fill, gone before them.
  std::unique_ptr<TEditorTimingVelocity> FTimingVelocity;
  std::unique_ptr<TEditorOptions> FOptions;
};

// Makes TfrmEditor the form of every editor window the factory opens.
void RegisterMainEditor(TZelEditorFactory& factory);
