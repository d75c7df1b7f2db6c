// FileSetup: the built-in texts of the chord library and the scale templates, written when missing.
#pragma once

#include <string>
#include <string_view>

// The holder of the two default texts, by file name. Each line ends with CR LF; all characters are
// ASCII, so the 8-bit text needs no byte-order mark.
class TFileSetupHolder {
public:
  static constexpr std::string_view ChordsFileName = "Chords.txt";
  static constexpr std::string_view ScaleTemplatesFileName = "Scale Templates.txt";

  // The default text of that file; empty for any other name.
  static std::string DefaultText(std::string_view fileName);
};
