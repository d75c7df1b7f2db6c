// PlatformServices: the operating-system services the host shell needs, behind one small interface.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Last-write time of a file; the zero time point (the clock's epoch) means "no such file".
using TFileDate = std::chrono::system_clock::time_point;

// One value of an ini file. Sections and keys compare without regard to ASCII case, as Windows does.
struct TIniEntry {
  std::string Section;
  std::string Key;
  std::string Value;
};

// One directory entry as find files needs it.
struct TFolderEntry {
  std::string Name;
  bool IsDirectory = false;
  // Windows: the hidden attribute; Linux: a name starting with ".".
  bool IsHidden = false;
};

// The old per-user settings location that a first start imports once. On Windows it is the registry
// key HKEY_CURRENT_USER\Software\<Vendor>\<Product>, read like an ini file: a section is a subkey,
// a key is a value. Other platforms never had one.
struct TLegacyKey {
  std::string Vendor;
  std::string Product;
};

// Results of ShellOpen follow the shell's convention: above 32 is success.
namespace ShellResult {
constexpr int32_t OutOfResources = 0;
constexpr int32_t FileNotFound = 2;
constexpr int32_t PathNotFound = 3;
constexpr int32_t AccessDenied = 5;
constexpr int32_t NoAssociation = 31;
constexpr int32_t Success = 42;
} // namespace ShellResult

// How a shell-opened document's window appears (the Win32 show commands; Linux ignores it).
enum TShowMode : int32_t { smHide = 0, smShowNormal = 1, smShowMinimized = 2, smShowMaximized = 3 };

// All paths are UTF-8 text. User-interface thread only; nothing here is for the audio thread.
// Operations that can fail for reasons the user must hear about throw std::runtime_error with a
// readable text; queries answer "absent" instead.
class TPlatformServices {
public:
  virtual ~TPlatformServices() = default;

  // Paths.
  // The separator the platform writes between folders ("/" or "\").
  virtual char PathDelimiter() const = 0;
  // True for every character the platform accepts as a separator (Windows also takes "/").
  virtual bool IsPathDelimiter(char c) const = 0;
  // Whether two file names that differ only in letter case name the same file.
  virtual bool FileNamesIgnoreCase() const = 0;
  // The user's documents folder without a trailing separator; empty when it cannot be determined.
  virtual std::string DocumentsFolder() = 0;

  // Files and folders.
  // Whether the volume with this root ("D:\") answers, without the system asking the user to insert
  // a disk. Platforms without drive letters answer whether the folder exists.
  virtual bool VolumeAnswers(const std::string& root) = 0;
  // True for an existing entry that is not a folder (links are followed).
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  // Creates the folder and every missing parent. Throws std::runtime_error naming the folder.
  virtual void CreateFolders(const std::string& path) = 0;
  // The entries of a folder ("." and ".." left out), in no particular order; nullopt when the folder
  // cannot be read.
  virtual std::optional<std::vector<TFolderEntry>> ListFolder(const std::string& folder) = 0;
  virtual TFileDate FileDate(const std::string& path) = 0;

  // The library this code is linked into (the plug-in's own file), as an absolute path; empty when
  // the system cannot tell.
  virtual std::string ModuleFileName() = 0;

  // The user's number and date conventions.
  virtual char DecimalSeparator() = 0;
  virtual std::string ShortDateText(TFileDate date) = 0;

  // Ini files. Reading answers nullopt for a missing or unreadable file, section or key. Writing
  // sets every entry in one update of the file and keeps all its other content; it throws
  // std::runtime_error when the file cannot be read back, written or replaced.
  virtual std::optional<std::string> ReadIniString(const std::string& file, const std::string& section,
                                                   const std::string& key) = 0;
  virtual void WriteIniStrings(const std::string& file, const std::vector<TIniEntry>& entries) = 0;

  // The legacy settings store (see TLegacyKey).
  virtual bool LegacyKeyExists(const TLegacyKey& key) = 0;
  virtual bool LegacySectionExists(const TLegacyKey& key, const std::string& section) = 0;
  // nullopt when the value is absent or not an integer.
  virtual std::optional<int32_t> ReadLegacyInteger(const TLegacyKey& key, const std::string& section,
                                                   const std::string& name) = 0;
  // Deletes the key with everything below it; the vendor key stays. False when that failed.
  virtual bool DeleteLegacyKey(const TLegacyKey& key) = 0;

  // Shell. Neither call waits for the started program.
  // Asks the shell to open the document with its associated program; a ShellResult value.
  virtual int32_t ShellOpen(const std::string& file, const std::string& parameters, const std::string& folder,
                            TShowMode showMode) = 0;
  // Shows the folder in the file manager; true when the request was accepted.
  virtual bool OpenFolder(const std::string& folder) = 0;

  // Deletes a file; false when it could not be deleted (absent, in use, no right).
  virtual bool RemoveFile(const std::string& path);

  // The system's warning-beep setting (Windows: SPI_GETBEEP); nullopt where the platform has none.
  virtual std::optional<bool> WarningBeep() { return std::nullopt; }
  // Changes it for the session only (the user's profile is not written, so a crash cannot leave the
  // user's choice changed for good). Platforms without the setting ignore it.
  virtual void SetWarningBeep(bool /*on*/) {}
};

// The implementation for the platform being built. Lives as long as the process.
TPlatformServices& NativePlatform();

// The platform services in use: the native ones unless a test or tool installed its own. The caller
// keeps an installed object alive until it installs nullptr (back to the native services).
TPlatformServices& Platform();
void SetPlatform(TPlatformServices* platform);
