// FuzzSupport: what every fuzz target shares: bytes that end at a guard page, a private home folder,
// silent message boxes, and a fault report that stops the run.
#pragma once

#include "host/UiServices.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A copy of the input whose last byte sits right before an inaccessible page, so that a loader that
// reads one byte past the data faults at once instead of reading the host's neighbouring memory.
class TGuardedBytes {
public:
  TGuardedBytes(const uint8_t* data, std::size_t size);
  ~TGuardedBytes();
  TGuardedBytes(const TGuardedBytes&) = delete;
  TGuardedBytes& operator=(const TGuardedBytes&) = delete;

  uint8_t* Data() const { return FData; }
  std::size_t Size() const { return FSize; }

private:
  void* FMapping = nullptr;
  std::size_t FMappingSize = 0;
  uint8_t* FData = nullptr;
  std::size_t FSize = 0;
};

// Points HOME and XDG_CONFIG_HOME into a fresh temporary folder for the life of the process, so the
// loaders never see or touch the real user's settings and presets. Returns the folder.
const std::string& UseFakeHome();
// The plug-in's data folder under that home (ends with a separator).
std::string FakeDataFolder();

// Message boxes answer at once and print nothing: every damaged input shows an error box, and
// writing each to the terminal would slow the search down to the speed of the terminal.
class TSilentUiServices final : public TUiServices {
public:
  int32_t Boxes = 0;
  void ShowMessageBox(TUiOwner owner, const std::string& text, const std::string& caption,
                      TMessageButtons buttons, TMessageIcon icon, TMessageDone done) override;
  void ShowTextDialog(TUiOwner owner, const std::string& caption, const std::string& prompt,
                      bool emptyAllowed, int32_t maxLength, const std::string& text, TTextDone done) override;
  void ShowNumberDialog(TUiOwner owner, const std::string& caption, const std::string& prompt, double maximum,
                        double minimum, int32_t decimals, double value, TNumberDone done) override;
  void RunLater(int32_t milliseconds, std::function<void()> action) override;
};
// Installs one process-wide silent implementation and returns it.
TSilentUiServices& UseSilentUi();

// A broken promise of the code under test: prints what and aborts, so the fuzzer keeps the input.
[[noreturn]] void Fault(const std::string& what);
inline void Check(bool condition, const char* what) {
  if (!condition)
    Fault(what);
}

// Two byte strings that must be equal: on a difference, prints where they part and the bytes around
// it, then stops like Fault.
void CheckSame(const std::vector<uint8_t>& expected, const std::vector<uint8_t>& actual, const char* what);

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteFileBytes(const std::string& path, const uint8_t* data, std::size_t size);
