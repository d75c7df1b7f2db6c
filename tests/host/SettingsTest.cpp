// Tests of the settings store: folders, Settings.ini reading and writing, legacy import, setters.
#include "host/SettingsStore.h"

#include "engine/ZelMidi.h"
#include "host/DelegatingPlatform.h"
#include "host/RecordingUi.h"
#include "support/FakeHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

class SettingsTest : public ::testing::Test {
protected:
  TFakeHome Home;
  TRecordingUi Ui;
  std::string SettingsFile = Home.DataFolder() + "Settings.ini";

  void SetUp() override { SetDisplayOctaveOffset(0); }
  void TearDown() override { SetDisplayOctaveOffset(0); }

  TSettingsStore LoadedStore(TPlatformServices& platform = NativePlatform()) {
    TSettingsStore store("Triaxo", platform);
    store.LoadSettings();
    return store;
  }

  std::optional<std::string> Value(const std::string& key) {
    return NativePlatform().ReadIniString(SettingsFile, "Config", key);
  }
};

TEST_F(SettingsTest, FoldersLiveUnderTheDocumentsFolder) {
  TSettingsStore store("Triaxo");
  EXPECT_EQ(store.DataFolder(), Home.Documents() + "/Ventrakis/Triaxo/");
  EXPECT_EQ(store.PresetsFolder(), Home.Documents() + "/Ventrakis/Triaxo/Presets/");
  EXPECT_EQ(store.SettingsFile(), Home.Documents() + "/Ventrakis/Triaxo/Settings.ini");
}

TEST_F(SettingsTest, FoldersFollowTheXdgDocumentsFolder) {
  TFakeHome::WriteFile(Home.Root() + "/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  TSettingsStore store("Triaxo");
  EXPECT_EQ(store.DataFolder(), Home.Root() + "/Dokumente/Ventrakis/Triaxo/");
}

TEST_F(SettingsTest, UnknownDocumentsFolderStartsThePathsAtTheSeparator) {
  struct TNoDocuments : TDelegatingPlatform {
    std::string DocumentsFolder() override { return {}; }
  } platform;
  TSettingsStore store("Triaxo", platform);
  EXPECT_EQ(store.DataFolder(), "/Ventrakis/Triaxo/");
  EXPECT_EQ(store.SettingsFile(), "/Ventrakis/Triaxo/Settings.ini");
}

TEST_F(SettingsTest, FirstStartUsesDefaultsAndWritesNothing) {
  TSettingsStore store = LoadedStore();
  EXPECT_EQ(store.Style(), 0);
  EXPECT_EQ(store.LowestOctave(), -2);
  EXPECT_EQ(DisplayOctaveOffset(), -2);
  EXPECT_FALSE(std::filesystem::exists(Home.Documents()));
  EXPECT_TRUE(Ui.Boxes.empty());
}

TEST_F(SettingsTest, StoredValuesAreReadAndOutOfRangeValuesClamped) {
  TFakeHome::WriteFile(SettingsFile, "[Config]\r\nStyle=2\r\nLowestOctave=-1\r\n");
  TSettingsStore store = LoadedStore();
  EXPECT_EQ(store.Style(), 2);
  EXPECT_EQ(store.LowestOctave(), -1);
  EXPECT_EQ(DisplayOctaveOffset(), -1);

  TFakeHome::WriteFile(SettingsFile, "[Config]\nStyle=9\nLowestOctave=3\n");
  store = LoadedStore();
  EXPECT_EQ(store.Style(), 4);
  EXPECT_EQ(store.LowestOctave(), 0);

  TFakeHome::WriteFile(SettingsFile, "[Config]\nStyle=-5\nLowestOctave=-7\n");
  store = LoadedStore();
  EXPECT_EQ(store.Style(), 0);
  EXPECT_EQ(store.LowestOctave(), -2);
}

TEST_F(SettingsTest, JunkValuesGiveTheDefaults) {
  for (const std::string& content :
       {std::string("[Config]\nStyle=abc\nLowestOctave=-1.5\n"),
        std::string("[Config]\nStyle=\nLowestOctave=\n"), std::string("[Other]\nStyle=3\nLowestOctave=0\n"),
        std::string("Style=3\nLowestOctave=0\n"),
        std::string("[Config]\nStyle=99999999999999\nLowestOctave=0x1\n"),
        std::string("\x00\xFF\xFE[Config]\nStyle=3\n\x01\x02", 22), std::string()}) {
    TFakeHome::WriteFile(SettingsFile, content);
    TSettingsStore store = LoadedStore();
    EXPECT_EQ(store.Style(), 0) << content;
    EXPECT_EQ(store.LowestOctave(), -2) << content;
    EXPECT_EQ(TFakeHome::ReadFile(SettingsFile), content) << "reading changed the file";
  }
  EXPECT_TRUE(Ui.Boxes.empty());
}

TEST_F(SettingsTest, ValuesWithBlanksOrInDollarHexAreNumbers) {
  TFakeHome::WriteFile(SettingsFile, "[config]\nstyle =  $3 \nLOWESTOCTAVE= -1\n");
  TSettingsStore store = LoadedStore();
  EXPECT_EQ(store.Style(), 3);
  EXPECT_EQ(store.LowestOctave(), -1);
}

TEST_F(SettingsTest, SettingsFileThatIsAFolderGivesDefaults) {
  std::filesystem::create_directories(SettingsFile);
  TSettingsStore store = LoadedStore();
  EXPECT_EQ(store.Style(), 0);
  EXPECT_EQ(store.LowestOctave(), -2);
}

TEST_F(SettingsTest, ChoosingTheActiveSkinWritesNothing) {
  TSettingsStore store = LoadedStore();
  store.SetStyle(0);
  store.SetLowestOctave(-2);
  EXPECT_FALSE(std::filesystem::exists(SettingsFile));

  TFakeHome::WriteFile(SettingsFile, "[Config]\nStyle=3\nLowestOctave=-1\n");
  auto before = std::filesystem::last_write_time(SettingsFile);
  std::filesystem::last_write_time(SettingsFile, before - std::chrono::hours(1));
  store = LoadedStore();
  store.SetStyle(3);
  EXPECT_EQ(std::filesystem::last_write_time(SettingsFile), before - std::chrono::hours(1));
}

TEST_F(SettingsTest, ChangingASettingWritesBothValuesAndKeepsTheRestOfTheFile) {
  TFakeHome::WriteFile(SettingsFile,
                       "; hand-written\n[Config]\nStyle=1\nWindowX=20\n[Recent]\nPreset=Pads\n");
  TSettingsStore store = LoadedStore();
  store.SetStyle(2);
  EXPECT_EQ(store.Style(), 2);
  EXPECT_EQ(Value("Style"), "2");
  EXPECT_EQ(Value("LowestOctave"), "-2");
  EXPECT_EQ(Value("WindowX"), "20");
  EXPECT_EQ(NativePlatform().ReadIniString(SettingsFile, "Recent", "Preset"), "Pads");
  EXPECT_NE(TFakeHome::ReadFile(SettingsFile).value().find("; hand-written"), std::string::npos);

  TSettingsStore reopened = LoadedStore();
  EXPECT_EQ(reopened.Style(), 2);
}

TEST_F(SettingsTest, FirstChangeCreatesTheDataFolder) {
  TSettingsStore store = LoadedStore();
  store.SetLowestOctave(-1);
  EXPECT_TRUE(std::filesystem::is_directory(Home.DataFolder()));
  EXPECT_EQ(Value("Style"), "0");
  EXPECT_EQ(Value("LowestOctave"), "-1");
  EXPECT_TRUE(Ui.Boxes.empty());
}

TEST_F(SettingsTest, LowestOctaveMovesNoteNumbersAtOnce) {
  TSettingsStore store = LoadedStore();
  EXPECT_EQ(NoteText(60), "C3");
  store.SetLowestOctave(0);
  EXPECT_EQ(store.LowestOctave(), 0);
  EXPECT_EQ(NoteText(60), "C5");
  store.SetLowestOctave(-1);
  EXPECT_EQ(NoteOctave(0), -1);
}

TEST_F(SettingsTest, SettersClampOutOfRangeRequests) {
  TSettingsStore store = LoadedStore();
  store.SetStyle(9);
  EXPECT_EQ(store.Style(), 4);
  EXPECT_EQ(Value("Style"), "4");
  store.SetLowestOctave(5);
  EXPECT_EQ(store.LowestOctave(), 0);
  EXPECT_EQ(DisplayOctaveOffset(), 0);
  store.SetLowestOctave(-100);
  EXPECT_EQ(store.LowestOctave(), -2);
}

TEST_F(SettingsTest, UnwritableFolderShowsTheSaveSettingsBoxAndKeepsTheNewValue) {
  // A file where the vendor folder belongs blocks the folder chain, even for root.
  TFakeHome::WriteFile(Home.Documents() + "/Ventrakis", "not a folder");
  TSettingsStore store = LoadedStore();
  int owner = 0;
  store.SetStyle(1, &owner);
  EXPECT_EQ(store.Style(), 1);
  ASSERT_EQ(Ui.Boxes.size(), 1u);
  const TRecordedBox& box = Ui.Boxes[0];
  EXPECT_EQ(box.Caption, "Save Settings");
  EXPECT_EQ(box.Text, "Error saving settings.\r\n\r\n\"Cannot create the folder " + Home.Documents() +
                          "/Ventrakis: a file of that name exists\"");
  EXPECT_EQ(box.Buttons, mbOK);
  EXPECT_EQ(box.Icon, miWarning);
  EXPECT_EQ(box.Owner, &owner);
  EXPECT_EQ(TFakeHome::ReadFile(Home.Documents() + "/Ventrakis"), "not a folder");
}

TEST_F(SettingsTest, ReadOnlySettingsFileShowsTheBoxAndStaysUnchanged) {
  if (RunningAsRoot()) {
    GTEST_SKIP() << "root writes read-only files";
  }
  TFakeHome::WriteFile(SettingsFile, "[Config]\nStyle=1\n");
  std::filesystem::permissions(SettingsFile, std::filesystem::perms::owner_read);
  TSettingsStore store = LoadedStore();
  store.SetStyle(2);
  ASSERT_EQ(Ui.Boxes.size(), 1u);
  EXPECT_EQ(Ui.Boxes[0].Text, "Error saving settings.\r\n\r\n\"Cannot write the file " + SettingsFile +
                                  ": Permission denied\"");
  EXPECT_EQ(Value("Style"), "1");
}

TEST_F(SettingsTest, StyleNamesFollowTheSkinTable) {
  EXPECT_EQ(TSettingsStore::StyleName(0), "Carbon");
  EXPECT_EQ(TSettingsStore::StyleName(1), "Amakrits");
  EXPECT_EQ(TSettingsStore::StyleName(2), "Light");
  EXPECT_EQ(TSettingsStore::StyleName(3), "Luna");
  EXPECT_EQ(TSettingsStore::StyleName(4), "Smokey Quartz Kamri");
  EXPECT_EQ(TSettingsStore::StyleName(5), "Carbon");
  EXPECT_EQ(TSettingsStore::StyleName(-1), "Carbon");
}

TEST_F(SettingsTest, SkinThatCannotBeSelectedShowsTheLoadSkinBox) {
  TSettingsStore::ShowSkinError(nullptr, "Luna is not available");
  ASSERT_EQ(Ui.Boxes.size(), 1u);
  EXPECT_EQ(Ui.Boxes[0].Text, "Error loading skin.\r\n\r\n\"Luna is not available\"");
  EXPECT_EQ(Ui.Boxes[0].Caption, "Load Skin");
  EXPECT_EQ(Ui.Boxes[0].Buttons, mbOK);
  EXPECT_EQ(Ui.Boxes[0].Icon, miWarning);
}

// A legacy registry store held in memory, as the Windows registry would hold it.
struct TLegacyPlatform : TDelegatingPlatform {
  bool KeyPresent = true;
  bool HasConfig = true;
  std::map<std::string, int32_t> Values;
  int32_t Deletions = 0;
  std::string AskedVendor;
  std::string AskedProduct;

  bool LegacyKeyExists(const TLegacyKey& key) override {
    AskedVendor = key.Vendor;
    AskedProduct = key.Product;
    return KeyPresent;
  }
  bool LegacySectionExists(const TLegacyKey&, const std::string& section) override {
    return KeyPresent && HasConfig && section == "Config";
  }
  std::optional<int32_t> ReadLegacyInteger(const TLegacyKey&, const std::string& section,
                                           const std::string& name) override {
    auto found = Values.find(name);
    if (!KeyPresent || !HasConfig || section != "Config" || found == Values.end()) {
      return std::nullopt;
    }
    return found->second;
  }
  bool DeleteLegacyKey(const TLegacyKey&) override {
    ++Deletions;
    KeyPresent = false;
    return true;
  }
};

TEST_F(SettingsTest, LegacySettingsMoveIntoTheFileAndTheKeyGoes) {
  TLegacyPlatform legacy;
  legacy.Values = {{"Style", 2}, {"LowestOctave", -1}};
  TSettingsStore store = LoadedStore(legacy);
  EXPECT_EQ(legacy.AskedVendor, "Ventrakis");
  EXPECT_EQ(legacy.AskedProduct, "Triaxo");
  EXPECT_EQ(store.Style(), 2);
  EXPECT_EQ(store.LowestOctave(), -1);
  EXPECT_EQ(DisplayOctaveOffset(), -1);
  EXPECT_EQ(Value("Style"), "2");
  EXPECT_EQ(Value("LowestOctave"), "-1");
  EXPECT_EQ(legacy.Deletions, 1);

  // The second start reads the file.
  TFakeHome::WriteFile(SettingsFile, "[Config]\nStyle=3\nLowestOctave=0\n");
  TSettingsStore second = LoadedStore(legacy);
  EXPECT_EQ(second.Style(), 3);
  EXPECT_EQ(legacy.Deletions, 1);
}

TEST_F(SettingsTest, LegacyKeyWithoutConfigIsDeletedAndLeavesZeroes) {
  TLegacyPlatform legacy;
  legacy.HasConfig = false;
  TSettingsStore store = LoadedStore(legacy);
  EXPECT_EQ(store.Style(), 0);
  EXPECT_EQ(store.LowestOctave(), 0);
  EXPECT_EQ(DisplayOctaveOffset(), 0);
  EXPECT_EQ(legacy.Deletions, 1);
  EXPECT_FALSE(std::filesystem::exists(SettingsFile));
}

TEST_F(SettingsTest, LegacyValuesThatAreMissingOrOutOfRangeAreDefaultedAndClamped) {
  TLegacyPlatform legacy;
  legacy.Values = {{"Style", 7}};
  TSettingsStore store = LoadedStore(legacy);
  EXPECT_EQ(store.Style(), 4);
  EXPECT_EQ(store.LowestOctave(), -2);
  EXPECT_EQ(Value("Style"), "4");
  EXPECT_EQ(Value("LowestOctave"), "-2");
}

TEST_F(SettingsTest, LegacyKeyStaysWhenItsValuesCannotBeSaved) {
  TFakeHome::WriteFile(Home.Documents() + "/Ventrakis", "blocker");
  TLegacyPlatform legacy;
  legacy.Values = {{"Style", 2}, {"LowestOctave", -1}};
  TSettingsStore store = LoadedStore(legacy);
  EXPECT_EQ(store.Style(), 2);
  EXPECT_EQ(legacy.Deletions, 0);
  ASSERT_EQ(Ui.Boxes.size(), 1u);
  EXPECT_EQ(Ui.Boxes[0].Caption, "Save Settings");
}

} // namespace
