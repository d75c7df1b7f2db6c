// Tests of the Windows platform services: shell folders, ini files, the legacy registry import, volumes.
#include "host/DelegatingPlatform.h"
#include "host/PlatformServices.h"
#include "host/RecordingUi.h"
#include "host/SettingsStore.h"
#include "host/ZelCommon.h"
#include "support/FakeHome.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

constexpr const char* Vendor = "Ventrakis";

std::wstring Wide(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end())).wstring();
}

std::string ReadText(const std::string& path) {
  std::ifstream in(std::filesystem::path(Wide(path)), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(std::filesystem::path(Wide(path)), std::ios::binary | std::ios::trunc);
  out << text;
}

// A private documents folder (the user's shell folder setting points into a fresh temporary folder)
// and a legacy product name of its own, so the real user's files and keys stay untouched.
class WindowsServices : public ::testing::Test {
protected:
  TPlatformServices& Services = NativePlatform();
  TRecordingUi Ui;
  TFakeHome Home;
  const std::string& Documents = Home.Documents();
  std::string Product;

  void SetUp() override {
    static std::atomic<unsigned> counter{0};
    Product =
        "TriaxoTest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter.fetch_add(1));
  }

  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, Wide("Software\\" + std::string(Vendor) + "\\" + Product).c_str());
  }

  void RedirectDocuments(const std::string& folder) { ASSERT_TRUE(Home.RedirectDocuments(folder)); }

  // The legacy key HKEY_CURRENT_USER\Software\Ventrakis\<Product>, optionally with its "Config" subkey.
  std::wstring LegacyKeyPath(bool config) const {
    return Wide("Software\\" + std::string(Vendor) + "\\" + Product + (config ? "\\Config" : ""));
  }

  void CreateLegacyKey(bool config) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, LegacyKeyPath(config).c_str(), 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  void SetLegacyValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, LegacyKeyPath(true).c_str(), 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }

  void SetLegacyDword(const wchar_t* name, int32_t value) {
    SetLegacyValue(name, REG_DWORD, &value, sizeof(value));
  }

  void SetLegacyText(const wchar_t* name, const std::wstring& text) {
    SetLegacyValue(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }

  bool KeyExists(const std::wstring& path) const {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
      return false;
    RegCloseKey(key);
    return true;
  }

  std::string DataFolder() const { return Documents + "\\Ventrakis\\" + Product + "\\"; }
};

TEST_F(WindowsServices, DataFolderLivesInTheShellsPersonalFolderWithBackslashes) {
  EXPECT_EQ(Services.DocumentsFolder(), Documents);
  EXPECT_EQ(Services.PathDelimiter(), '\\');
  EXPECT_TRUE(Services.IsPathDelimiter('/'));
  EXPECT_TRUE(Services.FileNamesIgnoreCase());

  RedirectDocuments(Documents + "\\");
  EXPECT_EQ(Services.DocumentsFolder(), Documents) << "no trailing separator";

  TSettingsStore store(Product);
  EXPECT_EQ(store.DataFolder(), DataFolder());
  EXPECT_EQ(store.PresetsFolder(), DataFolder() + "Presets\\");
  EXPECT_EQ(store.SettingsFile(), DataFolder() + "Settings.ini");
}

TEST_F(WindowsServices, WithoutADocumentsFolderThePathsStartAtTheRoot) {
  // A shell folder setting that names nothing the shell can resolve: either no folder or that text.
  RedirectDocuments("");
  const std::string documents = Services.DocumentsFolder();
  EXPECT_TRUE(documents.empty() || Services.IsPathDelimiter(documents.back()) == false) << documents;

  class TNoDocuments final : public TDelegatingPlatform {
  public:
    std::string DocumentsFolder() override { return {}; }
  } platform;
  TPlatformScope scope(platform);
  TSettingsStore store(Product, platform);
  EXPECT_EQ(store.DataFolder(), "\\Ventrakis\\" + Product + "\\");
  EXPECT_EQ(store.SettingsFile(), "\\Ventrakis\\" + Product + "\\Settings.ini");
  store.LoadSettings();
  EXPECT_EQ(store.Style(), 0);
  EXPECT_EQ(store.LowestOctave(), -2);
}

TEST_F(WindowsServices, FirstStartWithoutFileOrKeyUsesDefaultsAndWritesNothing) {
  TSettingsStore store(Product);
  store.LoadSettings();
  EXPECT_EQ(store.Style(), 0);
  EXPECT_EQ(store.LowestOctave(), -2);
  EXPECT_FALSE(std::filesystem::exists(Wide(store.SettingsFile())));
  store.SetStyle(3);
  EXPECT_TRUE(Ui.Boxes.empty());
  EXPECT_EQ(Services.ReadIniString(store.SettingsFile(), "Config", "Style"), "3");
  EXPECT_EQ(Services.ReadIniString(store.SettingsFile(), "Config", "LowestOctave"), "-2");
}

TEST_F(WindowsServices, LegacyKeyMovesIntoTheSettingsFileAndIsDeleted) {
  SetLegacyDword(L"Style", 2);
  SetLegacyDword(L"LowestOctave", -1);
  {
    TSettingsStore store(Product);
    store.LoadSettings();
    EXPECT_EQ(store.Style(), 2);
    EXPECT_EQ(store.LowestOctave(), -1);
  }
  EXPECT_FALSE(KeyExists(LegacyKeyPath(false)));
  EXPECT_TRUE(KeyExists(Wide("Software\\" + std::string(Vendor)))) << "the vendor key stays";
  const std::string file = ReadText(DataFolder() + "Settings.ini");
  EXPECT_NE(file.find("[Config]"), std::string::npos) << file;
  EXPECT_NE(file.find("Style=2"), std::string::npos) << file;
  EXPECT_NE(file.find("LowestOctave=-1"), std::string::npos) << file;

  // A second start reads the file.
  WriteText(DataFolder() + "Settings.ini", "[Config]\r\nStyle=1\r\nLowestOctave=0\r\n");
  TSettingsStore again(Product);
  again.LoadSettings();
  EXPECT_EQ(again.Style(), 1);
  EXPECT_EQ(again.LowestOctave(), 0);
  EXPECT_TRUE(Ui.Boxes.empty());
}

TEST_F(WindowsServices, LegacyKeyWithoutConfigIsDeletedAndLeavesOctaveZero) {
  CreateLegacyKey(false);
  TSettingsStore store(Product);
  store.LoadSettings();
  EXPECT_EQ(store.Style(), 0);
  EXPECT_EQ(store.LowestOctave(), 0);
  EXPECT_FALSE(KeyExists(LegacyKeyPath(false)));
  EXPECT_FALSE(std::filesystem::exists(Wide(store.SettingsFile())));
}

TEST_F(WindowsServices, DamagedLegacyValuesGiveTheDefaults) {
  const uint8_t binary[4] = {2, 0, 0, 0};
  SetLegacyValue(L"Style", REG_BINARY, binary, sizeof(binary));
  const uint64_t wide = 1;
  SetLegacyValue(L"LowestOctave", REG_QWORD, &wide, sizeof(wide));
  TSettingsStore store(Product);
  store.LoadSettings();
  EXPECT_EQ(store.Style(), 0);
  EXPECT_EQ(store.LowestOctave(), -2);
  EXPECT_FALSE(KeyExists(LegacyKeyPath(false)));
  EXPECT_EQ(Services.ReadIniString(store.SettingsFile(), "Config", "LowestOctave"), "-2");
}

TEST_F(WindowsServices, LegacyIntegersReadFromDwordsAndTexts) {
  const TLegacyKey key{Vendor, Product};
  SetLegacyDword(L"Negative", -1);
  SetLegacyText(L"Text", L" -2 ");
  SetLegacyText(L"Hex", L"$10");
  SetLegacyText(L"Word", L"two");
  SetLegacyText(L"Empty", L"");
  SetLegacyText(L"TooLarge", L"99999999999");
  SetLegacyValue(L"Short", REG_DWORD, "\x01\x02", 2);
  EXPECT_EQ(Services.ReadLegacyInteger(key, "Config", "Negative"), -1);
  EXPECT_EQ(Services.ReadLegacyInteger(key, "Config", "Text"), -2);
  EXPECT_EQ(Services.ReadLegacyInteger(key, "Config", "Hex"), 16);
  EXPECT_EQ(Services.ReadLegacyInteger(key, "Config", "Word"), std::nullopt);
  EXPECT_EQ(Services.ReadLegacyInteger(key, "Config", "Empty"), std::nullopt);
  EXPECT_EQ(Services.ReadLegacyInteger(key, "Config", "TooLarge"), std::nullopt);
  EXPECT_EQ(Services.ReadLegacyInteger(key, "Config", "Short"), std::nullopt);
  EXPECT_EQ(Services.ReadLegacyInteger(key, "Config", "Missing"), std::nullopt);
  EXPECT_EQ(Services.ReadLegacyInteger(key, "Other", "Negative"), std::nullopt);
  EXPECT_TRUE(Services.LegacySectionExists(key, "config")) << "registry names ignore case";
}

TEST_F(WindowsServices, LegacyKeyNamesNeverReachOutsideTheirKey) {
  CreateLegacyKey(true);
  const TLegacyKey escaping{Vendor, Product + "\\Config"};
  EXPECT_FALSE(Services.LegacyKeyExists(escaping));
  EXPECT_FALSE(Services.DeleteLegacyKey(escaping));
  EXPECT_FALSE(Services.DeleteLegacyKey(TLegacyKey{Vendor, ""}));
  EXPECT_FALSE(Services.LegacySectionExists(TLegacyKey{Vendor, Product}, "..\\Config"));
  EXPECT_TRUE(KeyExists(LegacyKeyPath(true)));
  EXPECT_TRUE(Services.DeleteLegacyKey(TLegacyKey{Vendor, Product}));
  EXPECT_FALSE(Services.LegacyKeyExists(TLegacyKey{Vendor, Product}));
  EXPECT_TRUE(Services.DeleteLegacyKey(TLegacyKey{Vendor, Product})) << "an absent key is no failure";
}

TEST_F(WindowsServices, IniFilesKeepOtherContentAndIgnoreCase) {
  const std::string file = Documents + "\\Settings.ini";
  WriteText(file, "; kept\r\n[Other]\r\nName=Value\r\n[config]\r\nstyle=1\r\n");
  Services.WriteIniStrings(file, {{"Config", "Style", "4"}, {"Config", "LowestOctave", "-1"}});
  EXPECT_EQ(Services.ReadIniString(file, "CONFIG", "STYLE"), "4");
  EXPECT_EQ(Services.ReadIniString(file, "Config", "LowestOctave"), "-1");
  EXPECT_EQ(Services.ReadIniString(file, "Other", "Name"), "Value");
  EXPECT_EQ(Services.ReadIniString(file, "Other", "Missing"), std::nullopt);
  EXPECT_EQ(Services.ReadIniString(file, "Missing", "Name"), std::nullopt);
  EXPECT_EQ(Services.ReadIniString(Documents + "\\None.ini", "Config", "Style"), std::nullopt);
  EXPECT_NE(ReadText(file).find("; kept"), std::string::npos);

  Services.WriteIniStrings(file, {{"Config", "Empty", ""}});
  EXPECT_EQ(Services.ReadIniString(file, "Config", "Empty"), "") << "empty is not absent";
}

TEST_F(WindowsServices, UnwritableSettingsFileReportsAndKeepsTheValue) {
  std::filesystem::create_directories(Wide(DataFolder() + "Settings.ini"));
  EXPECT_THROW(Services.WriteIniStrings(DataFolder() + "Settings.ini", {{"Config", "Style", "1"}}),
               std::runtime_error);
  TSettingsStore store(Product);
  store.LoadSettings();
  store.SetStyle(2);
  EXPECT_EQ(store.Style(), 2);
  ASSERT_EQ(Ui.Boxes.size(), 1u);
  EXPECT_EQ(Ui.Boxes[0].Caption, "Save Settings");
  EXPECT_EQ(Ui.Boxes[0].Text.rfind("Error saving settings.\r\n\r\n\"", 0), 0u) << Ui.Boxes[0].Text;

  const std::string readOnly = Documents + "\\ReadOnly.ini";
  WriteText(readOnly, "[Config]\r\nStyle=1\r\n");
  SetFileAttributesW(Wide(readOnly).c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_THROW(Services.WriteIniStrings(readOnly, {{"Config", "Style", "2"}}), std::runtime_error);
  EXPECT_EQ(Services.ReadIniString(readOnly, "Config", "Style"), "1");
  SetFileAttributesW(Wide(readOnly).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WindowsServices, CheckedFileExistsAsksTheVolumeFirst) {
  const std::string file = Documents + "\\Preset One.ventrakisp";
  WriteText(file, "x");
  EXPECT_TRUE(CheckedFileExists(file));
  EXPECT_TRUE(CheckedFileExists("\"" + file + "\""));
  EXPECT_TRUE(CheckedFileExists("  " + file + "  "));
  EXPECT_FALSE(CheckedFileExists(Documents + "\\Missing.ventrakisp"));
  EXPECT_FALSE(CheckedFileExists(Documents)) << "a folder is no file";

  // A drive letter with no volume behind it answers at once, without a system dialog.
  char unused = 0;
  const DWORD drives = GetLogicalDrives();
  for (char letter = 'Q'; letter <= 'Y' && unused == 0; ++letter)
    if ((drives & (1u << (letter - 'A'))) == 0)
      unused = letter;
  ASSERT_NE(unused, 0);
  const std::string root = std::string(1, unused) + ":\\";
  EXPECT_FALSE(Services.VolumeAnswers(root));
  EXPECT_FALSE(CheckedFileExists(root + "Presets\\Init.ventrakisp"));
  EXPECT_TRUE(Services.VolumeAnswers(Documents.substr(0, 3))) << Documents;
}

TEST_F(WindowsServices, FoldersAreCreatedAndListedWithTheirAttributes) {
  const std::string nested = Documents + "\\A\\B\\C\\";
  Services.CreateFolders(nested);
  EXPECT_TRUE(Services.FolderExists(Documents + "\\A\\B\\C"));
  Services.CreateFolders(nested); // already there
  WriteText(Documents + "\\A\\file.txt", "x");
  WriteText(Documents + "\\A\\hidden.txt", "x");
  SetFileAttributesW(Wide(Documents + "\\A\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_THROW(Services.CreateFolders(Documents + "\\A\\file.txt\\D"), std::runtime_error);

  auto entries = Services.ListFolder(Documents + "\\A");
  ASSERT_TRUE(entries.has_value());
  std::map<std::string, TFolderEntry> byName;
  for (const TFolderEntry& entry : *entries)
    byName[entry.Name] = entry;
  ASSERT_EQ(byName.size(), 3u);
  EXPECT_TRUE(byName["B"].IsDirectory);
  EXPECT_FALSE(byName["file.txt"].IsDirectory);
  EXPECT_FALSE(byName["file.txt"].IsHidden);
  EXPECT_TRUE(byName["hidden.txt"].IsHidden);
  EXPECT_FALSE(Services.ListFolder(Documents + "\\Missing").has_value());
  EXPECT_TRUE(Services.ListFolder(Documents + "\\A\\B\\C")->empty());
}

TEST_F(WindowsServices, UnicodeNamesSurviveTheWideSystemCalls) {
  const std::string folder = Documents + "\\Pr\xC3\xA9sets \xE2\x99\xAA";
  Services.CreateFolders(folder);
  const std::string file = folder + "\\M\xC3\xBCller.ventrakisp";
  WriteText(file, "x");
  EXPECT_TRUE(Services.FileExists(file));
  auto entries = Services.ListFolder(folder);
  ASSERT_TRUE(entries.has_value());
  ASSERT_EQ(entries->size(), 1u);
  EXPECT_EQ((*entries)[0].Name, "M\xC3\xBCller.ventrakisp");
}

TEST_F(WindowsServices, FileDatesAndTheModuleFile) {
  const std::string file = Documents + "\\dated.txt";
  WriteText(file, "x");
  // 2021-03-04 05:06:07 UTC.
  const int64_t unixSeconds = 1614834367;
  const int64_t ticks = unixSeconds * 10000000LL + 116444736000000000LL;
  FILETIME when{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
  HANDLE handle =
      CreateFileW(Wide(file).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  SetFileTime(handle, nullptr, nullptr, &when);
  CloseHandle(handle);
  EXPECT_EQ(
      std::chrono::duration_cast<std::chrono::seconds>(Services.FileDate(file).time_since_epoch()).count(),
      unixSeconds);
  EXPECT_EQ(Services.FileDate(Documents + "\\missing.txt"), TFileDate{});
  EXPECT_FALSE(Services.ShortDateText(Services.FileDate(file)).empty());
  EXPECT_NE(Services.ShortDateText(Services.FileDate(file)).find("21"), std::string::npos);

  // The services are linked into this test program, so it is "the library's own file" here.
  const std::string module = Services.ModuleFileName();
  EXPECT_NE(module.find("triaxo_host_tests.exe"), std::string::npos) << module;
  EXPECT_NE(Services.FileDate(module), TFileDate{});
  EXPECT_FALSE(BuildDateText().empty());
}

TEST_F(WindowsServices, ShellOpenOfAMissingFileReportsNotFound) {
  EXPECT_EQ(Services.ShellOpen(Documents + "\\Triaxo User Guide.pdf", "", Documents, smShowNormal),
            ShellResult::FileNotFound);
  EXPECT_EQ(Services.ShellOpen("", "", "", smShowNormal), ShellResult::FileNotFound);
  EXPECT_TRUE(Services.DecimalSeparator() == '.' || Services.DecimalSeparator() == ',');
}

} // namespace
