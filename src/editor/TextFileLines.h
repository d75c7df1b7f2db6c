// TextFileLines: the editor's two text files read into lines, written from their defaults when missing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

using TTextLines = std::vector<std::string>;

// Larger files are no chord library or template list; they are left alone and the default is used.
inline constexpr std::size_t MaxTextFileSize = 1024 * 1024;

// The lines of a file's bytes, as UTF-8. A UTF-8 (EF BB BF) or UTF-16 (FF FE, FE FF) byte-order mark
// is honoured and dropped; without one the bytes are taken as UTF-8 when they are valid UTF-8, else
// as the 8-bit code page (Windows-1252). Lines end at CR LF, LF or CR; a break at the very end adds
// no empty line, empty lines in between are kept.
TTextLines DecodeTextLines(std::string_view bytes);

// Where the lines of LoadTextFileLines came from.
enum TTextSource { tsFile, tsWrittenDefault, tsDefaultInMemory };

struct TLoadedTextFile {
  TTextLines Lines;
  TTextSource Source = tsFile;
};

// path := folder + fileName. When no file exists there, creates the folder and writes defaultText
// (a failure is ignored). Then reads the file; when there is none, or it cannot be read, or it is
// larger than MaxTextFileSize, the lines of defaultText. User-interface thread (platform services).
TLoadedTextFile LoadTextFileLines(const std::string& folder, std::string_view fileName,
                                  std::string_view defaultText);
