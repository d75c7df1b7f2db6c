// FakeHome: a throw-away home folder for tests that touch per-user files, so the real user's stay untouched.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#if defined(_WIN32)
#include "support/DocumentsFolderWindows.h"

#include <atomic>
#else
#include <unistd.h>
#endif

// Linux: points HOME and XDG_CONFIG_HOME into a fresh temporary folder for its lifetime and forgets any
// XDG_DOCUMENTS_DIR of the environment. Windows: points the user's shell "Personal" folder into it,
// holding the machine-wide lock that keeps parallel test processes from crossing redirections.
// Everything is restored and removed afterwards. One per thread at a time.
class TFakeHome {
public:
  TFakeHome() {
#if defined(_WIN32)
    // An abandoned lock (a crashed test) is ours now, which is what we want.
    if (DocumentsLock() == nullptr || WaitForSingleObject(DocumentsLock(), INFINITE) == WAIT_FAILED) {
      throw std::runtime_error("cannot take the documents folder lock");
    }
    static std::atomic<unsigned> counter{0};
    FRoot =
        (std::filesystem::temp_directory_path() / ("triaxo-home-" + std::to_string(GetCurrentProcessId()) +
                                                   "-" + std::to_string(counter.fetch_add(1))))
            .string();
    // A blank in the name, as in the folder older Windows versions use.
    FDocuments = FRoot + "\\My Documents";
    std::filesystem::create_directories(FDocuments);
    if (!TestDocumentsFolder::Redirect(std::filesystem::path(FDocuments).wstring(), &FOldPersonal)) {
      ReleaseMutex(DocumentsLock());
      throw std::runtime_error("cannot open the shell folder settings");
    }
#else
    std::string pattern = (std::filesystem::temp_directory_path() / "triaxo-home-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("cannot create a temporary home folder");
    }
    FRoot = pattern;
    FDocuments = FRoot + "/Documents";
    Remember("HOME");
    Remember("XDG_CONFIG_HOME");
    Remember("XDG_DOCUMENTS_DIR");
    setenv("HOME", FRoot.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (FRoot + "/.config").c_str(), 1);
    unsetenv("XDG_DOCUMENTS_DIR");
#endif
  }

  ~TFakeHome() {
#if defined(_WIN32)
    TestDocumentsFolder::Restore(FOldPersonal);
#else
    for (const auto& [name, value] : FSaved) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
#endif
    std::error_code ignored;
    // Tests may leave read-only folders behind; open them up so the tree can go.
    for (auto it = std::filesystem::recursive_directory_iterator(FRoot, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(FRoot, ignored);
#if defined(_WIN32)
    ReleaseMutex(DocumentsLock());
#endif
  }

  TFakeHome(const TFakeHome&) = delete;
  TFakeHome& operator=(const TFakeHome&) = delete;

  const std::string& Root() const {
    return FRoot;
  }
  // The user's documents folder, without a trailing separator.
  const std::string& Documents() const {
    return FDocuments;
  }
  // Where the plug-in keeps its presets and settings under this home.
  std::string DataFolder() const {
    return Documents() + Separator + "Ventrakis" + Separator + "Triaxo" + Separator;
  }
  std::string PresetsFolder() const {
    return DataFolder() + "Presets" + Separator;
  }

#if defined(_WIN32)
  // Points the shell's documents folder elsewhere (empty: no folder) until the home goes.
  bool RedirectDocuments(const std::string& folder) {
    return TestDocumentsFolder::Redirect(
        std::filesystem::path(std::u8string(folder.begin(), folder.end())).wstring(), nullptr);
  }
#endif

  static void WriteFile(const std::string& path, const std::string& content) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << content;
  }

  static std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
      return std::nullopt;
    }
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
  }

private:
#if defined(_WIN32)
  static constexpr const char* Separator = "\\";
  TestDocumentsFolder::TSaved FOldPersonal;

  // Re-entrant per thread; one for the whole process.
  static HANDLE DocumentsLock() {
    static HANDLE lock = CreateMutexW(nullptr, FALSE, TestDocumentsFolder::LockName);
    return lock;
  }
#else
  static constexpr const char* Separator = "/";
  std::vector<std::pair<std::string, std::optional<std::string>>> FSaved;

  void Remember(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    FSaved.emplace_back(name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
  }
#endif
  std::string FRoot;
  std::string FDocuments;
};

#if !defined(_WIN32)
// Root bypasses file permissions, so tests of unreadable or read-only files cannot run as root.
inline bool RunningAsRoot() {
  return geteuid() == 0;
}
#endif
