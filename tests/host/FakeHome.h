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

#include <unistd.h>

// Points HOME and XDG_CONFIG_HOME into a fresh temporary folder for its lifetime and forgets any
// XDG_DOCUMENTS_DIR of the environment; everything is restored and removed afterwards.
class TFakeHome {
public:
  TFakeHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "triaxo-home-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("cannot create a temporary home folder");
    }
    FRoot = pattern;
    Remember("HOME");
    Remember("XDG_CONFIG_HOME");
    Remember("XDG_DOCUMENTS_DIR");
    setenv("HOME", FRoot.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (FRoot + "/.config").c_str(), 1);
    unsetenv("XDG_DOCUMENTS_DIR");
  }

  ~TFakeHome() {
    for (const auto& [name, value] : FSaved) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
    std::error_code ignored;
    // Tests may leave read-only folders behind; open them up so the tree can go.
    for (auto it = std::filesystem::recursive_directory_iterator(FRoot, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(FRoot, ignored);
  }

  TFakeHome(const TFakeHome&) = delete;
  TFakeHome& operator=(const TFakeHome&) = delete;

  const std::string& Root() const { return FRoot; }
  std::string Documents() const { return FRoot + "/Documents"; }
  std::string DataFolder() const { return Documents() + "/Ventrakis/Triaxo/"; }

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
  std::string FRoot;
  std::vector<std::pair<std::string, std::optional<std::string>>> FSaved;

  void Remember(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    FSaved.emplace_back(name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
  }
};

// Root bypasses file permissions, so tests of unreadable or read-only files cannot run as root.
inline bool RunningAsRoot() {
  return geteuid() == 0;
}
