// EditorRegistration: what the library registers before its first instance exists: the editor factory and
// the main editor's form. The guide's snapshot program registers through the same call, so its pictures
// show the window a host gets.
#pragma once

#if defined(TRIAXO_WITH_EDITOR)
#include "gui/ZelEditorFactory.h"
// The main editor's form, in a tree that has it; the editor shell's base window otherwise.
#if __has_include("editor/Editor.h")
#include "editor/Editor.h"
#define TRIAXO_MAIN_EDITOR_FORM 1
#endif

inline void RegisterEditorWindow() {
#if defined(TRIAXO_MAIN_EDITOR_FORM)
  RegisterMainEditor(RegisterTriaxoEditor());
#else
  RegisterTriaxoEditor();
#endif
}
#endif
