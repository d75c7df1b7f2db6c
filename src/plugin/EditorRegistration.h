// EditorRegistration: what the library registers before its first instance exists: the editor factory and
// the main editor's form. The guide's snapshot program registers through the same call, so its pictures
// show the window a host gets.
#pragma once

#if defined(TRIAXO_WITH_EDITOR)
#include "editor/Editor.h"
#include "gui/ZelEditorFactory.h"

inline void RegisterEditorWindow() {
  RegisterMainEditor(RegisterTriaxoEditor());
}
#endif
