#include "gui/ZelEditorFactory.h"

#include "gui/ZelUiServices.h"

#include <stdexcept>

void TZelEditorFactory::ApplySkin(const std::string& styleName) {
  const TZelSkin* skin = ZelSkins::ByName(styleName);
  if (skin == nullptr) {
    throw std::runtime_error("Style '" + styleName + "' not found");
  }
  FSkin = skin;
}

std::unique_ptr<TModuleEditor> TZelEditorFactory::CreateEditor(TVSTPluginBase& module, void* parentWindow) {
  return std::make_unique<TZelModuleEditor>(&module, parentWindow, FSkin, FMaker);
}

TZelEditorFactory& RegisterTriaxoEditor() {
  static TZelEditorFactory factory;
  RegisterModuleEditorFactory(&factory);
  SetUiServices(&TZelUiServices::Instance());
  return factory;
}
