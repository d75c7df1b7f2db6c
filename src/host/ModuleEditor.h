// ModuleEditor: what the module layer needs from an editor window, and the factory that makes one.
#pragma once

#include "engine/EditorView.h"

#include <cstdint>
#include <memory>
#include <string>

class TVSTPluginBase;

// The editor window as the module hosts it. Every call comes on the host's user-interface thread.
class TModuleEditor : public TEditorView {
public:
  // The window's own size (effEditGetRect reports it to the host).
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  // The size of the window's client area, which a host may have enlarged.
  virtual int32_t ClientWidth() const { return Width(); }
  virtual int32_t ClientHeight() const { return Height(); }
  // The host's mouse-wheel notice: the control under the mouse pointer takes the keyboard focus
  // unless it is a button, so that the wheel message reaches it.
  virtual void FocusControlUnderMouse() {}
  // The module's PresetName changed.
  virtual void UpdatePresetName() {}
  // A controller was learned; the text is "<parameter> = CC# <number>". Editors that highlight the
  // control waiting for a controller end that here.
  virtual void ShowCCLearned(const std::string& text) { ShowInfo(text); }
  // Every effEditIdle request, whether or not the module asks for a refresh: toolkits that need to
  // pump their own message queue on the host's thread do it here.
  virtual void Idle() {}
};

// Made once per process by the library entry when the editor is built in. Without a registered
// factory the module has no editor window: effEditOpen answers 0.
class TModuleEditorFactory {
public:
  virtual ~TModuleEditorFactory() = default;
  // Selects the toolkit style with this name for the next window; throws std::exception with the
  // toolkit's error text when the style cannot be selected.
  virtual void ApplySkin(const std::string& styleName) = 0;
  // A visible, borderless child of the host's window at (0, 0). Throws when no window can be made.
  virtual std::unique_ptr<TModuleEditor> CreateEditor(TVSTPluginBase& module, void* parentWindow) = 0;
};

// The process-wide editor factory; null until the library entry registers one. Registration happens
// before the first instance is created and the factory lives as long as the library.
inline TModuleEditorFactory*& ModuleEditorFactorySlot() {
  static TModuleEditorFactory* factory = nullptr;
  return factory;
}
inline void RegisterModuleEditorFactory(TModuleEditorFactory* factory) {
  ModuleEditorFactorySlot() = factory;
}
inline TModuleEditorFactory* ModuleEditorFactory() {
  return ModuleEditorFactorySlot();
}
