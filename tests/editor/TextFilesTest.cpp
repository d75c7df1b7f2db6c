// The chord library and template files: the built-in texts, writing them when missing, reading marks.
#include "editor/FileSetup.h"
#include "editor/TextFileLines.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

uint32_t Fnv1a(std::string_view bytes) {
  uint32_t hash = 0x811C9DC5u;
  for (const char c : bytes) {
    hash ^= static_cast<uint8_t>(c);
    hash *= 0x01000193u;
  }
  return hash;
}

class TTempFolder {
public:
  TTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "triaxo-editor-XXXXXX").string();
    FRoot = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
  }
  ~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FRoot, ignored);
  }
  std::string Folder(const std::string& sub) const { return FRoot + "/" + sub + "/"; }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  static void Write(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

private:
  std::string FRoot;
};

} // namespace

TEST(DefaultFiles, AreTheBuiltInLinesInEightBitTextWithCrLfAndNoMark) {
  const std::string chords = TFileSetupHolder::DefaultText(TFileSetupHolder::ChordsFileName);
  const std::string templates = TFileSetupHolder::DefaultText(TFileSetupHolder::ScaleTemplatesFileName);
  // The exact bytes of both texts.
  EXPECT_EQ(chords.size(), 1720u);
  EXPECT_EQ(Fnv1a(chords), 0x6A28BC20u);
  EXPECT_EQ(templates.size(), 3248u);
  EXPECT_EQ(Fnv1a(templates), 0xF9F87A33u);
  for (const std::string* text : {&chords, &templates}) {
    EXPECT_NE(static_cast<uint8_t>(text->front()), 0xEF);
    EXPECT_TRUE(text->ends_with("\r\n"));
    for (std::size_t i = 0; i < text->size(); ++i) {
      ASSERT_LT(static_cast<uint8_t>((*text)[i]), 0x80u) << i;
      if ((*text)[i] == '\n') {
        ASSERT_EQ((*text)[i - 1], '\r') << i;
      }
    }
  }
  const TTextLines chordLines = DecodeTextLines(chords);
  ASSERT_EQ(chordLines.size(), 66u);
  EXPECT_EQ(chordLines[5], "Octave 2;Oct 2,0,-12,12");
  EXPECT_EQ(chordLines[27], ">Sixth");
  EXPECT_EQ(chordLines[42], "Half Diminished 7 (m7b5);hDim7,0,3,6,10");
  EXPECT_EQ(chordLines[65], "Dominant 13;Dom13,0,4,7,10,14,17,21");
  const TTextLines templateLines = DecodeTextLines(templates);
  ASSERT_EQ(templateLines.size(), 52u);
  EXPECT_EQ(templateLines[9], "Major - Sevenths;0,Maj,0,4,7;2,Min,0,3,7;4,Min,0,3,7;5,Maj,0,4,7;7,Maj,0,4,7;"
                              "9,Min,0,3,7;11,Dim,0,3,6|0,Maj7,0,4,7,11;2,Min7,0,3,7,10;5,Maj7,0,4,7,11;"
                              "7,Dom7,0,4,7,10;9,Min7,0,3,7,10");
  EXPECT_EQ(templateLines[24], ">");
  EXPECT_EQ(templateLines[26], ">Scale Only");
  EXPECT_EQ(templateLines[51], "Whole Tone;0;2;4;6;8;10");
  EXPECT_EQ(TFileSetupHolder::DefaultText("Other.txt"), "");
}

TEST(TextFiles, MissingFileIsWrittenFromTheDefaultAndAnExistingOneIsReadAsItIs) {
  TTempFolder temp;
  const std::string folder = temp.Folder("Ventrakis/Triaxo");
  const std::string text = TFileSetupHolder::DefaultText(TFileSetupHolder::ChordsFileName);
  const TLoadedTextFile first = LoadTextFileLines(folder, "Chords.txt", text);
  EXPECT_EQ(first.Source, tsWrittenDefault);
  EXPECT_EQ(first.Lines.size(), 66u);
  EXPECT_EQ(TTempFolder::Read(folder + "Chords.txt"), text);
  EXPECT_FALSE(std::filesystem::exists(folder + "Chords.txt.tmp"));

  TTempFolder::Write(folder + "Chords.txt", "Mine;M,0,4\r\n\r\n-\r\n");
  const TLoadedTextFile second = LoadTextFileLines(folder, "Chords.txt", text);
  EXPECT_EQ(second.Source, tsFile);
  EXPECT_EQ(second.Lines, (TTextLines{"Mine;M,0,4", "", "-"}));
  EXPECT_EQ(TTempFolder::Read(folder + "Chords.txt"), "Mine;M,0,4\r\n\r\n-\r\n");
}

TEST(TextFiles, FolderThatCannotBeMadeFallsBackToTheDefaultInMemory) {
  TTempFolder temp;
  // A file where a folder would have to go: no user and no permission setting can create it.
  TTempFolder::Write(temp.Folder("blocked").substr(0, temp.Folder("blocked").size() - 1), "x");
  const std::string folder = temp.Folder("blocked/Triaxo");
  const std::string text = TFileSetupHolder::DefaultText(TFileSetupHolder::ScaleTemplatesFileName);
  const TLoadedTextFile loaded = LoadTextFileLines(folder, "Scale Templates.txt", text);
  EXPECT_EQ(loaded.Source, tsDefaultInMemory);
  EXPECT_EQ(loaded.Lines, DecodeTextLines(text));
}

TEST(TextFiles, OversizedFileIsLeftAloneAndTheDefaultUsed) {
  TTempFolder temp;
  const std::string folder = temp.Folder("big");
  std::filesystem::create_directories(folder);
  TTempFolder::Write(folder + "Chords.txt", std::string(MaxTextFileSize + 1, 'a'));
  const TLoadedTextFile loaded = LoadTextFileLines(folder, "Chords.txt", "A;a,0\r\n");
  EXPECT_EQ(loaded.Source, tsDefaultInMemory);
  EXPECT_EQ(loaded.Lines, TTextLines{"A;a,0"});
  EXPECT_EQ(std::filesystem::file_size(folder + "Chords.txt"), MaxTextFileSize + 1);
}

TEST(TextFiles, ByteOrderMarksAreHonouredAndUnmarkedBytesAreUtf8OrTheEightBitCodePage) {
  // "Dür;D,0" and "-" in each encoding.
  EXPECT_EQ(DecodeTextLines("\xEF\xBB\xBF"
                            "D\xC3\xBCr;D,0\r\n-"),
            (TTextLines{"D\xC3\xBCr;D,0", "-"}));
  EXPECT_EQ(DecodeTextLines(std::string("\xFF\xFE"
                                        "D\0\xFC\0r\0;\0\r\0\n\0-\0",
                                        16)),
            (TTextLines{"D\xC3\xBCr;", "-"}));
  EXPECT_EQ(DecodeTextLines(std::string("\xFE\xFF"
                                        "\0D\0\xFC\0r\0\n\xD8\x3D\xDE\x00",
                                        14)),
            (TTextLines{"D\xC3\xBCr", "\xF0\x9F\x98\x80"}));
  // Without a mark: valid UTF-8 stays, anything else is Windows-1252 ("é" is E9, "€" is 80).
  EXPECT_EQ(DecodeTextLines("D\xC3\xBCr"), TTextLines{"D\xC3\xBCr"});
  EXPECT_EQ(DecodeTextLines("Caf\xE9 \x80"), TTextLines{"Caf\xC3\xA9 \xE2\x82\xAC"});
  // A broken UTF-16 tail becomes U+FFFD instead of being dropped.
  EXPECT_EQ(DecodeTextLines(std::string("\xFF\xFE"
                                        "A\0\x00\xD8",
                                        6)),
            (TTextLines{"A\xEF\xBF\xBD"}));
}

TEST(TextFiles, LinesBreakAtCrLfLfOrCrAndKeepEmptyLines) {
  EXPECT_EQ(DecodeTextLines("a\r\nb\nc\rd"), (TTextLines{"a", "b", "c", "d"}));
  EXPECT_EQ(DecodeTextLines("a\r\n\r\n\r\nb\r\n"), (TTextLines{"a", "", "", "b"}));
  EXPECT_EQ(DecodeTextLines("\n"), TTextLines{""});
  EXPECT_TRUE(DecodeTextLines("").empty());
}
