// PlatformServicesLinux: the platform services on Linux (XDG folders, SimpleIni files, xdg-open).
#include "host/PlatformServices.h"

// Debian ships SimpleIni with its template bodies behind SI_IMPLEMENTATION; compiling them here keeps
// the plug-in free of the shared library and its ICU dependency.
#define SI_IMPLEMENTATION
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace {

// A settings file is a few lines; anything larger is not one of ours and is never rewritten.
constexpr off_t MaxIniFileBytes = 1024 * 1024;
constexpr const char* DefaultSearchPath = "/usr/local/bin:/usr/bin:/bin";
constexpr const char* Opener = "xdg-open";

std::string ErrnoText(int error) {
  char buffer[256];
  // The GNU variant returns the text, which may or may not live in the buffer.
  return strerror_r(error, buffer, sizeof(buffer));
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    return home;
  }
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  return {};
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') {
    path.pop_back();
  }
  return path;
}

// One XDG_DOCUMENTS_DIR line of user-dirs.dirs, read as the shell would source it: the value is
// "$HOME/..." or an absolute path in double quotes, with backslash escapes. Other forms are ignored,
// as xdg-user-dirs and GLib do.
std::optional<std::string> ParseUserDirLine(const std::string& line, const std::string& name,
                                            const std::string& home) {
  size_t pos = line.find_first_not_of(" \t");
  if (pos == std::string::npos || line.compare(pos, name.size(), name) != 0) {
    return std::nullopt;
  }
  pos = line.find_first_not_of(" \t", pos + name.size());
  if (pos == std::string::npos || line[pos] != '=') {
    return std::nullopt;
  }
  pos = line.find_first_not_of(" \t", pos + 1);
  if (pos == std::string::npos || line[pos] != '"') {
    return std::nullopt;
  }
  ++pos;
  std::string value;
  if (line.compare(pos, 5, "$HOME") == 0) {
    pos += 5;
    if (pos < line.size() && line[pos] != '/' && line[pos] != '"') {
      return std::nullopt; // "$HOMEX" is another variable
    }
    if (home.empty()) {
      return std::nullopt;
    }
    value = home;
  } else if (pos >= line.size() || line[pos] != '/') {
    return std::nullopt;
  }
  for (; pos < line.size() && line[pos] != '"'; ++pos) {
    if (line[pos] == '\\' && pos + 1 < line.size()) {
      ++pos;
    }
    value += line[pos];
  }
  if (pos >= line.size()) {
    return std::nullopt; // no closing quote
  }
  return WithoutTrailingSlash(value);
}

std::optional<std::string> ReadWholeFile(const std::string& path, off_t maxBytes, int& error) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return std::nullopt;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    close(fd);
    return std::nullopt;
  }
  if (info.st_size > maxBytes) {
    error = EFBIG;
    close(fd);
    return std::nullopt;
  }
  std::string content;
  char buffer[8192];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof(buffer));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      error = errno;
      close(fd);
      return std::nullopt;
    }
    if (got == 0) {
      break;
    }
    content.append(buffer, static_cast<size_t>(got));
    if (static_cast<off_t>(content.size()) > maxBytes) {
      error = EFBIG; // grew while we read it
      close(fd);
      return std::nullopt;
    }
  }
  close(fd);
  return content;
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t put = write(fd, data.data() + done, data.size() - done);
    if (put < 0 && errno == EINTR) {
      continue;
    }
    if (put <= 0) {
      return false;
    }
    done += static_cast<size_t>(put);
  }
  return true;
}

// The file that a write must really replace: the target of a symbolic link, so that a linked
// settings file stays linked.
std::string ResolveLinks(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    if (char* real = realpath(path.c_str(), nullptr); real != nullptr) {
      std::string resolved = real;
      std::free(real);
      return resolved;
    }
  }
  return path;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FindOnSearchPath(const std::string& program) {
  const char* pathVariable = std::getenv("PATH");
  std::string searchPath =
      pathVariable != nullptr && pathVariable[0] != '\0' ? pathVariable : DefaultSearchPath;
  size_t start = 0;
  while (start <= searchPath.size()) {
    size_t end = searchPath.find(':', start);
    if (end == std::string::npos) {
      end = searchPath.size();
    }
    std::string folder = searchPath.substr(start, end - start);
    std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
    struct stat info {};
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return {};
}

// Starts a program detached from the host: it gets its own session, its own stdin on /dev/null and
// none of the host's open files, and is reparented to init by a short-lived middle process, so the
// host never has to reap it and never waits for it. Only async-signal-safe calls run between fork
// and exec, since the host has other threads. Answers 0 once the program runs, else an errno value.
int SpawnDetached(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& workFolder) {
  std::string path = FindOnSearchPath(program);
  if (path.empty()) {
    return ENOENT;
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  char** envp = environ;
  const char* workDir = workFolder.empty() ? nullptr : workFolder.c_str();
  rlimit files{};
  int maxFd = getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY
                  ? static_cast<int>(std::min<rlim_t>(files.rlim_cur, 65536))
                  : 65536;

  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    return errno;
  }
  pid_t middle = fork();
  if (middle < 0) {
    int error = errno;
    close(report[0]);
    close(report[1]);
    return error;
  }
  if (middle == 0) {
    pid_t child = fork();
    if (child < 0) {
      int error = errno;
      (void)!write(report[1], &error, sizeof(error));
      _exit(1);
    }
    if (child > 0) {
      _exit(0);
    }
    setsid();
    sigset_t all;
    sigemptyset(&all);
    sigprocmask(SIG_SETMASK, &all, nullptr);
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &byDefault, nullptr);
    sigaction(SIGCHLD, &byDefault, nullptr);
    if (int null = open("/dev/null", O_RDONLY); null >= 0 && null != STDIN_FILENO) {
      dup2(null, STDIN_FILENO);
      close(null);
    }
    // The report pipe is close-on-exec already, so marking every descriptor is right for it too.
#ifdef CLOSE_RANGE_CLOEXEC
    if (close_range(STDERR_FILENO + 1, ~0U, CLOSE_RANGE_CLOEXEC) != 0)
#endif
    {
      for (int fd = STDERR_FILENO + 1; fd < maxFd; ++fd) {
        fcntl(fd, F_SETFD, FD_CLOEXEC);
      }
    }
    if (workDir != nullptr) {
      (void)!chdir(workDir);
    }
    execve(path.c_str(), argv.data(), envp);
    int error = errno;
    (void)!write(report[1], &error, sizeof(error));
    _exit(127);
  }
  close(report[1]);
  while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t got;
  do {
    got = read(report[0], &error, sizeof(error));
  } while (got < 0 && errno == EINTR);
  close(report[0]);
  return got == static_cast<ssize_t>(sizeof(error)) ? error : 0;
}

bool LooksLikeUrl(const std::string& text) {
  return text.find("://") != std::string::npos || text.rfind("mailto:", 0) == 0;
}

// Marks this library for dladdr.
void ModuleAnchor() {}

const std::locale& UserLocale() {
  static const std::locale locale = [] {
    try {
      return std::locale("");
    } catch (const std::exception&) {
      return std::locale::classic(); // the environment names a locale this system lacks
    }
  }();
  return locale;
}

class TPlatformServicesLinux final : public TPlatformServices {
public:
  char PathDelimiter() const override { return '/'; }
  bool IsPathDelimiter(char c) const override { return c == '/'; }
  bool FileNamesIgnoreCase() const override { return false; }

  // The rules of `xdg-user-dir DOCUMENTS`, except that a missing entry means ~/Documents rather
  // than the home folder itself, so our files never land loose in the user's home.
  std::string DocumentsFolder() override {
    std::string home = WithoutTrailingSlash(HomeFolder());
    std::string configHome;
    if (const char* value = std::getenv("XDG_CONFIG_HOME"); value != nullptr && value[0] == '/') {
      configHome = WithoutTrailingSlash(value);
    } else if (!home.empty()) {
      configHome = home + "/.config";
    }
    std::optional<std::string> documents;
    int error = 0;
    if (!configHome.empty()) {
      if (auto content = ReadWholeFile(configHome + "/user-dirs.dirs", MaxIniFileBytes, error)) {
        std::istringstream lines(*content);
        std::string line;
        while (std::getline(lines, line)) {
          // Sourced by a shell: the last assignment wins.
          if (auto value = ParseUserDirLine(line, "XDG_DOCUMENTS_DIR", home)) {
            documents = value;
          }
        }
      }
    }
    if (!documents) {
      if (const char* value = std::getenv("XDG_DOCUMENTS_DIR"); value != nullptr && value[0] == '/') {
        documents = WithoutTrailingSlash(value);
      }
    }
    if (!documents && !home.empty()) {
      documents = home + "/Documents";
    }
    return documents.value_or(std::string());
  }

  bool VolumeAnswers(const std::string& root) override { return FolderExists(root); }

  bool FileExists(const std::string& path) override {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
  }

  bool FolderExists(const std::string& path) override {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }

  void CreateFolders(const std::string& path) override {
    std::string folder = WithoutTrailingSlash(path);
    if (folder.empty()) {
      throw std::runtime_error("Cannot create a folder without a name");
    }
    if (FolderExists(folder)) {
      return;
    }
    size_t slash = folder.rfind('/');
    if (slash != std::string::npos && slash > 0) {
      CreateFolders(folder.substr(0, slash));
    }
    if (mkdir(folder.c_str(), 0777) != 0) {
      int error = errno;
      if (error == EEXIST && FolderExists(folder)) {
        return; // made by someone else meanwhile
      }
      throw std::runtime_error(
          "Cannot create the folder " + folder + ": " +
          (error == EEXIST ? std::string("a file of that name exists") : ErrnoText(error)));
    }
  }

  std::optional<std::vector<TFolderEntry>> ListFolder(const std::string& folder) override {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
      return std::nullopt;
    }
    std::vector<TFolderEntry> entries;
    std::string base = folder.empty() ? std::string() : WithoutTrailingSlash(folder) + "/";
    bool complete = true;
    for (;;) {
      // readdir reports its errors only through errno, which the checks below may change.
      errno = 0;
      dirent* item = readdir(dir);
      if (item == nullptr) {
        complete = errno == 0;
        break;
      }
      std::string name = item->d_name;
      if (name == "." || name == "..") {
        continue;
      }
      TFolderEntry entry;
      entry.IsHidden = name[0] == '.';
      if (item->d_type == DT_DIR) {
        entry.IsDirectory = true;
      } else if (item->d_type == DT_LNK || item->d_type == DT_UNKNOWN) {
        entry.IsDirectory = FolderExists(base + name);
      }
      entry.Name = std::move(name);
      entries.push_back(std::move(entry));
    }
    closedir(dir);
    if (!complete) {
      return std::nullopt;
    }
    return entries;
  }

  TFileDate FileDate(const std::string& path) override {
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0) {
      return {};
    }
    auto sinceEpoch =
        std::chrono::seconds(info.st_mtim.tv_sec) + std::chrono::nanoseconds(info.st_mtim.tv_nsec);
    return TFileDate(std::chrono::duration_cast<TFileDate::duration>(sinceEpoch));
  }

  std::string ModuleFileName() override {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ModuleAnchor), &info) == 0 || info.dli_fname == nullptr) {
      return {};
    }
    if (char* real = realpath(info.dli_fname, nullptr); real != nullptr) {
      std::string resolved = real;
      std::free(real);
      return resolved;
    }
    return info.dli_fname;
  }

  char DecimalSeparator() override {
    return std::use_facet<std::numpunct<char>>(UserLocale()).decimal_point();
  }

  std::string ShortDateText(TFileDate date) override {
    std::time_t seconds = std::chrono::system_clock::to_time_t(date);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) {
      return {};
    }
    std::ostringstream text;
    text.imbue(UserLocale());
    text << std::put_time(&local, "%x");
    return text.str();
  }

  std::optional<std::string> ReadIniString(const std::string& file, const std::string& section,
                                           const std::string& key) override {
    int error = 0;
    std::optional<std::string> content = ReadWholeFile(file, MaxIniFileBytes, error);
    if (!content) {
      return std::nullopt;
    }
    CSimpleIniA ini(true, false, false);
    if (ini.LoadData(*content) < 0) {
      return std::nullopt;
    }
    const char* value = ini.GetValue(section.c_str(), key.c_str(), nullptr);
    if (value == nullptr) {
      return std::nullopt;
    }
    return std::string(value);
  }

  void WriteIniStrings(const std::string& file, const std::vector<TIniEntry>& entries) override {
    std::string target = ResolveLinks(file);
    struct stat existing {};
    bool exists = stat(target.c_str(), &existing) == 0;
    std::string content;
    if (exists) {
      if (S_ISDIR(existing.st_mode)) {
        throw std::runtime_error("Cannot write the file " + file + ": it is a folder");
      }
      int error = 0;
      std::optional<std::string> read = ReadWholeFile(target, MaxIniFileBytes, error);
      if (!read && error == EFBIG) {
        throw std::runtime_error("Cannot write the file " + file + ": it is too large for a settings file");
      }
      if (!read) {
        throw std::runtime_error("Cannot read the file " + file + ": " + ErrnoText(error));
      }
      // SimpleIni stops at a zero byte; rewriting would drop everything after it.
      if (read->find('\0') != std::string::npos) {
        throw std::runtime_error("Cannot write the file " + file + ": it is not a text file");
      }
      if (access(target.c_str(), W_OK) != 0) {
        throw std::runtime_error("Cannot write the file " + file + ": " + ErrnoText(errno));
      }
      content = std::move(*read);
    }
    bool hadSignature = content.compare(0, 3, SI_UTF8_SIGNATURE) == 0;
    CSimpleIniA ini(true, false, false);
    ini.SetSpaces(false);
    if (ini.LoadData(content) < 0) {
      throw std::runtime_error("Cannot read the file " + file + ": it is not an ini file");
    }
    for (const TIniEntry& entry : entries) {
      if (ini.SetValue(entry.Section.c_str(), entry.Key.c_str(), entry.Value.c_str()) < 0) {
        throw std::runtime_error("Cannot write the file " + file + ": out of memory");
      }
    }
    std::string output;
    if (ini.Save(output, hadSignature) < 0) {
      throw std::runtime_error("Cannot write the file " + file + ": out of memory");
    }
    ReplaceFile(file, target, output, exists ? &existing : nullptr);
  }

  bool LegacyKeyExists(const TLegacyKey&) override { return false; }
  bool LegacySectionExists(const TLegacyKey&, const std::string&) override { return false; }
  std::optional<int32_t> ReadLegacyInteger(const TLegacyKey&, const std::string&,
                                           const std::string&) override {
    return std::nullopt;
  }
  bool DeleteLegacyKey(const TLegacyKey&) override { return true; }

  // The parameters of a Windows shell open have no xdg-open counterpart and are not passed on.
  int32_t ShellOpen(const std::string& file, const std::string&, const std::string& folder,
                    TShowMode) override {
    if (file.empty()) {
      return ShellResult::FileNotFound;
    }
    if (!LooksLikeUrl(file)) {
      struct stat info {};
      if (stat(file.c_str(), &info) != 0) {
        return errno == EACCES ? ShellResult::AccessDenied : ShellResult::FileNotFound;
      }
    }
    switch (SpawnDetached(Opener, {file}, FolderExists(folder) ? folder : std::string())) {
    case 0:
      return ShellResult::Success;
    case ENOENT:
      return ShellResult::NoAssociation;
    case EACCES:
    case EPERM:
      return ShellResult::AccessDenied;
    default:
      return ShellResult::OutOfResources;
    }
  }

  bool OpenFolder(const std::string& folder) override {
    return FolderExists(folder) && SpawnDetached(Opener, {folder}, std::string()) == 0;
  }

private:
  // Writes beside the target and renames over it, so a full disk or a crash never leaves half a
  // file: the old content stays until the new one is complete.
  static void ReplaceFile(const std::string& shownName, const std::string& target, const std::string& content,
                          const struct stat* existing) {
    static std::atomic<unsigned> counter{0};
    std::string temporary = FolderOf(target) + "/." + target.substr(target.rfind('/') + 1) + ".tmp" +
                            std::to_string(getpid()) + "-" +
                            std::to_string(counter.fetch_add(1, std::memory_order_relaxed));
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      throw std::runtime_error("Cannot write the file " + shownName + ": " + ErrnoText(errno));
    }
    bool written = WriteAll(fd, content);
    int error = errno;
    if (written && existing != nullptr) {
      (void)fchmod(fd, existing->st_mode & 07777);
    }
    if (written && fsync(fd) != 0) {
      written = false;
      error = errno;
    }
    if (close(fd) != 0 && written) {
      written = false;
      error = errno;
    }
    if (written && rename(temporary.c_str(), target.c_str()) != 0) {
      written = false;
      error = errno;
    }
    if (!written) {
      unlink(temporary.c_str());
      throw std::runtime_error("Cannot write the file " + shownName + ": " + ErrnoText(error));
    }
  }
};

} // namespace

TPlatformServices& NativePlatform() {
  static TPlatformServicesLinux platform;
  return platform;
}
