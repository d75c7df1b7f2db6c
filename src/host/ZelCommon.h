// ZelCommon: the shared number, text, file and shell helpers that need no window.
#pragma once

#include "host/PlatformServices.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Texts are UTF-8. Counts and positions of characters (left, right, from, replace range, pad left)
// are code points, so a name with an umlaut or the minus sign U+2212 is never cut inside a
// character; a byte that is not valid UTF-8 counts as one character. Positions count from 1.
// Searches compare bytes; the case-insensitive variants fold ASCII letters only.
// NoteName, NoteOctave, IntToText, Int64ToText and rounding live in engine/ZelMidi.h.
// Every helper here returns new strings, so none belongs on the audio thread; the file and shell
// helpers use the platform services of the user-interface thread.

// Numbers.

// General decimal form with at most 15 significant digits ("0.100000001490116" for 0.1, "500" for
// 500), the ASCII "-" for negative values and "+" in front of positive ones when plus is set.
// Fixed notation from 0.00001 up to 15 integer digits, else scientific ("1E20", "1.5E-7").
std::string FloatToText(float value, bool plus, char decimalSeparator);
// As above with the user's decimal separator.
std::string FloatToText(float value, bool plus = false);

template <typename T> constexpr bool InRange(T value, T low, T high) {
  return low <= value && value <= high;
}

template <typename T> constexpr T Clamp(T value, T low, T high) {
  return value < low ? low : (value > high ? high : value);
}

template <typename T> constexpr const T& Choose(bool condition, const T& a, const T& b) {
  return condition ? a : b;
}
inline std::string Choose(bool condition, std::string_view a, std::string_view b) {
  return std::string(condition ? a : b);
}

// Text.

// Number of code points.
int32_t TextLength(std::string_view text);
// The first or last count characters (all of them when count exceeds the length, none when count < 1).
std::string LeftText(std::string_view text, int32_t count);
std::string RightText(std::string_view text, int32_t count);
// The characters from position to the end.
std::string TextFrom(std::string_view text, int32_t position);
// What follows the first occurrence of the separator, or empty when it does not occur.
std::string TextAfter(std::string_view separator, std::string_view text);
// What precedes the first occurrence of the separator, or the whole text when it does not occur.
std::string TextBefore(std::string_view separator, std::string_view text);
// The text between the first start marker and the next end marker after it; empty when either is
// missing.
std::string TextBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker,
                        bool caseSensitive);
// Non-overlapping occurrences, searched left to right; 0 for an empty separator.
int32_t CountText(std::string_view separator, std::string_view text);
// Replaces every occurrence left to right; the search resumes after the inserted text.
std::string ReplaceText(std::string_view text, std::string_view find, std::string_view replace,
                        bool ignoreCase);
// The first position - 1 characters, then insert, then what follows the count replaced characters.
std::string ReplaceRange(std::string_view text, int32_t position, int32_t count, std::string_view insert);
// (width - length of text) copies of pad in front of the text.
std::string PadLeft(std::string_view text, std::string_view pad, int32_t width);
std::string RepeatText(int32_t count, std::string_view text);
// Reads a 32-bit integer: optional blanks, optional sign, then decimal digits or "$" and up to eight
// hexadecimal digits (taken as the 32-bit pattern, so "$FFFFFFFF" is -1). Nothing may follow.
bool TryTextToInt(std::string_view text, int32_t& value);
bool IsInteger(std::string_view text);
// Removes one leading and one trailing double-quote character where present.
std::string StripQuotes(std::string_view text);
// Removes leading and trailing blanks and control characters.
std::string TrimText(std::string_view text);
bool SameText(std::string_view a, std::string_view b);

// Field n (from 1) of a delimited text. Double quotes protect delimiters unless ignoreQuotes is
// set, and one pair of enclosing quotes is then removed from the result. With rest set the result
// runs from the field's start to the end of the text. A text that ends with the delimiter has no
// extra empty field after it; a missing field is empty.
std::string GetField(std::string_view text, int32_t n, std::string_view delimiter, bool ignoreQuotes = false,
                     bool rest = false);

// Files and shell.

// Every "\", "/", ":", "*", "?", double quote, "<", ">" and "|" replaced by "_".
std::string SafeFileName(std::string_view text);
// The file name without folder and without its extension (a leading dot is not an extension).
std::string FileNameNoExt(std::string_view path);
// The folder part of a path including its last separator, empty when there is none.
std::string FilePath(std::string_view path);
// The path with a separator at its end.
std::string WithTrailingDelimiter(std::string_view path);
// Tolerates quotes and blanks around the path, and answers false at once for a drive that does not
// answer (a disconnected network or removable drive) instead of waiting on it.
bool CheckedFileExists(std::string_view path);

// Attributes for FindFiles. Files without the hidden attribute are always found; hidden ones (Linux:
// names starting with ".") only with faHidden.
enum TFileAttributes : uint32_t {
  faReadOnly = 0x01,
  faHidden = 0x02,
  faSysFile = 0x04,
  faArchive = 0x20,
  faAnyFile = 0x3F
};

// Wildcard match: "*" any run of characters, "?" one character; "*.*" matches every name.
bool MatchesMask(std::string_view name, std::string_view mask, bool ignoreCase);
// folderAndMasks is a folder with its separator followed by masks separated by ";" ("/p/*.a;*.b").
// Adds the names (not paths) of matching files, never folders, to the list, each name once, and
// sorts the list after each mask, ignoring case. False when the folder cannot be read.
bool FindFiles(std::string_view folderAndMasks, uint32_t attributes, std::vector<std::string>& list);
// The zero date when the file does not exist.
TFileDate FileDate(std::string_view path);
// The date of the plug-in's own library file in the user's short date form; empty when unknown.
std::string BuildDateText();
// Shows the folder in the file manager; true when the request was accepted.
bool OpenInExplorer(std::string_view folder);
// Opens the file with its associated program; above 32 is success (see ShellResult).
int32_t ShellOpen(std::string_view file, std::string_view parameters = {}, std::string_view folder = {},
                  TShowMode showMode = smShowNormal);
