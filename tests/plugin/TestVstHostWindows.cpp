// TestVstHostWindows: the Windows side of the test host (loading Triaxo.dll, a private documents folder).
#include "TestVstHost.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <string>

using namespace vst;

namespace {

constexpr const wchar_t* ShellFoldersKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr const wchar_t* PersonalValue = L"Personal";

// The build machine is Linux and the tests run under Wine, whose drive Z: is the Linux root.
std::wstring LibraryPath() {
  std::string path = TRIAXO_PLUGIN_PATH;
  if (!path.empty() && path[0] == '/') {
    path = "Z:" + path;
  }
  return std::filesystem::path(path).make_preferred().wstring();
}

// The shell folder setting is one for the whole user, and CTest runs test processes side by side:
// a machine-wide lock keeps two redirections from crossing. The lock is re-entrant per thread.
HANDLE DocumentsLock() {
  static HANDLE lock = CreateMutexW(nullptr, FALSE, L"Local\\TriaxoTestDocumentsFolder");
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

// The shell's personal folder is redirected for the test's lifetime through the user's shell folder
// setting, which the shell reads on every request; FOldHome keeps the previous setting's bytes.
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

  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, ShellFoldersKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    throw std::runtime_error("cannot open the shell folder settings");
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, PersonalValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    FOldHome.assign(size, '\0');
    RegQueryValueExW(key, PersonalValue, nullptr, &type, reinterpret_cast<BYTE*>(FOldHome.data()), &size);
    FOldHome.resize(size);
    FHadHome = true;
  }
  std::wstring documents = (root / "Documents").wstring();
  RegSetValueExW(key, PersonalValue, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(documents.c_str()),
                 static_cast<DWORD>((documents.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

TFakeHome::~TFakeHome() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, ShellFoldersKey, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
    if (FHadHome)
      RegSetValueExW(key, PersonalValue, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(FOldHome.data()),
                     static_cast<DWORD>(FOldHome.size()));
    else
      RegDeleteValueW(key, PersonalValue);
    RegCloseKey(key);
  }
  std::error_code ignored;
  std::filesystem::remove_all(FHome, ignored);
  ReleaseMutex(DocumentsLock());
}
