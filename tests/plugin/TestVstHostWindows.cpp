// TestVstHostWindows: the Windows side of the test host (loading Triaxo.dll, a private documents folder).
#include "TestVstHost.h"
#include "host/DocumentsFolderWindows.h"

#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>

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

// The lock is re-entrant per thread.
HANDLE DocumentsLock() {
  static HANDLE lock = CreateMutexW(nullptr, FALSE, TestDocumentsFolder::LockName);
  return lock;
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

// The shell's personal folder is redirected for the test's lifetime; FOldHome keeps the previous
// setting's bytes.
TFakeHome::TFakeHome() {
  // An abandoned lock (a crashed test) is ours now, which is what we want.
  if (DocumentsLock() == nullptr || WaitForSingleObject(DocumentsLock(), INFINITE) == WAIT_FAILED)
    throw std::runtime_error("cannot take the documents folder lock");
  static std::atomic<unsigned> counter{0};
  std::filesystem::path root =
      std::filesystem::temp_directory_path() /
      ("triaxo-home-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter.fetch_add(1)));
  std::filesystem::create_directories(root / "Documents");
  FHome = root.string();

  TestDocumentsFolder::TSaved saved;
  if (!TestDocumentsFolder::Redirect((root / "Documents").wstring(), &saved))
    throw std::runtime_error("cannot open the shell folder settings");
  FOldHome = std::move(saved.Bytes);
  FHadHome = saved.Present;
}

TFakeHome::~TFakeHome() {
  // The shell folder setting of a user is an expandable string.
  TestDocumentsFolder::Restore({FHadHome, REG_EXPAND_SZ, FOldHome});
  std::error_code ignored;
  std::filesystem::remove_all(FHome, ignored);
  ReleaseMutex(DocumentsLock());
}
