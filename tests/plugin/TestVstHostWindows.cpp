// TestVstHostWindows: the Windows side of the test host (loading Triaxo.dll).
#include "TestVstHost.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <filesystem>
#include <stdexcept>
#include <string>

using namespace vst;

namespace {

// The build machine is Linux and the tests run under Wine, whose drive Z: is the Linux root.
std::wstring LibraryPath() {
  std::string path = TRIAXO_PLUGIN_PATH;
  if (!path.empty() && path[0] == '/') {
    path = "Z:" + path;
  }
  return std::filesystem::path(path).make_preferred().wstring();
}

} // namespace

PluginEntryProc PluginEntry() {
  static PluginEntryProc entry = [] {
    HMODULE library = LoadLibraryW(LibraryPath().c_str());
    if (library == nullptr)
      throw std::runtime_error("cannot load the plug-in: error " + std::to_string(GetLastError()));
    auto* symbol =
        reinterpret_cast<PluginEntryProc>(reinterpret_cast<void*>(GetProcAddress(library, "VSTPluginMain")));
    if (symbol == nullptr)
      throw std::runtime_error("the plug-in has no VSTPluginMain");
    return symbol;
  }();
  return entry;
}
