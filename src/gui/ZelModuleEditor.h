// ZelModuleEditor: the editor window as the module hosts it: JUCE's lifetime, the host's child window, idle
// pumping.
#pragma once

#include "gui/VSTEditorBase.h"
#include "host/ModuleEditor.h"

#include <functional>
#include <memory>

class TVSTPluginBase;

// Makes the form of the registered editor class; the editor shell until the main editor registers.
using TEditorFormMaker =
    std::function<std::unique_ptr<TfrmVSTEditorBase>(TVSTPluginBase* module, const TZelSkin* skin)>;

class TZelModuleEditor final : public TModuleEditor {
public:
  // Acquires the toolkit, makes the form and puts it into the host's window (null: a window of its own,
  // for tests that have no host).
  TZelModuleEditor(TVSTPluginBase* module, void* parentWindow, const TZelSkin* skin,
                   const TEditorFormMaker& maker);
  ~TZelModuleEditor() override;

  TfrmVSTEditorBase& Form() { return *FForm; }

  void UpdateFromPlugin() override;
  THighlightedNotes& HighlightedNotes() override { return FForm->HighlightedNotes(); }
  TMidiNoteList& SoundingNotes() override { return FForm->SoundingNotes(); }
  void SetLearnedOctave(int32_t octave) override { FForm->SetLearnedOctave(octave); }
  void RefreshHighlights() override { FForm->RefreshHighlights(); }
  void ShowInfo(const std::string& text) override { FForm->ShowInfo(text); }
  int32_t Width() const override { return FForm->getWidth(); }
  int32_t Height() const override { return FForm->getHeight(); }
  void FocusControlUnderMouse() override { FForm->FocusControlUnderMouse(); }
  void UpdatePresetName() override { FForm->UpdatePresetName(); }
  void Idle() override;

private:
  std::unique_ptr<TfrmVSTEditorBase> FForm;
};
