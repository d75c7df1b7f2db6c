// ZelEditorFactory: the editor factory the library entry registers: skin selection and the editor window.
#pragma once

#include "gui/ZelModuleEditor.h"
#include "host/ModuleEditor.h"

class TZelEditorFactory final : public TModuleEditorFactory {
public:
  // Selects the style by name ("Carbon" ... "Smokey Quartz Kamri") for the next window; throws
  // std::runtime_error for a name that is no style.
  void ApplySkin(const std::string& styleName) override;
  std::unique_ptr<TModuleEditor> CreateEditor(TVSTPluginBase& module, void* parentWindow) override;

  const TZelSkin* ActiveSkin() const { return FSkin; }
  // The form class of the editor (the main editor registers its own).
  void SetFormMaker(TEditorFormMaker maker) { FMaker = std::move(maker); }

private:
  const TZelSkin* FSkin = &ZelSkins::ByIndex(0);
  TEditorFormMaker FMaker;
};

// Registers the process-wide factory and the in-editor message boxes; called once by the library entry.
TZelEditorFactory& RegisterTriaxoEditor();
