// Tests of the Linux platform services: XDG documents folder, ini files, detached shell opens.
#include "host/PlatformServices.h"

#include "support/FakeHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

class PlatformServicesTest : public ::testing::Test {
protected:
  TFakeHome Home;
  TPlatformServices& Services = NativePlatform();

  void WriteUserDirs(const std::string& content) {
    TFakeHome::WriteFile(Home.Root() + "/.config/user-dirs.dirs", content);
  }
};

TEST_F(PlatformServicesTest, DocumentsFolderFallsBackToHomeDocuments) {
  EXPECT_EQ(Services.DocumentsFolder(), Home.Root() + "/Documents");
}

TEST_F(PlatformServicesTest, DocumentsFolderFollowsUserDirsWithHomeExpansion) {
  WriteUserDirs("# written by xdg-user-dirs-update\n"
                "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente/\"\n");
  EXPECT_EQ(Services.DocumentsFolder(), Home.Root() + "/Dokumente");
}

TEST_F(PlatformServicesTest, DocumentsFolderTakesAbsolutePathsEscapesAndTheLastAssignment) {
  WriteUserDirs("XDG_DOCUMENTS_DIR=\"/srv/first\"\n"
                "  XDG_DOCUMENTS_DIR = \"/srv/My \\\"Docs\\\"\"\n");
  EXPECT_EQ(Services.DocumentsFolder(), "/srv/My \"Docs\"");
}

TEST_F(PlatformServicesTest, DocumentsFolderIgnoresMalformedLines) {
  WriteUserDirs("XDG_DOCUMENTS_DIR=\"relative/docs\"\n"
                "XDG_DOCUMENTS_DIR=\"$HOMEWORK/x\"\n"
                "XDG_DOCUMENTS_DIR=\"/unterminated\n"
                "#XDG_DOCUMENTS_DIR=\"/commented\"\n"
                "XDG_DOCUMENTS_DIRX=\"/other\"\n");
  EXPECT_EQ(Services.DocumentsFolder(), Home.Root() + "/Documents");
}

TEST_F(PlatformServicesTest, DocumentsFolderHonoursXdgConfigHomeAndTheEnvironment) {
  TFakeHome::WriteFile(Home.Root() + "/elsewhere/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
  setenv("XDG_CONFIG_HOME", (Home.Root() + "/elsewhere").c_str(), 1);
  EXPECT_EQ(Services.DocumentsFolder(), Home.Root() + "/Papers");
  setenv("XDG_CONFIG_HOME", (Home.Root() + "/empty").c_str(), 1);
  setenv("XDG_DOCUMENTS_DIR", "/from/environment/", 1);
  EXPECT_EQ(Services.DocumentsFolder(), "/from/environment");
}

TEST_F(PlatformServicesTest, IniWriteKeepsOtherContentAndReadsIgnoreCase) {
  const std::string file = Home.Root() + "/Settings.ini";
  TFakeHome::WriteFile(file, "; my notes\n[Other]\nKeep=this\n\n[config]\nstyle=1\nExtra=yes\n");
  Services.WriteIniStrings(file, {{"Config", "Style", "3"}, {"Config", "LowestOctave", "-1"}});
  std::string written = TFakeHome::ReadFile(file).value();
  EXPECT_NE(written.find("; my notes"), std::string::npos);
  EXPECT_NE(written.find("Keep=this"), std::string::npos);
  EXPECT_NE(written.find("Extra=yes"), std::string::npos);
  EXPECT_NE(written.find("style=3"), std::string::npos);
  EXPECT_NE(written.find("LowestOctave=-1"), std::string::npos);
  EXPECT_EQ(Services.ReadIniString(file, "CONFIG", "STYLE"), "3");
  EXPECT_EQ(Services.ReadIniString(file, "Other", "Keep"), "this");
  EXPECT_EQ(Services.ReadIniString(file, "Config", "Missing"), std::nullopt);
  EXPECT_EQ(Services.ReadIniString(Home.Root() + "/none.ini", "Config", "Style"), std::nullopt);
}

TEST_F(PlatformServicesTest, IniWriteKeepsAByteOrderMarkAndTheFileMode) {
  const std::string file = Home.Root() + "/Settings.ini";
  TFakeHome::WriteFile(file, "\xEF\xBB\xBF[Config]\nStyle=1\n");
  chmod(file.c_str(), 0640);
  Services.WriteIniStrings(file, {{"Config", "Style", "2"}});
  std::string written = TFakeHome::ReadFile(file).value();
  EXPECT_EQ(written.rfind("\xEF\xBB\xBF", 0), 0u);
  EXPECT_EQ(Services.ReadIniString(file, "Config", "Style"), "2");
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Home.Root()), {}), 1);
}

TEST_F(PlatformServicesTest, IniWriteThroughALinkUpdatesTheLinkedFile) {
  const std::string real = Home.Root() + "/dotfiles/Settings.ini";
  const std::string link = Home.Root() + "/Settings.ini";
  TFakeHome::WriteFile(real, "[Config]\nStyle=1\n");
  std::filesystem::create_symlink(real, link);
  Services.WriteIniStrings(link, {{"Config", "Style", "4"}});
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(Services.ReadIniString(real, "Config", "Style"), "4");
}

TEST_F(PlatformServicesTest, IniWriteRefusesABinaryFileAndLeavesItUntouched) {
  const std::string file = Home.Root() + "/Settings.ini";
  const std::string junk = std::string("[Config]\nStyle=1\n\0\x01\x02tail", 22);
  TFakeHome::WriteFile(file, junk);
  try {
    Services.WriteIniStrings(file, {{"Config", "Style", "2"}});
    FAIL() << "a binary file was rewritten";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot write the file " + file + ": it is not a text file");
  }
  EXPECT_EQ(TFakeHome::ReadFile(file), junk);
}

TEST_F(PlatformServicesTest, IniWriteRefusesAFolderAndAHugeFile) {
  const std::string folder = Home.Root() + "/Settings.ini";
  std::filesystem::create_directories(folder);
  EXPECT_THROW(Services.WriteIniStrings(folder, {{"Config", "Style", "2"}}), std::runtime_error);
  EXPECT_EQ(Services.ReadIniString(folder, "Config", "Style"), std::nullopt);

  const std::string huge = Home.Root() + "/Huge.ini";
  TFakeHome::WriteFile(huge, "[Config]\nStyle=1\n" + std::string(2 * 1024 * 1024, ';'));
  EXPECT_THROW(Services.WriteIniStrings(huge, {{"Config", "Style", "2"}}), std::runtime_error);
  EXPECT_EQ(std::filesystem::file_size(huge), 2u * 1024 * 1024 + 17);
}

TEST_F(PlatformServicesTest, IniWriteReportsAReadOnlyFile) {
  if (RunningAsRoot()) {
    GTEST_SKIP() << "root writes read-only files";
  }
  const std::string file = Home.Root() + "/Settings.ini";
  TFakeHome::WriteFile(file, "[Config]\nStyle=1\n");
  chmod(file.c_str(), 0444);
  try {
    Services.WriteIniStrings(file, {{"Config", "Style", "2"}});
    FAIL() << "a read-only file was replaced";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot write the file " + file + ": Permission denied");
  }
  EXPECT_EQ(Services.ReadIniString(file, "Config", "Style"), "1");
}

TEST_F(PlatformServicesTest, CreateFoldersMakesTheWholeChainAndNamesTheBlocker) {
  Services.CreateFolders(Home.Root() + "/a/b/c/");
  EXPECT_TRUE(Services.FolderExists(Home.Root() + "/a/b/c"));
  Services.CreateFolders(Home.Root() + "/a/b/c"); // already there
  TFakeHome::WriteFile(Home.Root() + "/file", "x");
  try {
    Services.CreateFolders(Home.Root() + "/file/sub/deeper");
    FAIL() << "a folder was created below a file";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()),
              "Cannot create the folder " + Home.Root() + "/file: a file of that name exists");
  }
}

TEST_F(PlatformServicesTest, ListFolderTellsFilesFromFoldersAndHiddenEntries) {
  TFakeHome::WriteFile(Home.Root() + "/list/a.txt", "x");
  TFakeHome::WriteFile(Home.Root() + "/list/.b", "x");
  std::filesystem::create_directories(Home.Root() + "/list/sub");
  std::filesystem::create_directory_symlink(Home.Root() + "/list/sub", Home.Root() + "/list/link");
  // A dangling link must not end the listing early.
  std::filesystem::create_symlink(Home.Root() + "/list/gone", Home.Root() + "/list/broken");
  auto entries = Services.ListFolder(Home.Root() + "/list");
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 5u);
  for (const TFolderEntry& entry : *entries) {
    EXPECT_EQ(entry.IsDirectory, entry.Name == "sub" || entry.Name == "link") << entry.Name;
    EXPECT_EQ(entry.IsHidden, entry.Name == ".b") << entry.Name;
  }
  EXPECT_FALSE(Services.ListFolder(Home.Root() + "/missing"));
}

TEST_F(PlatformServicesTest, ModuleFileIsAnExistingAbsolutePath) {
  std::string module = Services.ModuleFileName();
  ASSERT_FALSE(module.empty());
  EXPECT_EQ(module.front(), '/');
  EXPECT_TRUE(Services.FileExists(module));
  EXPECT_NE(Services.FileDate(module), TFileDate());
}

TEST_F(PlatformServicesTest, LinuxHasNoLegacySettings) {
  TLegacyKey key{"Ventrakis", "Triaxo"};
  EXPECT_FALSE(Services.LegacyKeyExists(key));
  EXPECT_FALSE(Services.LegacySectionExists(key, "Config"));
  EXPECT_EQ(Services.ReadLegacyInteger(key, "Config", "Style"), std::nullopt);
}

// A stand-in xdg-open on PATH that records its arguments and working folder, then lingers.
class ShellOpenTest : public PlatformServicesTest {
protected:
  std::string Record = Home.Root() + "/opened.txt";
  std::string SavedPath = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";

  void SetUp() override {
    const std::string bin = Home.Root() + "/bin";
    TFakeHome::WriteFile(bin + "/xdg-open", "#!/bin/sh\nprintf '%s|%s' \"$*\" \"$(pwd)\" > '" + Record +
                                                ".tmp'\nmv '" + Record + ".tmp' '" + Record + "'\nsleep 5\n");
    chmod((bin + "/xdg-open").c_str(), 0755);
    setenv("PATH", (bin + ":/usr/bin:/bin").c_str(), 1);
  }
  void TearDown() override { setenv("PATH", SavedPath.c_str(), 1); }

  std::optional<std::string> WaitForRecord() {
    for (int attempt = 0; attempt < 200; ++attempt) {
      if (auto content = TFakeHome::ReadFile(Record)) {
        return content;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return std::nullopt;
  }
};

TEST_F(ShellOpenTest, OpensADocumentWithoutWaitingForTheViewer) {
  const std::string guide = Home.Documents() + "/Ventrakis/Triaxo/Triaxo User Guide.pdf";
  TFakeHome::WriteFile(guide, "%PDF");
  auto started = std::chrono::steady_clock::now();
  EXPECT_GT(Services.ShellOpen(guide, "", Home.Root(), smShowNormal), 32);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
  EXPECT_EQ(WaitForRecord(), guide + "|" + Home.Root());
}

TEST_F(ShellOpenTest, OpensAFolderInTheFileManager) {
  EXPECT_TRUE(Services.OpenFolder(Home.Root()));
  EXPECT_EQ(WaitForRecord().value_or("").substr(0, Home.Root().size() + 1), Home.Root() + "|");
  EXPECT_FALSE(Services.OpenFolder(Home.Root() + "/missing"));
}

TEST_F(ShellOpenTest, ReportsAMissingDocumentOrOpener) {
  EXPECT_EQ(Services.ShellOpen(Home.Root() + "/missing.pdf", "", "", smShowNormal),
            ShellResult::FileNotFound);
  EXPECT_EQ(Services.ShellOpen("", "", "", smShowNormal), ShellResult::FileNotFound);
  setenv("PATH", (Home.Root() + "/empty").c_str(), 1);
  TFakeHome::WriteFile(Home.Root() + "/doc.pdf", "%PDF");
  EXPECT_EQ(Services.ShellOpen(Home.Root() + "/doc.pdf", "", "", smShowNormal), ShellResult::NoAssociation);
}

} // namespace
