// DocumentsFolderWindows: tests point the user's documents folder into a folder of their own and put the
// user's setting back afterwards.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace TestDocumentsFolder {

inline constexpr const wchar_t* ShellFoldersKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
inline constexpr const wchar_t* PersonalValue = L"Personal";
// The shell folder setting is one for the whole user, and CTest runs test processes side by side: every
// test that redirects it holds this machine-wide mutex, so two redirections never cross.
inline constexpr const wchar_t* LockName = L"Local\\TriaxoTestDocumentsFolder";

// The user's setting as it was before the first redirection.
struct TSaved {
  bool Present = false;
  DWORD Type = REG_EXPAND_SZ;
  std::string Bytes;
};

// The shell reads the setting on every request, so the change takes effect at once. With saved given, the
// current setting is kept there first. False when the setting cannot be opened.
inline bool Redirect(const std::wstring& folder, TSaved* saved) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, ShellFoldersKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  if (saved != nullptr) {
    DWORD size = 0;
    if (RegQueryValueExW(key, PersonalValue, nullptr, &saved->Type, nullptr, &size) == ERROR_SUCCESS) {
      saved->Bytes.assign(size, '\0');
      RegQueryValueExW(key, PersonalValue, nullptr, &saved->Type,
                       reinterpret_cast<BYTE*>(saved->Bytes.data()), &size);
      saved->Bytes.resize(size);
      saved->Present = true;
    }
  }
  RegSetValueExW(key, PersonalValue, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return true;
}

// Puts the saved setting back, or removes the setting when the user had none.
inline void Restore(const TSaved& saved) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, ShellFoldersKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS) {
    return;
  }
  if (saved.Present) {
    RegSetValueExW(key, PersonalValue, 0, saved.Type, reinterpret_cast<const BYTE*>(saved.Bytes.data()),
                   static_cast<DWORD>(saved.Bytes.size()));
  } else {
    RegDeleteValueW(key, PersonalValue);
  }
  RegCloseKey(key);
}

} // namespace TestDocumentsFolder
