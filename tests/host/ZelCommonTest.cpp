// Tests of the shared text, number and file helpers with real files in a throw-away folder.
#include "host/ZelCommon.h"

#include "host/DelegatingPlatform.h"
#include "support/FakeHome.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::string Minus = "\xE2\x88\x92";       // U+2212
const std::string FigureSpace = "\xE2\x80\x87"; // U+2007

TEST(GetFieldTest, PicksFieldsOfADelimitedLine) {
  EXPECT_EQ(GetField("a;b;c", 1, ";"), "a");
  EXPECT_EQ(GetField("a;b;c", 2, ";"), "b");
  EXPECT_EQ(GetField("a;b;c", 3, ";"), "c");
  EXPECT_EQ(GetField("a;b", 4, ";"), "");
  EXPECT_EQ(GetField("a;b", 0, ";"), "");
  EXPECT_EQ(GetField("a;;c", 2, ";"), "");
  EXPECT_EQ(GetField("a;;c", 3, ";"), "c");
  EXPECT_EQ(GetField("", 1, ";"), "");
}

TEST(GetFieldTest, TrailingDelimiterAddsNoEmptyField) {
  EXPECT_EQ(GetField("a;b;", 2, ";"), "b");
  EXPECT_EQ(GetField("a;b;", 3, ";"), "");
  EXPECT_EQ(GetField("a;b;", 2, ";", false, true), "b");
}

TEST(GetFieldTest, QuotedDelimiterDoesNotSplitAndQuotesAreRemoved) {
  EXPECT_EQ(GetField("\"Maj;7\";0 4 7 11;x", 1, ";"), "Maj;7");
  EXPECT_EQ(GetField("\"Maj;7\";0 4 7 11;x", 2, ";"), "0 4 7 11");
  EXPECT_EQ(GetField("\"Maj;7\";0 4 7 11;x", 3, ";"), "x");
  // Quotes inside a field stay; only one enclosing pair goes.
  EXPECT_EQ(GetField("say \"hi\";b", 1, ";"), "say \"hi");
  EXPECT_EQ(GetField("\"\"a\"\";b", 1, ";"), "\"a\"");
}

TEST(GetFieldTest, IgnoringQuotesSplitsEverywhereAndKeepsThem) {
  EXPECT_EQ(GetField("\"Maj;7\";x", 1, ";", true), "\"Maj");
  EXPECT_EQ(GetField("\"Maj;7\";x", 2, ";", true), "7\"");
}

TEST(GetFieldTest, RestFlagReturnsEverythingFromTheField) {
  EXPECT_EQ(GetField("a;b;c;d", 2, ";", false, true), "b;c;d");
  EXPECT_EQ(GetField("a;b;c;d", 4, ";", false, true), "d");
  EXPECT_EQ(GetField("a;b", 3, ";", false, true), "");
}

TEST(GetFieldTest, MultiCharacterAndSpaceDelimiters) {
  EXPECT_EQ(GetField("C Maj 7", 2, " "), "Maj");
  EXPECT_EQ(GetField("one, two, three", 2, ", "), "two");
  EXPECT_EQ(GetField("one, two, three", 2, ", ", false, true), "two, three");
  EXPECT_EQ(GetField("abc", 1, ""), "abc");
}

TEST(TextHelpersTest, LeftRightAndFromCountCharactersNotBytes) {
  const std::string name = "Gr\xC3\xBC\xC3\x9F"
                           "e"; // "Grüße"
  EXPECT_EQ(LeftText(name, 3), "Gr\xC3\xBC");
  EXPECT_EQ(RightText(name, 2), "\xC3\x9F"
                                "e");
  EXPECT_EQ(TextFrom(name, 4), "\xC3\x9F"
                               "e");
  EXPECT_EQ(TextLength(name), 5);
  EXPECT_EQ(LeftText("abc", 10), "abc");
  EXPECT_EQ(RightText("abc", 10), "abc");
  EXPECT_EQ(LeftText("abc", 0), "");
  EXPECT_EQ(RightText("abc", -1), "");
  EXPECT_EQ(TextFrom("abc", 0), "abc");
  EXPECT_EQ(TextFrom("abc", 4), "");
  EXPECT_EQ(RightText(Minus + "5", 1), "5");
  EXPECT_EQ(LeftText(Minus + "5", 1), Minus);
}

TEST(TextHelpersTest, BrokenUtf8CountsBytewiseAndNeverReadsPastTheEnd) {
  const std::string truncated = "ab\xE2\x88"; // a minus sign cut short
  EXPECT_EQ(TextLength(truncated), 4);
  EXPECT_EQ(RightText(truncated, 1), "\x88");
  EXPECT_EQ(LeftText("\xFF\xFE", 1), "\xFF");
}

TEST(TextHelpersTest, ArbitraryBytesSplitAndJoinBackWithoutLoss) {
  // Deterministic mixed input: ASCII, quotes, delimiters, valid and broken UTF-8.
  const std::string pieces[] = {"a", ";", "\"", "\xC3\xBC", "\xE2\x88\x92", "\xE2\x88", "\xFF", " ", "$1"};
  uint32_t state = 12345;
  for (int round = 0; round < 500; ++round) {
    std::string text;
    for (int k = 0; k < round % 17; ++k) {
      state = state * 1664525u + 1013904223u;
      text += pieces[(state >> 16) % std::size(pieces)];
    }
    const int32_t length = TextLength(text);
    for (int32_t n = 0; n <= length + 1; ++n) {
      EXPECT_EQ(LeftText(text, n) + TextFrom(text, n + 1), text);
      EXPECT_EQ(LeftText(text, n) + RightText(text, length - n), n <= length ? text : LeftText(text, n));
      EXPECT_EQ(ReplaceRange(text, n + 1, 1, RightText(LeftText(text, n + 1), n < length ? 1 : 0)), text);
      EXPECT_LE(GetField(text, n, ";", false, true).size(), text.size());
    }
    EXPECT_EQ(ReplaceText(ReplaceText(text, ";", "\x01", false), "\x01", ";", false), text);
  }
}

TEST(TextHelpersTest, AfterBeforeAndBetween) {
  EXPECT_EQ(TextAfter("=", "Style=2"), "2");
  EXPECT_EQ(TextAfter("=", "Style"), "");
  EXPECT_EQ(TextBefore("=", "Style=2"), "Style");
  EXPECT_EQ(TextBefore("=", "Style"), "Style");
  EXPECT_EQ(TextBetween("Chord [Maj7] here", "[", "]", true), "Maj7");
  EXPECT_EQ(TextBetween("<B>bold</b>", "<b>", "</B>", false), "bold");
  EXPECT_EQ(TextBetween("<B>bold</b>", "<b>", "</b>", true), "");
  EXPECT_EQ(TextBetween("[]", "[", "]", true), "");
  EXPECT_EQ(TextBetween("[open", "[", "]", true), "");
  EXPECT_EQ(TextBetween("] before [x]", "[", "]", true), "x");
}

TEST(TextHelpersTest, CountReplaceAndReplaceRange) {
  EXPECT_EQ(CountText("aa", "aaaaa"), 2);
  EXPECT_EQ(CountText(";", "a;b;c"), 2);
  EXPECT_EQ(CountText("", "abc"), 0);
  EXPECT_EQ(ReplaceText("a-b-c", "-", "--", false), "a--b--c");
  EXPECT_EQ(ReplaceText("aaa", "a", "aa", false), "aaaaaa");
  EXPECT_EQ(ReplaceText("Maj maj MAJ", "maj", "m", true), "m m m");
  EXPECT_EQ(ReplaceText("Maj maj MAJ", "maj", "m", false), "Maj m MAJ");
  EXPECT_EQ(ReplaceText("abc", "", "x", false), "abc");
  EXPECT_EQ(ReplaceRange("Hello World", 7, 5, "There"), "Hello There");
  EXPECT_EQ(ReplaceRange("abc", 2, 0, "X"), "aXbc");
  EXPECT_EQ(ReplaceRange("abc", 3, 10, "Z"), "abZ");
  EXPECT_EQ(ReplaceRange("\xC3\xBC"
                         "ber",
                         1, 1, "U"),
            "Uber");
}

TEST(TextHelpersTest, PadLeftRepeatAndStripQuotes) {
  EXPECT_EQ(PadLeft("42", FigureSpace, 4), FigureSpace + FigureSpace + "42");
  // A negative number written with U+2212 is two characters wide, not four bytes.
  EXPECT_EQ(PadLeft(Minus + "5", FigureSpace, 4), FigureSpace + FigureSpace + Minus + "5");
  EXPECT_EQ(PadLeft("12345", " ", 4), "12345");
  EXPECT_EQ(RepeatText(3, "ab"), "ababab");
  EXPECT_EQ(RepeatText(-1, "ab"), "");
  EXPECT_EQ(StripQuotes("\"quoted\""), "quoted");
  EXPECT_EQ(StripQuotes("\"open"), "open");
  EXPECT_EQ(StripQuotes("\""), "");
  EXPECT_EQ(StripQuotes("\"\"\"\""), "\"\"");
  EXPECT_EQ(TrimText("  \t x y \r\n"), "x y");
}

TEST(TextHelpersTest, IntegersInDecimalAndDollarHex) {
  int32_t value = 0;
  EXPECT_TRUE(TryTextToInt("42", value));
  EXPECT_EQ(value, 42);
  EXPECT_TRUE(TryTextToInt("-2", value));
  EXPECT_EQ(value, -2);
  EXPECT_TRUE(TryTextToInt("  +7", value));
  EXPECT_EQ(value, 7);
  EXPECT_TRUE(TryTextToInt("$1F", value));
  EXPECT_EQ(value, 31);
  EXPECT_TRUE(TryTextToInt("$FFFFFFFF", value));
  EXPECT_EQ(value, -1);
  EXPECT_TRUE(TryTextToInt("2147483647", value));
  EXPECT_EQ(value, 2147483647);
  EXPECT_TRUE(TryTextToInt("-2147483648", value));
  EXPECT_EQ(value, -2147483647 - 1);
  for (const char* bad : {"", "-", "$", "2147483648", "-2147483649", "$100000000", "12a", "1.5", "7 ", "$G",
                          "99999999999999999999999"}) {
    EXPECT_FALSE(IsInteger(bad)) << bad;
  }
}

TEST(NumberTextTest, FloatsShowFifteenSignificantDigitsOfTheSingle) {
  EXPECT_EQ(FloatToText(0.1f, false, '.'), "0.100000001490116");
  EXPECT_EQ(FloatToText(500.0f, false, '.'), "500");
  EXPECT_EQ(FloatToText(-2.5f, false, '.'), "-2.5");
  EXPECT_EQ(FloatToText(2.5f, true, '.'), "+2.5");
  EXPECT_EQ(FloatToText(0.0f, true, '.'), "0");
  EXPECT_EQ(FloatToText(-0.0f, false, '.'), "0");
  EXPECT_EQ(FloatToText(0.5f, false, ','), "0,5");
  EXPECT_EQ(FloatToText(0.001f, false, '.'), "0.00100000004749745");
  EXPECT_EQ(FloatToText(1000.0f, false, '.'), "1000");
  EXPECT_EQ(FloatToText(1e20f, false, '.'), "1.00000002004088E20");
  EXPECT_EQ(FloatToText(1e-7f, false, '.'), "1.0000000116861E-7");
  EXPECT_EQ(FloatToText(16777216.0f, false, '.'), "16777216");
}

TEST(NumberTextTest, RangeClampAndChoose) {
  EXPECT_TRUE(InRange(0, 0, 127));
  EXPECT_TRUE(InRange(127, 0, 127));
  EXPECT_FALSE(InRange(128, 0, 127));
  EXPECT_EQ(Clamp(9, 0, 4), 4);
  EXPECT_EQ(Clamp(-3, -2, 0), -2);
  EXPECT_EQ(Clamp(1, 0, 4), 1);
  EXPECT_EQ(Choose(true, 1, 2), 1);
  EXPECT_EQ(Choose(false, "yes", "no"), "no");
}

TEST(FileNameTest, SafeFileNameReplacesEveryReservedCharacter) {
  EXPECT_EQ(SafeFileName("a/b:c"), "a_b_c");
  EXPECT_EQ(SafeFileName("\\/:*?\"<>|"), "_________");
  EXPECT_EQ(SafeFileName("Sch\xC3\xB6n & gut"), "Sch\xC3\xB6n & gut");
}

TEST(FileNameTest, FileNameNoExtDropsFolderAndExtension) {
  EXPECT_EQ(FileNameNoExt("/home/u/Presets/My Preset.ventrakisp"), "My Preset");
  EXPECT_EQ(FileNameNoExt("My.Preset.ventrakisp"), "My.Preset");
  EXPECT_EQ(FileNameNoExt("/a.b/noext"), "noext");
  EXPECT_EQ(FileNameNoExt(".hidden"), ".hidden");
  EXPECT_EQ(FileNameNoExt("/folder/"), "");
  EXPECT_EQ(FilePath("/a/b/c.txt"), "/a/b/");
  EXPECT_EQ(FilePath("c.txt"), "");
  EXPECT_EQ(WithTrailingDelimiter("/a/b"), "/a/b/");
  EXPECT_EQ(WithTrailingDelimiter("/a/b/"), "/a/b/");
}

TEST(WildcardTest, StarAndQuestionMarkMatchCharacters) {
  EXPECT_TRUE(MatchesMask("init.ventrakisp", "*.ventrakisp", false));
  EXPECT_FALSE(MatchesMask("init.ventrakisp.bak", "*.ventrakisp", false));
  EXPECT_TRUE(MatchesMask("a.txt", "?.txt", false));
  EXPECT_TRUE(MatchesMask("\xC3\xBC.txt", "?.txt", false));
  EXPECT_FALSE(MatchesMask("ab.txt", "?.txt", false));
  EXPECT_TRUE(MatchesMask("Chords.txt", "c*S.TXT", true));
  EXPECT_FALSE(MatchesMask("Chords.txt", "c*S.TXT", false));
  EXPECT_TRUE(MatchesMask("noext", "*.*", false));
  EXPECT_TRUE(MatchesMask("aXbXc", "a*b*c", false));
  EXPECT_FALSE(MatchesMask("aXbXd", "a*b*c", false));
  EXPECT_TRUE(MatchesMask("", "*", false));
}

class FileHelpersTest : public ::testing::Test {
protected:
  TFakeHome Home;
  std::string Folder = Home.Root() + "/Presets/";
};

TEST_F(FileHelpersTest, CheckedFileExistsToleratesQuotesAndBlanksAndRejectsFolders) {
  TFakeHome::WriteFile(Folder + "init.ventrakisp", "mmst");
  EXPECT_TRUE(CheckedFileExists(Folder + "init.ventrakisp"));
  EXPECT_TRUE(CheckedFileExists("\" " + Folder + "init.ventrakisp \""));
  EXPECT_FALSE(CheckedFileExists(Folder + "missing.ventrakisp"));
  EXPECT_FALSE(CheckedFileExists(Folder));
  EXPECT_FALSE(CheckedFileExists(""));
  EXPECT_FALSE(CheckedFileExists("\"\""));
}

TEST_F(FileHelpersTest, CheckedFileExistsGivesUpOnADriveThatDoesNotAnswer) {
  struct TDeadDrive : TDelegatingPlatform {
    std::string AskedRoot;
    int32_t FileTests = 0;
    bool VolumeAnswers(const std::string& root) override {
      AskedRoot = root;
      return false;
    }
    bool FileExists(const std::string&) override {
      ++FileTests;
      return true;
    }
  } platform;
  TPlatformScope scope(platform);
  EXPECT_FALSE(CheckedFileExists("\"Q:\\Presets\\init.ventrakisp\""));
  EXPECT_EQ(platform.AskedRoot, "Q:\\");
  EXPECT_EQ(platform.FileTests, 0);
  EXPECT_TRUE(CheckedFileExists("relative\\init.ventrakisp"));
  EXPECT_EQ(platform.FileTests, 1);
}

TEST_F(FileHelpersTest, FindFilesListsMatchingFilesSortedIgnoringCase) {
  for (const char* name : {"b.ventrakisp", "A.ventrakisp", "c.VENTRAKISP", "notes.txt", "init.ventrakisp.bak",
                           ".hidden.ventrakisp"}) {
    TFakeHome::WriteFile(Folder + name, "x");
  }
  std::filesystem::create_directories(Folder + "folder.ventrakisp");
  std::vector<std::string> list;
  ASSERT_TRUE(FindFiles(Folder + "*.ventrakisp", faAnyFile & ~faHidden, list));
  EXPECT_EQ(list, (std::vector<std::string>{"A.ventrakisp", "b.ventrakisp"}));

  list.clear();
  ASSERT_TRUE(FindFiles(Folder + "*.ventrakisp", faAnyFile, list));
  EXPECT_EQ(list, (std::vector<std::string>{".hidden.ventrakisp", "A.ventrakisp", "b.ventrakisp"}));
}

TEST_F(FileHelpersTest, FindFilesTakesSeveralMasksAndListsEachFileOnce) {
  for (const char* name : {"Chords.txt", "Scale Templates.txt", "init.ventrakisp", "z.mid"}) {
    TFakeHome::WriteFile(Folder + name, "x");
  }
  std::vector<std::string> list;
  ASSERT_TRUE(FindFiles(Folder + "*.txt; init.* ;;*s.txt", faAnyFile, list));
  EXPECT_EQ(list, (std::vector<std::string>{"Chords.txt", "init.ventrakisp", "Scale Templates.txt"}));
}

TEST_F(FileHelpersTest, FindFilesInAMissingFolderFailsAndLeavesTheListAlone) {
  std::vector<std::string> list{"kept"};
  EXPECT_FALSE(FindFiles(Home.Root() + "/nowhere/*.ventrakisp", faAnyFile, list));
  EXPECT_EQ(list, std::vector<std::string>{"kept"});
  // An existing folder without matches is a normal end.
  std::filesystem::create_directories(Folder);
  EXPECT_TRUE(FindFiles(Folder + "*.ventrakisp", faAnyFile, list));
}

TEST_F(FileHelpersTest, FileDateIsTheLastWriteTimeOrZero) {
  TFakeHome::WriteFile(Folder + "dated.txt", "x");
  std::filesystem::last_write_time(Folder + "dated.txt",
                                   std::filesystem::file_time_type::clock::now() - std::chrono::hours(48));
  TFileDate date = FileDate(Folder + "dated.txt");
  auto age = std::chrono::system_clock::now() - date;
  EXPECT_GT(age, std::chrono::hours(47));
  EXPECT_LT(age, std::chrono::hours(49));
  EXPECT_EQ(FileDate(Folder + "missing.txt"), TFileDate());
}

TEST_F(FileHelpersTest, BuildDateTextShowsTheDateOfOurOwnFile) {
  // The test program is the file this code is linked into.
  EXPECT_FALSE(BuildDateText().empty());
}

} // namespace
