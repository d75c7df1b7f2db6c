// Triaxo.dll as Windows hosts and Winamp meet it: the Winamp DSP entry and the one-time registry import.
#include "plugin/WinampDspWindows.h"
#include "support/FakeHome.h"
#include "support/TriaxoSession.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

using namespace vst;

namespace {

using TGetHeader = TWinampDspHeader*(__cdecl*)(HWND);

TGetHeader WinampEntry() {
  return reinterpret_cast<TGetHeader>(TriaxoLibrary().Symbol("winampDSPGetHeader2"));
}

TWinampDspModule* WinampModule() {
  TGetHeader entry = WinampEntry();
  if (entry == nullptr)
    return nullptr;
  TWinampDspHeader* header = entry(nullptr);
  return header != nullptr ? header->GetModule(0) : nullptr;
}

class WinampDsp : public ::testing::Test {
protected:
  TFakeHome Home;
  TWinampDspModule* Module = WinampModule();

  void SetUp() override { ASSERT_NE(Module, nullptr); }
  void TearDown() override {
    if (Module != nullptr && Module->UserData != nullptr)
      Module->Quit(Module);
  }
};

TEST_F(WinampDsp, HeaderAndModuleFollowThePublishedLayout) {
  TGetHeader entry = WinampEntry();
  ASSERT_NE(entry, nullptr);
  TWinampDspHeader* header = entry(nullptr);
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->Version, 0x20);
  ASSERT_NE(header->Description, nullptr);
  EXPECT_NE(std::string(header->Description).find("Triaxo"), std::string::npos);
  EXPECT_EQ(header->GetModule(0), Module);
  EXPECT_EQ(header->GetModule(1), nullptr);
  EXPECT_EQ(header->GetModule(-1), nullptr);

  ASSERT_NE(Module->Description, nullptr);
  EXPECT_EQ(std::string(Module->Description), "Triaxo");
  EXPECT_NE(Module->Config, nullptr);
  EXPECT_NE(Module->Init, nullptr);
  EXPECT_NE(Module->ModifySamples, nullptr);
  EXPECT_NE(Module->Quit, nullptr);
  EXPECT_EQ(Module->UserData, nullptr);
  // Winamp reads the records by offset: the module's user data follows seven pointers.
  EXPECT_EQ(offsetof(TWinampDspModule, UserData), 7 * sizeof(void*));
  EXPECT_EQ(offsetof(TWinampDspHeader, GetModule), 2 * sizeof(void*));
}

TEST_F(WinampDsp, ProcessingRunsTheInstanceAndLeavesWinampsSamplesAlone) {
  ASSERT_EQ(Module->Init(Module), 0);
  ASSERT_NE(Module->UserData, nullptr);

  // More frames than one processing block, 16-bit stereo with a pattern that any write would break.
  const int frames = 5000;
  std::vector<short> samples(frames * 2);
  for (std::size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<short>(i * 37 - 12000);
  const std::vector<short> original = samples;
  EXPECT_EQ(Module->ModifySamples(Module, samples.data(), frames, 16, 2, 44100), frames);
  EXPECT_EQ(samples, original);
  // A new sample rate and another format change nothing either.
  EXPECT_EQ(Module->ModifySamples(Module, samples.data(), 576, 16, 2, 48000), 576);
  EXPECT_EQ(Module->ModifySamples(Module, samples.data(), 1, 8, 1, 48000), 1);
  EXPECT_EQ(Module->ModifySamples(Module, samples.data(), 0, 16, 2, 48000), 0);
  EXPECT_EQ(samples, original);

  const auto before = std::chrono::steady_clock::now();
  Module->Quit(Module);
  EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(4));
  EXPECT_EQ(Module->UserData, nullptr);
}

TEST_F(WinampDsp, ProcessingWithoutAnInstancePassesTheSamplesOn) {
  std::vector<short> samples(64, 1234);
  EXPECT_EQ(Module->ModifySamples(Module, samples.data(), 32, 16, 2, 44100), 32);
  EXPECT_EQ(samples, std::vector<short>(64, 1234));
  Module->Quit(Module); // nothing to free
  EXPECT_EQ(Module->UserData, nullptr);
}

TEST_F(WinampDsp, InitAgainReplacesTheInstance) {
  ASSERT_EQ(Module->Init(Module), 0);
  ASSERT_EQ(Module->Init(Module), 0);
  EXPECT_NE(Module->UserData, nullptr);
  std::vector<short> samples(256, 7);
  EXPECT_EQ(Module->ModifySamples(Module, samples.data(), 128, 16, 2, 44100), 128);
  Module->Quit(Module);
  EXPECT_EQ(Module->UserData, nullptr);
}

TEST_F(WinampDsp, ConfigShowsAnEmptyWindowOverWinampUntilClosed) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW parentClass{};
  parentClass.lpfnWndProc = DefWindowProcW;
  parentClass.hInstance = instance;
  parentClass.lpszClassName = L"TriaxoTestWinampParent";
  RegisterClassW(&parentClass);
  HWND parent = CreateWindowExW(0, L"TriaxoTestWinampParent", L"Winamp", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                nullptr, nullptr, instance, nullptr);
  if (parent == nullptr)
    GTEST_SKIP() << "no window system for this process";
  Module->ParentWindow = parent;
  Module->DllInstance = nullptr;

  // Winamp's thread runs Config's own message loop; another thread closes the window once it shows.
  std::atomic<bool> stop{false};
  std::atomic<bool> seen{false};
  std::atomic<bool> parentDisabled{false};
  std::atomic<bool> ownedByParent{false};
  std::atomic<bool> empty{false};
  const DWORD winampThread = GetCurrentThreadId();
  std::thread closer([&] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!stop) {
      if (std::chrono::steady_clock::now() > deadline) {
        // Never found: end Config's loop the way a closing Winamp would, rather than hang.
        PostThreadMessageW(winampThread, WM_QUIT, 0, 0);
        return;
      }
      HWND window = FindWindowW(nullptr, L"Triaxo");
      if (window != nullptr && IsWindowVisible(window)) {
        seen = true;
        ownedByParent = GetWindow(window, GW_OWNER) == parent;
        parentDisabled = !IsWindowEnabled(parent);
        empty = GetWindow(window, GW_CHILD) == nullptr;
        PostMessageW(window, WM_CLOSE, 0, 0);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  Module->Config(Module);
  stop = true;
  closer.join();
  MSG leftover{};
  while (PeekMessageW(&leftover, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  Module->ParentWindow = nullptr;
  if (!seen) {
    DestroyWindow(parent);
    GTEST_SKIP() << "the configuration window could not be shown here";
  }
  EXPECT_TRUE(ownedByParent);
  EXPECT_TRUE(empty) << "nothing to configure";
  EXPECT_TRUE(parentDisabled) << "modal over Winamp";
  EXPECT_TRUE(IsWindowEnabled(parent)) << "Winamp's window works again afterwards";
  EXPECT_EQ(FindWindowW(nullptr, L"Triaxo"), nullptr);
  DestroyWindow(parent);
}

// The registry key of older versions: Style and LowestOctave move into Settings.ini in the documents
// folder when an instance is created, and the key is gone afterwards.
TEST(PluginWindowsSettings, FirstInstanceImportsTheOldRegistrySettings) {
  TFakeHome home;
  const wchar_t* keyPath = L"Software\\Ventrakis\\Triaxo\\Config";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const DWORD style = 2;
  const DWORD octave = static_cast<DWORD>(-1);
  RegSetValueExW(key, L"Style", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&style), sizeof(style));
  RegSetValueExW(key, L"LowestOctave", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&octave), sizeof(octave));
  RegCloseKey(key);

  TTriaxoSession host;
  ASSERT_NO_THROW(host.Open());
  HKEY gone = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Ventrakis\\Triaxo", 0, KEY_READ, &gone),
            ERROR_SUCCESS);
  HKEY vendor = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Ventrakis", 0, KEY_READ, &vendor), ERROR_SUCCESS);
  if (vendor != nullptr)
    RegCloseKey(vendor);

  std::ifstream file(std::filesystem::path(home.DataFolder()) / "Settings.ini", std::ios::binary);
  ASSERT_TRUE(file.is_open());
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_NE(text.str().find("Style=2"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("LowestOctave=-1"), std::string::npos) << text.str();
  host.Close();
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Ventrakis\\Triaxo");
}

// Documents redirected to a drive letter with nothing behind it (an unplugged disk): the plug-in
// starts with its defaults and takes and hands back its state without a system dialog or a crash.
TEST(PluginWindowsSettings, DocumentsOnAnUnreachableDriveStillGiveAWorkingInstance) {
  TFakeHome home;
  char unused = 0;
  const DWORD drives = GetLogicalDrives();
  for (char letter = 'Q'; letter <= 'Y' && unused == 0; ++letter)
    if ((drives & (1u << (letter - 'A'))) == 0)
      unused = letter;
  ASSERT_NE(unused, 0);
  const std::wstring documents = std::wstring(1, static_cast<wchar_t>(unused)) + L":\\Documents";
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER,
                          L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", 0,
                          KEY_WRITE, &key),
            ERROR_SUCCESS);
  RegSetValueExW(key, L"Personal", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(documents.c_str()),
                 static_cast<DWORD>((documents.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);

  TTriaxoSession host;
  ::testing::internal::CaptureStderr();
  ASSERT_NO_THROW(host.Open());
  host.SetParameter(0, 0.25f);
  const std::vector<uint8_t> chunk = host.GetChunk();
  ASSERT_FALSE(chunk.empty());
  host.SetParameter(0, 0.0f);
  EXPECT_EQ(host.SetChunk(chunk), static_cast<VstIntPtr>(chunk.size()));
  EXPECT_FLOAT_EQ(host.GetParameter(0), 0.25f);
  host.Process(64, {{0x90, 60, 100, 0}});
  host.Close();
  ::testing::internal::GetCapturedStderr();
}

} // namespace
