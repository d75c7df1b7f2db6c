#include "editor/EditorFormLink.h"

#include "engine/Plugin.h"
#include "engine/TriaxoSetup.h"
#include "gui/VSTEditorMenu.h"
#include "host/SettingsStore.h"
#include "host/VSTPluginBaseDM.h"

namespace {
TTriaxoSetup* PluginSetup(TfrmVSTEditorMenu& form) {
  if (form.Module() == nullptr) {
    return nullptr;
  }
  auto* plugin = dynamic_cast<TVSTPlugin*>(&form.Module()->Plugin());
  return plugin != nullptr ? &plugin->Setup : nullptr;
}
} // namespace

TEditorFormLink::TEditorFormLink(TfrmVSTEditorMenu& form, TTriaxoSetup* setup)
    : FForm(form), FSetup(setup != nullptr ? setup : PluginSetup(form)) {
  if (FSetup == nullptr) {
    FOwnSetup = std::make_unique<TTriaxoSetup>();
    FSetup = FOwnSetup.get();
  }
}

TEditorFormLink::~TEditorFormLink() = default;

bool TEditorFormLink::Updating() const {
  return FForm.Updating();
}

void TEditorFormLink::NotifyHostChanged() {
  if (FForm.Module() != nullptr) {
    FForm.Module()->NotifyHostChanged();
  }
}

void TEditorFormLink::ShowInfo(const std::string& text) {
  FForm.ShowInfo(text);
}

int32_t TEditorFormLink::LowestOctave() const {
  return FForm.Module() != nullptr ? FForm.Module()->Settings().LowestOctave()
                                   : TSettingsStore::DefaultLowestOctave;
}

void TEditorFormLink::CancelModes() {
  FForm.CancelModes();
}

void TEditorFormLink::SetCCMode(TMidiCCMode mode) {
  if (FForm.Module() != nullptr) {
    FForm.Module()->SetCCMode(mode);
  }
}
