// VSTEditorBase: the editor base window (TfrmVSTEditorBase): frameless, tiled background, panMain, idle hook.
#pragma once

#include "engine/HighlightedNotes.h"
#include "engine/ZelMidiNoteList.h"
#include "gui/ZelDialogHost.h"
#include "gui/ZelGuiPanel.h"
#include "gui/ZelLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <string>

class TVSTPluginBase;

class TfrmVSTEditorBase : public juce::Component, public TObject {
public:
  static constexpr int DesignWidth = 531;
  static constexpr int DesignHeight = 396;
  static constexpr int TileSize = 16;
  static constexpr int ActivationDelayMs = 100;

  // module may be null for a window shown without a plug-in (tests, previews).
  TfrmVSTEditorBase(TVSTPluginBase* module, const TZelSkin* skin);
  ~TfrmVSTEditorBase() override;

  TVSTPluginBase* Module() const { return FModule; }
  const TZelSkin* Skin() const { return FLook->Skin(); }
  TZelGuiPanel panMain;
  TZelDialogHost& Dialogs() { return FDialogs; }

  // Refreshes every control from the plug-in (the main editor fills this in).
  virtual void UpdateFromPlugin() {}
  virtual void UpdatePresetName() {}
  virtual void ShowInfo(const std::string& /*text*/) {}
  virtual void SetLearnedOctave(int32_t /*octave*/) {}
  virtual void RefreshHighlights() {}
  THighlightedNotes& HighlightedNotes() { return FHighlightedNotes; }
  TMidiNoteList& SoundingNotes() { return FSoundingNotes; }
  // A click on the empty main panel.
  virtual void panMainClick() { FocusControlUnderMouse(); }

  // Runs what the form does when shown: UpdateFromPlugin, then the activation timer.
  virtual void FormShow();
  // The control under the mouse pointer takes the keyboard focus, unless it is a button.
  void FocusControlUnderMouse();
  // True while the editor pushes plug-in values into its controls.
  bool Updating() const { return FUpdating; }

  // The 16 x 16 background tile, a dark texture drawn in code.
  static juce::Image MakeBackgroundTile();

  void paint(juce::Graphics& g) override;
  void resized() override;
  void mouseDown(const juce::MouseEvent& event) override;

protected:
  bool FUpdating = false;

private:
  TVSTPluginBase* FModule;
  std::unique_ptr<TZelLookAndFeel> FLook;
  juce::Image FBackground;
  THighlightedNotes FHighlightedNotes;
  TMidiNoteList FSoundingNotes;
  TZelDialogHost FDialogs;
};
