#include "gui/ZelModuleEditor.h"

#include "gui/VSTEditorMenu.h"
#include "gui/ZelJuceRuntime.h"
#include "gui/ZelUiServices.h"

TZelModuleEditor::TZelModuleEditor(TVSTPluginBase* module, void* parentWindow, const TZelSkin* skin,
                                   const TEditorFormMaker& maker) {
  ZelJuceRuntime::Acquire();
  try {
    FForm = maker ? maker(module, skin) : std::make_unique<TfrmVSTEditorMenu>(module, skin);
    FForm->setTopLeftPosition(0, 0);
    FForm->setVisible(true);
    // Borderless child of the host's window; the host draws the frame.
    FForm->addToDesktop(0, parentWindow);
    TZelUiServices::Instance().EditorOpened(*FForm);
    FForm->FormShow();
    FForm->repaint();
    ZelJuceRuntime::PumpMessages();
  } catch (...) {
    FForm.reset();
    ZelJuceRuntime::Release();
    throw;
  }
}

TZelModuleEditor::~TZelModuleEditor() {
  // Open dialogs answer Cancel while the whole form still exists.
  FForm->Dialogs().CancelAll();
  TZelUiServices::Instance().EditorClosing(*FForm);
  FForm->removeFromDesktop();
  FForm.reset();
  ZelJuceRuntime::PumpMessages();
  ZelJuceRuntime::Release();
}

void TZelModuleEditor::UpdateFromPlugin() {
  FForm->UpdateFromPlugin();
}

void TZelModuleEditor::Idle() {
  ZelJuceRuntime::PumpMessages();
}
