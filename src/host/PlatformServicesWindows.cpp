// PlatformServicesWindows: the platform services on Windows (shell folders, ini files, registry, shell).
#include "host/PlatformServices.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>
#include <stdexcept>

namespace {

// FILETIME counts 100 ns ticks since 1601-01-01; the system clock counts from 1970-01-01.
constexpr int64_t FileTimeUnixEpoch = 116444736000000000LL;
constexpr int64_t FileTimeTicksPerSecond = 10000000LL;
// Ini values and registry texts that are longer than this are not ours.
constexpr DWORD MaxIniValueChars = 64 * 1024;
constexpr const wchar_t* IniMissingMarker = L"\x01\x02<missing>\x02\x01";

std::wstring Wide(const std::string& text) {
  if (text.empty()) {
    return {};
  }
  int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                   nullptr, 0);
  if (length <= 0) {
    // Not UTF-8: take the bytes as the ANSI code page, which is what older callers meant.
    length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(length, 0)), L'\0');
    if (length > 0) {
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    }
    return wide;
  }
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string Utf8(const wchar_t* text, size_t size) {
  if (size == 0) {
    return {};
  }
  int length = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(size), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(std::max(length, 0)), '\0');
  if (length > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(size), narrow.data(), length, nullptr, nullptr);
  }
  return narrow;
}

std::string Utf8(const std::wstring& text) {
  return Utf8(text.data(), text.size());
}

std::string SystemErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text;
  if (length > 0 && buffer != nullptr) {
    text = Utf8(buffer, length);
  }
  if (buffer != nullptr) {
    LocalFree(buffer);
  }
  while (!text.empty() &&
         (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
    text.pop_back();
  }
  return text.empty() ? "system error " + std::to_string(error) : text;
}

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

std::wstring WithoutTrailingSeparator(std::wstring path) {
  // "C:\" and "\" keep theirs: without it they would name the current folder of the drive.
  while (path.size() > 1 && IsSeparator(path.back()) && !(path.size() == 3 && path[1] == L':')) {
    path.pop_back();
  }
  return path;
}

// While alive, the system does not ask the user to insert a disk or retry a failing drive: a
// preset path on an unplugged drive or an empty card reader must answer "no", not open a dialog on
// top of the host. The thread's own mode is used where the system has one, so other threads of the
// host keep theirs.
class TQuietErrors {
public:
  TQuietErrors() {
    const DWORD quiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
    if (SetThreadErrorMode(quiet, &FOldMode)) {
      FThreadMode = true;
    } else {
      FOldMode = SetErrorMode(quiet);
      SetErrorMode(FOldMode | quiet);
    }
  }
  ~TQuietErrors() {
    if (FThreadMode) {
      SetThreadErrorMode(FOldMode, nullptr);
    } else {
      SetErrorMode(FOldMode);
    }
  }
  TQuietErrors(const TQuietErrors&) = delete;
  TQuietErrors& operator=(const TQuietErrors&) = delete;

private:
  DWORD FOldMode = 0;
  bool FThreadMode = false;
};

DWORD Attributes(const std::string& path) {
  if (path.empty()) {
    return INVALID_FILE_ATTRIBUTES;
  }
  TQuietErrors quiet;
  return GetFileAttributesW(Wide(path).c_str());
}

// An open registry key that closes itself.
class TRegKey {
public:
  TRegKey() = default;
  ~TRegKey() {
    if (FKey != nullptr) {
      RegCloseKey(FKey);
    }
  }
  TRegKey(const TRegKey&) = delete;
  TRegKey& operator=(const TRegKey&) = delete;

  bool Open(HKEY parent, const std::wstring& path) {
    return RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &FKey) == ERROR_SUCCESS;
  }
  HKEY Handle() const { return FKey; }

private:
  HKEY FKey = nullptr;
};

// The legacy key's path below HKEY_CURRENT_USER, or empty when a name would step outside it: a
// vendor or product with a separator must never let the import read or delete some other key.
std::wstring LegacyPath(const TLegacyKey& key) {
  auto usable = [](const std::string& name) {
    return !name.empty() && name.find('\\') == std::string::npos && name.find('/') == std::string::npos;
  };
  if (!usable(key.Vendor) || !usable(key.Product)) {
    return {};
  }
  return L"Software\\" + Wide(key.Vendor) + L"\\" + Wide(key.Product);
}

// A section name as a subkey name: one level only.
bool UsableSection(const std::string& section) {
  return !section.empty() && section.find('\\') == std::string::npos;
}

// The integer forms a registry ini view accepts in a text value: decimal with an optional sign,
// or hexadecimal after "$" or "0x", surrounded by blanks at most; the value must fit 32 bits.
std::optional<int32_t> ParseInteger(const std::wstring& text) {
  size_t pos = 0;
  while (pos < text.size() && (text[pos] == L' ' || text[pos] == L'\t')) {
    ++pos;
  }
  bool negative = false;
  if (pos < text.size() && (text[pos] == L'+' || text[pos] == L'-')) {
    negative = text[pos] == L'-';
    ++pos;
  }
  int base = 10;
  if (pos < text.size() && text[pos] == L'$') {
    base = 16;
    ++pos;
  } else if (pos + 1 < text.size() && text[pos] == L'0' && (text[pos + 1] == L'x' || text[pos + 1] == L'X')) {
    base = 16;
    pos += 2;
  }
  int64_t value = 0;
  size_t digits = 0;
  for (; pos < text.size(); ++pos, ++digits) {
    wchar_t c = text[pos];
    int digit;
    if (c >= L'0' && c <= L'9') {
      digit = c - L'0';
    } else if (base == 16 && c >= L'a' && c <= L'f') {
      digit = c - L'a' + 10;
    } else if (base == 16 && c >= L'A' && c <= L'F') {
      digit = c - L'A' + 10;
    } else {
      break;
    }
    value = value * base + digit;
    if (value > 0xFFFFFFFFLL) {
      return std::nullopt;
    }
  }
  while (pos < text.size() && (text[pos] == L' ' || text[pos] == L'\t')) {
    ++pos;
  }
  if (digits == 0 || pos != text.size()) {
    return std::nullopt;
  }
  if (base == 16 && !negative) {
    // "$FFFFFFFF" is -1, as a 32-bit hexadecimal constant is.
    return static_cast<int32_t>(static_cast<uint32_t>(value));
  }
  if (negative) {
    value = -value;
  }
  if (value < INT32_MIN || value > INT32_MAX) {
    return std::nullopt;
  }
  return static_cast<int32_t>(value);
}

// Marks this library for GetModuleHandleEx.
void ModuleAnchor() {}

class TPlatformServicesWindows final : public TPlatformServices {
public:
  char PathDelimiter() const override { return '\\'; }
  bool IsPathDelimiter(char c) const override { return c == '\\' || c == '/'; }
  bool FileNamesIgnoreCase() const override { return true; }

  std::string DocumentsFolder() override {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path))) {
      return {};
    }
    return Utf8(WithoutTrailingSeparator(path));
  }

  bool VolumeAnswers(const std::string& root) override {
    if (root.empty()) {
      return false;
    }
    std::wstring wideRoot = Wide(root);
    if (!IsSeparator(wideRoot.back())) {
      wideRoot += L'\\';
    }
    TQuietErrors quiet;
    return GetVolumeInformationW(wideRoot.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0) != 0;
  }

  bool FileExists(const std::string& path) override {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  bool FolderExists(const std::string& path) override {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  void CreateFolders(const std::string& path) override {
    std::wstring folder = WithoutTrailingSeparator(Wide(path));
    if (folder.empty()) {
      throw std::runtime_error("Cannot create a folder without a name");
    }
    TQuietErrors quiet;
    CreateFoldersWide(folder, path);
  }

  std::optional<std::vector<TFolderEntry>> ListFolder(const std::string& folder) override {
    std::wstring pattern = folder.empty() ? std::wstring(L".") : WithoutTrailingSeparator(Wide(folder));
    if (!IsSeparator(pattern.back())) {
      pattern += L'\\';
    }
    pattern += L'*';
    TQuietErrors quiet;
    WIN32_FIND_DATAW found{};
    HANDLE search =
        FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
      // An empty folder still has "." and ".."; an empty drive root answers "no files".
      return GetLastError() == ERROR_FILE_NOT_FOUND ? std::optional<std::vector<TFolderEntry>>(std::in_place)
                                                    : std::nullopt;
    }
    std::vector<TFolderEntry> entries;
    do {
      if (std::wcscmp(found.cFileName, L".") == 0 || std::wcscmp(found.cFileName, L"..") == 0) {
        continue;
      }
      TFolderEntry entry;
      entry.Name = Utf8(found.cFileName, std::wcslen(found.cFileName));
      entry.IsDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      entry.IsHidden = (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
      entries.push_back(std::move(entry));
    } while (FindNextFileW(search, &found));
    DWORD error = GetLastError();
    FindClose(search);
    if (error != ERROR_NO_MORE_FILES) {
      return std::nullopt;
    }
    return entries;
  }

  TFileDate FileDate(const std::string& path) override {
    if (path.empty()) {
      return {};
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    TQuietErrors quiet;
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) {
      return {};
    }
    int64_t ticks = (static_cast<int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                    static_cast<int64_t>(data.ftLastWriteTime.dwLowDateTime);
    int64_t sinceEpoch = ticks - FileTimeUnixEpoch;
    auto seconds = std::chrono::seconds(sinceEpoch / FileTimeTicksPerSecond);
    auto rest = std::chrono::nanoseconds((sinceEpoch % FileTimeTicksPerSecond) * 100);
    return TFileDate(std::chrono::duration_cast<TFileDate::duration>(seconds + rest));
  }

  std::string ModuleFileName() override {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&ModuleAnchor), &module)) {
      return {};
    }
    // Long paths may exceed MAX_PATH; the call truncates silently, so grow until the name fits.
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
      DWORD length = GetModuleFileNameW(module, name.data(), static_cast<DWORD>(name.size()));
      if (length == 0) {
        return {};
      }
      if (length < name.size()) {
        name.resize(length);
        return Utf8(name);
      }
      if (name.size() >= 32768) {
        return {};
      }
      name.resize(name.size() * 2);
    }
  }

  char DecimalSeparator() override {
    wchar_t separator[8] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) > 0 && separator[0] > 0 &&
        separator[0] < 0x80) {
      return static_cast<char>(separator[0]);
    }
    return '.';
  }

  std::string ShortDateText(TFileDate date) override {
    auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(date.time_since_epoch()).count() / 100 +
                 FileTimeUnixEpoch;
    if (ticks < 0) {
      return {};
    }
    FILETIME utc{static_cast<DWORD>(ticks & 0xFFFFFFFF),
                 static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32)};
    SYSTEMTIME utcTime{};
    SYSTEMTIME localTime{};
    if (!FileTimeToSystemTime(&utc, &utcTime) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &localTime)) {
      return {};
    }
    wchar_t text[128] = {};
    int length =
        GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &localTime, nullptr, text, 128, nullptr);
    if (length <= 1) {
      return {};
    }
    return Utf8(text, static_cast<size_t>(length - 1));
  }

  std::optional<std::string> ReadIniString(const std::string& file, const std::string& section,
                                           const std::string& key) override {
    if (file.empty() || section.empty() || key.empty() || !FileExists(file)) {
      return std::nullopt;
    }
    std::wstring wideFile = Wide(file);
    std::wstring wideSection = Wide(section);
    std::wstring wideKey = Wide(key);
    std::wstring value(256, L'\0');
    for (;;) {
      DWORD length =
          GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), IniMissingMarker, value.data(),
                                   static_cast<DWORD>(value.size()), wideFile.c_str());
      // A full buffer (size - 1) may mean a cut value: read again with room to spare.
      if (length + 1 < value.size() || value.size() >= MaxIniValueChars) {
        value.resize(length);
        break;
      }
      value.assign(value.size() * 4, L'\0');
    }
    if (value == IniMissingMarker) {
      return std::nullopt;
    }
    return Utf8(value);
  }

  void WriteIniStrings(const std::string& file, const std::vector<TIniEntry>& entries) override {
    if (file.empty()) {
      throw std::runtime_error("Cannot write a file without a name");
    }
    DWORD attributes = Attributes(file);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      throw std::runtime_error("Cannot write the file " + file + ": it is a folder");
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      throw std::runtime_error("Cannot write the file " + file + ": " + SystemErrorText(ERROR_ACCESS_DENIED));
    }
    std::wstring wideFile = Wide(file);
    TQuietErrors quiet;
    for (const TIniEntry& entry : entries) {
      if (entry.Section.empty() || entry.Key.empty()) {
        throw std::runtime_error("Cannot write the file " + file + ": a value without a section or key");
      }
      if (!WritePrivateProfileStringW(Wide(entry.Section).c_str(), Wide(entry.Key).c_str(),
                                      Wide(entry.Value).c_str(), wideFile.c_str())) {
        throw std::runtime_error("Cannot write the file " + file + ": " + SystemErrorText(GetLastError()));
      }
    }
    // The system may keep profile writes in a cache; flush so the file is complete when we return.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, wideFile.c_str());
  }

  bool LegacyKeyExists(const TLegacyKey& key) override {
    std::wstring path = LegacyPath(key);
    TRegKey opened;
    return !path.empty() && opened.Open(HKEY_CURRENT_USER, path);
  }

  bool LegacySectionExists(const TLegacyKey& key, const std::string& section) override {
    std::wstring path = LegacyPath(key);
    TRegKey opened;
    return !path.empty() && UsableSection(section) &&
           opened.Open(HKEY_CURRENT_USER, path + L"\\" + Wide(section));
  }

  // A registry ini view reads an integer from a DWORD value or from a text value holding one; any
  // other type (binary, 64-bit, multi-text) or a text that is no integer counts as absent, so a
  // damaged key gives the defaults.
  std::optional<int32_t> ReadLegacyInteger(const TLegacyKey& key, const std::string& section,
                                           const std::string& name) override {
    std::wstring path = LegacyPath(key);
    TRegKey opened;
    if (path.empty() || !UsableSection(section) ||
        !opened.Open(HKEY_CURRENT_USER, path + L"\\" + Wide(section))) {
      return std::nullopt;
    }
    std::wstring valueName = Wide(name);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(opened.Handle(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
      return std::nullopt;
    }
    if (type == REG_DWORD) {
      DWORD value = 0;
      DWORD valueSize = sizeof(value);
      if (size != sizeof(value) ||
          RegQueryValueExW(opened.Handle(), valueName.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(&value), &valueSize) != ERROR_SUCCESS ||
          type != REG_DWORD || valueSize != sizeof(value)) {
        return std::nullopt;
      }
      return static_cast<int32_t>(value);
    }
    if ((type == REG_SZ || type == REG_EXPAND_SZ) && size <= MaxIniValueChars * sizeof(wchar_t)) {
      // Room for a terminator the stored text may lack.
      std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
      DWORD textSize = size;
      if (RegQueryValueExW(opened.Handle(), valueName.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(text.data()), &textSize) != ERROR_SUCCESS ||
          (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::nullopt;
      }
      text.resize(std::min<size_t>(textSize / sizeof(wchar_t), text.size()));
      while (!text.empty() && text.back() == L'\0') {
        text.pop_back();
      }
      return ParseInteger(text);
    }
    return std::nullopt;
  }

  bool DeleteLegacyKey(const TLegacyKey& key) override {
    std::wstring path = LegacyPath(key);
    if (path.empty()) {
      return false;
    }
    // Named as a subkey, the key goes together with everything below it.
    LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
  }

  int32_t ShellOpen(const std::string& file, const std::string& parameters, const std::string& folder,
                    TShowMode showMode) override {
    if (file.empty()) {
      return ShellResult::FileNotFound;
    }
    std::wstring wideFile = Wide(file);
    std::wstring wideParameters = Wide(parameters);
    std::wstring wideFolder = Wide(folder);
    return ShellExecuteOpen(wideFile.c_str(), wideParameters.empty() ? nullptr : wideParameters.c_str(),
                            wideFolder.empty() ? nullptr : wideFolder.c_str(), static_cast<int>(showMode));
  }

  bool OpenFolder(const std::string& folder) override {
    std::wstring parameters = L"/e,\"" + Wide(folder) + L"\"";
    return ShellExecuteOpen(L"explorer.exe", parameters.c_str(), nullptr, SW_SHOWNORMAL) > 32;
  }

  bool RemoveFile(const std::string& path) override { return DeleteFileW(Wide(path).c_str()) != 0; }

  std::optional<bool> WarningBeep() override {
    BOOL on = FALSE;
    if (SystemParametersInfoW(SPI_GETBEEP, 0, &on, 0) == 0) {
      return std::nullopt;
    }
    return on != FALSE;
  }

  void SetWarningBeep(bool on) override {
    // No SPIF_UPDATEINIFILE: the change lasts for the session only.
    SystemParametersInfoW(SPI_SETBEEP, on ? TRUE : FALSE, nullptr, SPIF_SENDCHANGE);
  }

private:
  void CreateFoldersWide(const std::wstring& folder, const std::string& shownName) {
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return;
      }
      throw std::runtime_error("Cannot create the folder " + shownName + ": a file has that name");
    }
    size_t separator = folder.find_last_of(L"\\/");
    // Stop at a drive ("C:"), a root ("\") or a share ("\\server\share"), which cannot be created.
    if (separator != std::wstring::npos && separator > 0) {
      std::wstring parent = folder.substr(0, separator);
      bool isDrive = parent.size() == 2 && parent[1] == L':';
      bool isShareRoot = parent.rfind(L"\\\\", 0) == 0 && parent.find(L'\\', 2) == std::wstring::npos;
      if (!isDrive && !isShareRoot && !parent.empty() && !IsSeparator(parent.back())) {
        CreateFoldersWide(parent, shownName);
      }
    }
    if (!CreateDirectoryW(folder.c_str(), nullptr)) {
      DWORD error = GetLastError();
      if (error == ERROR_ALREADY_EXISTS &&
          (GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return;
      }
      throw std::runtime_error("Cannot create the folder " + shownName + ": " + SystemErrorText(error));
    }
  }

  // ShellExecute wants COM on the calling thread for some handlers; hosts normally have it, but a
  // thread without it gets it for the call only.
  static int32_t ShellExecuteOpen(const wchar_t* file, const wchar_t* parameters, const wchar_t* folder,
                                  int showMode) {
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    TQuietErrors quiet;
    HINSTANCE result = ShellExecuteW(GetActiveWindow(), L"open", file, parameters, folder, showMode);
    if (SUCCEEDED(com)) {
      CoUninitialize();
    }
    return static_cast<int32_t>(reinterpret_cast<INT_PTR>(result));
  }
};

} // namespace

TPlatformServices& NativePlatform() {
  static TPlatformServicesWindows platform;
  return platform;
}
