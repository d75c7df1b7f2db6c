#include "editor/FileSetup.h"

#include <array>

namespace {
// The built-in chord library, one entry per line.
constexpr std::array<std::string_view, 66> ChordLines = {
    "Major 3rd;Maj3rd,0,4",
    "Minor 3rd;Min3rd,0,3",
    "Fifth;5th,0,7",
    "Fifth Octave;5thOct,0,7,12",
    "Octave;Oct,0,12",
    "Octave 2;Oct 2,0,-12,12",
    "-",
    "Major;Maj,0,4,7",
    "Minor;Min,0,3,7",
    "Augmented;Aug,0,4,8",
    "Diminished;Dim,0,3,6",
    ">Suspended",
    "Sus 2;Sus2,0,2,7",
    "Sus 4;Sus4,0,5,7",
    "6 Sus 4;6Sus4,0,5,7,9",
    "7 Sus 4;7Sus4,0,5,7,10",
    "Maj7 Sus 4;M7Sus4,0,5,7,11",
    "9 Sus 4;9Sus4,0,5,7,10,14",
    "Maj9 Sus 4;M9Sus4,0,5,7,11,14",
    ">Added",
    "Add 9;Add9,0,4,7,14",
    "Minor Add 9;mAdd9,0,3,7,14",
    "Add 11;Add11,0,4,7,17",
    "Minor Add 11;mAdd11,0,3,7,17",
    "7 Add 11;7Add11,0,4,7,10,17",
    "Major 7 Add 11;M7A11,0,4,7,11,17",
    "Minor 7 Add 11;m7A11,0,3,7,10,17",
    ">Sixth",
    "Major 6;Maj6,0,4,7,9",
    "Minor 6;Min6,0,3,7,9",
    "Major 6 Add 9;M6Add9,0,4,7,9,14",
    "Minor 6 Add 9;m6Add9,0,3,7,9,14",
    ">Seventh",
    "Major 7;Maj7,0,4,7,11",
    "Minor 7;Min7,0,3,7,10",
    "Minor/Major 7;mM7,0,3,7,11",
    "Dominant 7;Dom7,0,4,7,10",
    "Dominant 7b5;Dom7b5,0,4,6,10",
    "Minor 7#5;Min7#5,0,3,8,10",
    "Augmented Major 7;AugM7,0,4,8,11",
    "Augmented 7 (7#5);Aug7#5,0,4,8,10",
    "Diminished 7;Dim7,0,3,6,9",
    "Half Diminished 7 (m7b5);hDim7,0,3,6,10",
    ">Ninth",
    "Major 9;Maj9,0,4,7,11,14",
    "Minor 9;Min9,0,3,7,10,14",
    "Minor/Major 9;mM9,0,3,7,11,14",
    "Dominant 9;Dom9,0,4,7,10,14",
    "Dominant 7b9;Dom7b9,0,4,7,10,13",
    "Dominant 7#9;Dom7#9,0,4,7,10,15",
    "Dominant 7#5b9;D7#5b9,0,4,8,10,13",
    "Diminished 9;Dim9,0,3,6,9,14",
    "Half Diminished 9;hDim9,0,3,6,10,14",
    ">Eleventh",
    "Major 11;Maj11,0,4,7,11,14,17",
    "Minor 11;Min11,0,3,7,10,14,17",
    "Minor/Major 11;mM11,0,3,7,11,14,17",
    "Dominant 11;Dom11,0,4,7,10,14,17",
    "Dominant 9#11;D9#11,0,4,7,10,14,18",
    "Diminished 11;Dim11,0,3,6,9,13,16",
    "Half Diminished 11;hDim11,0,3,6,10,13,17",
    ">Thirteenth",
    "Major 13;Maj13,0,4,7,11,14,17,21",
    "Minor 13;Min13,0,3,7,10,14,17,21",
    "Minor/Major 13;mM13,0,3,7,11,14,17,21",
    "Dominant 13;Dom13,0,4,7,10,14,17,21",
};

// The built-in scale templates. The variation lines repeat the degrees of "Major" or "Minor" before
// their "|".
constexpr std::array<std::string_view, 52> TemplateLines = {
    "Major;0,Maj,0,4,7;2,Min,0,3,7;4,Min,0,3,7;5,Maj,0,4,7;7,Maj,0,4,7;9,Min,0,3,7;11,Dim,0,3,6",
    "Minor;0,Min,0,3,7;2,Dim,0,3,6;3,Maj,0,4,7;5,Min,0,3,7;7,Min,0,3,7;8,Maj,0,4,7;10,Maj,0,4,7",
    "Harmonic Minor;0,Min,0,3,7;2,Dim,0,3,6;3,Aug,0,4,8;5,Min,0,3,7;7,Maj,0,4,7;8,Maj,0,4,7;11,Dim,0,3,6",
    "Melodic Minor;0,Min,0,3,7;2,Min,0,3,7;3,Aug,0,4,8;5,Maj,0,4,7;7,Maj,0,4,7;9,Dim,0,3,6;11,Dim,0,3,6",
    "Major Pentatonic;0,Maj,0,4,7;2,Sus4,0,5,7;4,Min#5,0,3,8;7,Sus4,0,5,7;9,Min7,0,3,7,10",
    "Minor Pentatonic;0,Min,0,3,5;3,Sus2,0,2,5;5,Sus4,0,5,7;7,Min#5,0,3,8;10,Sus4,0,5,7",
    "-",
    ">Variations",
    "Major - "
    "Suspended;0,Maj,0,4,7;2,Min,0,3,7;4,Min,0,3,7;5,Maj,0,4,7;7,Maj,0,4,7;9,Min,0,3,7;11,Dim,0,3,6|0,Sus4,0,"
    "5,7;2,Sus2,0,2,7;5,Sus2,0,2,7;7,Sus4,0,5,7;9,Sus2,0,2,7",
    "Major - "
    "Sevenths;0,Maj,0,4,7;2,Min,0,3,7;4,Min,0,3,7;5,Maj,0,4,7;7,Maj,0,4,7;9,Min,0,3,7;11,Dim,0,3,6|0,Maj7,0,"
    "4,7,11;2,Min7,0,3,7,10;5,Maj7,0,4,7,11;7,Dom7,0,4,7,10;9,Min7,0,3,7,10",
    "Major - "
    "Ninths;0,Maj,0,4,7;2,Min,0,3,7;4,Min,0,3,7;5,Maj,0,4,7;7,Maj,0,4,7;9,Min,0,3,7;11,Dim,0,3,6|0,Maj9,0,4,"
    "7,11,14;2,Min9,0,3,7,10,14;5,Maj9,0,4,7,11,14;7,Dom9,0,4,7,10,14;9,Min9,0,3,7,10,14",
    "Minor - "
    "Suspended;0,Min,0,3,7;2,Dim,0,3,6;3,Maj,0,4,7;5,Min,0,3,7;7,Min,0,3,7;8,Maj,0,4,7;10,Maj,0,4,7|0,Sus2,0,"
    "2,7;3,Sus4,0,5,7;5,Sus4,0,5,7;7,Sus4,0,5,7;8,Sus2,0,2,7",
    "Minor - "
    "Sevenths;0,Min,0,3,7;2,Dim,0,3,6;3,Maj,0,4,7;5,Min,0,3,7;7,Min,0,3,7;8,Maj,0,4,7;10,Maj,0,4,7|0,Min7,0,"
    "3,7,10;2,hDim7,0,3,6,10;5,Min7,0,3,7,10;7,Min7,0,3,7,10;8,Maj7,0,4,7,11",
    ">Harmonized",
    "Major - "
    "Thirds;0,Maj3rd,0,4;2,Min3rd,0,3;4,Min3rd,0,3;5,Maj3rd,0,4;7,Maj3rd,0,4;9,Min3rd,0,3;11,Min3rd,0,3",
    "Major - Fifths;0,5th,0,7;2,5th,0,7;4,5th,0,7;5,5th,0,7;7,5th,0,7;9,5th,0,7;11,Dim5th,0,6",
    "Major - "
    "Fifths/"
    "Oct;0,5thOct,0,7,12;2,5thOct,0,7,12;4,5thOct,0,7,12;5,5thOct,0,7,12;7,5thOct,0,7,12;9,5thOct,0,7,12;11,"
    "Dim5th,0,6,12",
    "Major - Octaves;0,Oct,0,12;2,Oct,0,12;4,Oct,0,12;5,Oct,0,12;7,Oct,0,12;9,Oct,0,12;11,Oct,0,12",
    "Major - Octaves 2;0,Oct 2,0,12,-12;2,Oct 2,0,12,-12;4,Oct 2,0,12,-12;5,Oct 2,0,12,-12;7,Oct "
    "2,0,12,-12;9,Oct 2,0,12,-12;11,Oct 2,0,12,-12",
    "Minor - "
    "Thirds;0,Min3rd,0,3;2,Min3rd,0,3;3,Maj3rd,0,4;5,Min3rd,0,3;7,Min3rd,0,3;8,Maj3rd,0,4;10,Maj3rd,0,4",
    "Minor - Fifths;0,5th,0,7;2,Dim5th,0,6;3,5th,0,7;5,5th,0,7;7,5th,0,7;8,5th,0,7;10,5th,0,7",
    "Minor - "
    "Fifths/"
    "Oct;0,5thOct,0,7,12;2,Dim5th,0,6,12;3,5thOct,0,7,12;5,5thOct,0,7,12;7,5thOct,0,7,12;8,5thOct,0,7,12;10,"
    "5thOct,0,7,12",
    "Minor - Octaves;0,Oct,0,12;2,Oct,0,12;3,Oct,0,12;5,Oct,0,12;7,Oct,0,12;8,Oct,0,12;10,Oct,0,12",
    "Minor - Octaves 2;0,Oct 2,0,12,-12;2,Oct 2,0,12,-12;3,Oct 2,0,12,-12;5,Oct 2,0,12,-12;7,Oct "
    "2,0,12,-12;8,Oct 2,0,12,-12;10,Oct 2,0,12,-12",
    ">",
    "-",
    ">Scale Only",
    "Chromatic;0;1;2;3;4;5;6;7;8;9;10;11",
    "Major;0;2;4;5;7;9;11",
    "Minor;0;2;3;5;7;8;10",
    "Harmonic Minor;0;2;3;5;7;8;11",
    "Melodic Minor;0;2;3;5;7;9;11",
    "Major Pentatonic;0;2;4;7;9",
    "Minor Pentatonic;0;3;5;7;10",
    "Blues;0;3;5;6;7;10",
    "-",
    "Dorian;0;2;3;5;7;9;10",
    "Locrian;0;1;3;5;6;8;10",
    "Lydian;0;2;4;6;7;9;11",
    "Mixolydian;0;2;4;5;7;9;10",
    "Phrygian;0;1;3;5;7;8;10",
    "-",
    "Augmented;0;3;4;7;8;11",
    "Balinese;0;1;3;7;8",
    "Bebop Major;0;2;4;5;7;8;9;11",
    "Bebop Minor;0;2;3;4;5;7;9;10",
    "Diminished;0;2;3;5;6;8;9;11",
    "Egyptian;0;2;5;7;10",
    "Hungarian Major;0;3;4;6;7;9;10",
    "Hungarian Minor;0;2;3;6;7;8;11",
    "Persian;0;1;4;5;6;8;11",
    "Whole Tone;0;2;4;6;8;10",
};

std::string JoinLines(const auto& lines) {
  std::string text;
  for (const std::string_view line : lines) {
    text.append(line);
    text.append("\r\n");
  }
  return text;
}
} // namespace

std::string TFileSetupHolder::DefaultText(std::string_view fileName) {
  if (fileName == ChordsFileName) {
    return JoinLines(ChordLines);
  }
  if (fileName == ScaleTemplatesFileName) {
    return JoinLines(TemplateLines);
  }
  return {};
}
