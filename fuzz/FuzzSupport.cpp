#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/mman.h>
#include <unistd.h>

TGuardedBytes::TGuardedBytes(const uint8_t* data, std::size_t size) : FSize(size) {
  const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  const std::size_t dataPages = (size + page - 1) / page;
  FMappingSize = (dataPages + 1) * page;
  FMapping = mmap(nullptr, FMappingSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (FMapping == MAP_FAILED)
    Fault("cannot map the guarded input");
  auto* base = static_cast<uint8_t*>(FMapping);
  if (mprotect(base + dataPages * page, page, PROT_NONE) != 0)
    Fault("cannot protect the guard page");
  FData = base + dataPages * page - size;
  if (size > 0)
    std::memcpy(FData, data, size);
}

TGuardedBytes::~TGuardedBytes() {
  munmap(FMapping, FMappingSize);
}

const std::string& UseFakeHome() {
  static const std::string home = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "triaxo-fuzz-home-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
      Fault("cannot make a temporary home folder");
    setenv("HOME", pattern.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (pattern + "/.config").c_str(), 1);
    unsetenv("XDG_DOCUMENTS_DIR");
    // Removed when the run ends normally; a crashed run leaves it for the post-mortem.
    static const std::string removeAtExit = pattern;
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(removeAtExit, ignored);
    });
    return pattern;
  }();
  return home;
}

std::string FakeDataFolder() {
  return UseFakeHome() + "/Documents/Ventrakis/Triaxo/";
}

void TSilentUiServices::ShowMessageBox(TUiOwner, const std::string&, const std::string&,
                                       TMessageButtons buttons, TMessageIcon, TMessageDone done) {
  ++Boxes;
  if (done)
    done(buttons == mbYesNo ? mrNo : mrOK);
}

void TSilentUiServices::ShowTextDialog(TUiOwner, const std::string&, const std::string&, bool, int32_t,
                                       const std::string& text, TTextDone done) {
  if (done)
    done(false, text);
}

void TSilentUiServices::ShowNumberDialog(TUiOwner, const std::string&, const std::string&, double, double,
                                         int32_t, double value, TNumberDone done) {
  if (done)
    done(false, value);
}

void TSilentUiServices::RunLater(int32_t, std::function<void()> action) {
  if (action)
    action();
}

TSilentUiServices& UseSilentUi() {
  static TSilentUiServices silent;
  SetUiServices(&silent);
  return silent;
}

void Fault(const std::string& what) {
  std::fprintf(stderr, "fuzz fault: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

void CheckSame(const std::vector<uint8_t>& expected, const std::vector<uint8_t>& actual, const char* what) {
  if (expected == actual)
    return;
  std::size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
    ++at;
  const auto dump = [at](const char* name, const std::vector<uint8_t>& bytes) {
    std::fprintf(stderr, "%s (%zu bytes) from %zu:", name, bytes.size(), at >= 16 ? at - 16 : 0);
    for (std::size_t i = at >= 16 ? at - 16 : 0; i < bytes.size() && i < at + 32; ++i)
      std::fprintf(stderr, "%s%02X", i == at ? " [" : " ", bytes[i]);
    std::fprintf(stderr, "\n");
  };
  std::fprintf(stderr, "differ at byte %zu\n", at);
  dump("expected", expected);
  dump("actual", actual);
  Fault(what);
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw std::runtime_error("cannot read " + path);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const uint8_t* data, std::size_t size) {
  const std::filesystem::path target(path);
  if (target.has_parent_path())
    std::filesystem::create_directories(target.parent_path());
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out)
    throw std::runtime_error("cannot write " + path);
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  WriteFileBytes(path, bytes.data(), bytes.size());
}
