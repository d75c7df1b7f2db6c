#include "TestDisplay.h"

#include <windows.h>

namespace TestDisplay {
// Windows always has a desktop. Wine has one only when it was given an X display: without one its
// windows are never shown or painted, so window tests skip there.
bool Ensure(std::string& reason) {
  reason.clear();
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const bool underWine = ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  if (!underWine) {
    return true;
  }
  if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) > 0 ||
      GetEnvironmentVariableW(L"WAYLAND_DISPLAY", nullptr, 0) > 0) {
    return true;
  }
  reason = "Wine has no display (set TRIAXO_WINE_DISPLAY, as scripts/windows-tests.sh does with Xvfb)";
  return false;
}
} // namespace TestDisplay
