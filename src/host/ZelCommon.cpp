// ZelCommon: the shared number, text, file and shell helpers that need no window.
#include "host/ZelCommon.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

constexpr int32_t SignificantDigits = 15;
// Below this magnitude FloatToText switches to scientific notation.
constexpr int32_t SmallestFixedExponent = -5;

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsContinuationByte(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// Byte length of the character starting at text[i]: a complete, well-formed UTF-8 sequence, or a
// single byte for anything else.
size_t CharacterBytes(std::string_view text, size_t i) {
  auto lead = static_cast<unsigned char>(text[i]);
  size_t length = lead < 0x80                      ? 1
                  : (lead >= 0xC2 && lead <= 0xDF) ? 2
                  : (lead >= 0xE0 && lead <= 0xEF) ? 3
                  : (lead >= 0xF0 && lead <= 0xF4) ? 4
                                                   : 1;
  if (length == 1 || i + length > text.size()) {
    return 1;
  }
  for (size_t k = 1; k < length; ++k) {
    if (!IsContinuationByte(static_cast<unsigned char>(text[i + k]))) {
      return 1;
    }
  }
  return length;
}

// Byte offset of character number index (from 0); the text's size when it has fewer characters.
size_t ByteOffset(std::string_view text, int32_t index) {
  size_t offset = 0;
  for (int32_t k = 0; k < index && offset < text.size(); ++k) {
    offset += CharacterBytes(text, offset);
  }
  return offset;
}

// Byte position of needle in text from start, ASCII case folded when ignoreCase is set.
size_t Find(std::string_view text, std::string_view needle, size_t start, bool ignoreCase) {
  if (!ignoreCase) {
    return text.find(needle, start);
  }
  if (needle.size() > text.size()) {
    return std::string_view::npos;
  }
  for (size_t i = start; i + needle.size() <= text.size(); ++i) {
    size_t k = 0;
    while (k < needle.size() && LowerAscii(text[i + k]) == LowerAscii(needle[k])) {
      ++k;
    }
    if (k == needle.size()) {
      return i;
    }
  }
  return std::string_view::npos;
}

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  c = LowerAscii(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Code points of a text, for wildcard matching character by character.
std::vector<std::string_view> Characters(std::string_view text) {
  std::vector<std::string_view> characters;
  for (size_t i = 0; i < text.size();) {
    size_t length = CharacterBytes(text, i);
    characters.push_back(text.substr(i, length));
    i += length;
  }
  return characters;
}

bool SameCharacter(std::string_view a, std::string_view b, bool ignoreCase) {
  if (!ignoreCase || a.size() != 1 || b.size() != 1) {
    return a == b;
  }
  return LowerAscii(a[0]) == LowerAscii(b[0]);
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    char x = LowerAscii(a[i]);
    char y = LowerAscii(b[i]);
    if (x != y) {
      return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
  }
  if (a.size() != b.size()) {
    return a.size() < b.size();
  }
  return a < b; // names that differ only in case keep a fixed order
}

} // namespace

std::string FloatToText(float value, bool plus, char decimalSeparator) {
  if (std::isnan(value)) {
    return "NAN";
  }
  if (std::isinf(value)) {
    return value > 0 ? (plus ? "+INF" : "INF") : "-INF";
  }
  if (value == 0.0f) {
    return "0";
  }
  // A single widens exactly to a double, so 15 digits of the double are those of the extended value.
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "%.*e", SignificantDigits - 1, std::fabs(static_cast<double>(value)));
  std::string_view printed(buffer);
  size_t exponentAt = printed.find('e');
  std::string digits;
  for (char c : printed.substr(0, exponentAt)) {
    if (c >= '0' && c <= '9') {
      digits += c;
    }
  }
  int32_t exponent = std::atoi(buffer + exponentAt + 1);
  while (digits.size() > 1 && digits.back() == '0') {
    digits.pop_back();
  }

  std::string text = value < 0 ? "-" : (plus ? "+" : "");
  auto digitCount = static_cast<int32_t>(digits.size());
  if (exponent >= SmallestFixedExponent && exponent < SignificantDigits) {
    if (exponent >= 0) {
      int32_t integerDigits = exponent + 1;
      if (digitCount <= integerDigits) {
        text += digits + std::string(static_cast<size_t>(integerDigits - digitCount), '0');
      } else {
        text += digits.substr(0, static_cast<size_t>(integerDigits)) + decimalSeparator +
                digits.substr(static_cast<size_t>(integerDigits));
      }
    } else {
      text +=
          std::string("0") + decimalSeparator + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    }
  } else {
    text += digits.substr(0, 1);
    if (digitCount > 1) {
      text += decimalSeparator + digits.substr(1);
    }
    text += "E" + std::to_string(exponent);
  }
  return text;
}

std::string FloatToText(float value, bool plus) {
  return FloatToText(value, plus, Platform().DecimalSeparator());
}

int32_t TextLength(std::string_view text) {
  int32_t length = 0;
  for (size_t i = 0; i < text.size(); i += CharacterBytes(text, i)) {
    ++length;
  }
  return length;
}

std::string LeftText(std::string_view text, int32_t count) {
  if (count < 1) {
    return {};
  }
  return std::string(text.substr(0, ByteOffset(text, count)));
}

std::string RightText(std::string_view text, int32_t count) {
  if (count < 1) {
    return {};
  }
  int32_t length = TextLength(text);
  return count >= length ? std::string(text) : std::string(text.substr(ByteOffset(text, length - count)));
}

std::string TextFrom(std::string_view text, int32_t position) {
  return std::string(text.substr(ByteOffset(text, std::max(position, 1) - 1)));
}

std::string TextAfter(std::string_view separator, std::string_view text) {
  size_t at = separator.empty() ? std::string_view::npos : text.find(separator);
  return at == std::string_view::npos ? std::string() : std::string(text.substr(at + separator.size()));
}

std::string TextBefore(std::string_view separator, std::string_view text) {
  size_t at = separator.empty() ? std::string_view::npos : text.find(separator);
  return std::string(at == std::string_view::npos ? text : text.substr(0, at));
}

std::string TextBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker,
                        bool caseSensitive) {
  size_t start = startMarker.empty() ? std::string_view::npos : Find(text, startMarker, 0, !caseSensitive);
  if (start == std::string_view::npos || endMarker.empty()) {
    return {};
  }
  size_t begin = start + startMarker.size();
  size_t end = Find(text, endMarker, begin, !caseSensitive);
  if (end == std::string_view::npos || end <= begin) {
    return {};
  }
  return std::string(text.substr(begin, end - begin));
}

int32_t CountText(std::string_view separator, std::string_view text) {
  if (separator.empty()) {
    return 0;
  }
  int32_t count = 0;
  for (size_t at = text.find(separator); at != std::string_view::npos;
       at = text.find(separator, at + separator.size())) {
    ++count;
  }
  return count;
}

std::string ReplaceText(std::string_view text, std::string_view find, std::string_view replace,
                        bool ignoreCase) {
  if (find.empty()) {
    return std::string(text);
  }
  std::string result;
  size_t from = 0;
  for (size_t at = Find(text, find, 0, ignoreCase); at != std::string_view::npos;
       at = Find(text, find, from, ignoreCase)) {
    result.append(text.substr(from, at - from));
    result.append(replace);
    from = at + find.size();
  }
  result.append(text.substr(from));
  return result;
}

std::string ReplaceRange(std::string_view text, int32_t position, int32_t count, std::string_view insert) {
  int32_t first = std::max(position, 1) - 1;
  size_t head = ByteOffset(text, first);
  size_t tail = head + ByteOffset(text.substr(head), std::max(count, 0));
  std::string result(text.substr(0, head));
  result.append(insert);
  result.append(text.substr(tail));
  return result;
}

std::string PadLeft(std::string_view text, std::string_view pad, int32_t width) {
  return RepeatText(width - TextLength(text), pad) + std::string(text);
}

std::string RepeatText(int32_t count, std::string_view text) {
  std::string result;
  if (count > 0) {
    result.reserve(text.size() * static_cast<size_t>(count));
    for (int32_t k = 0; k < count; ++k) {
      result.append(text);
    }
  }
  return result;
}

bool TryTextToInt(std::string_view text, int32_t& value) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i < text.size() && text[i] == '$') {
    ++i;
    size_t digits = text.size() - i;
    if (digits == 0 || digits > 8) {
      return false;
    }
    uint32_t pattern = 0;
    for (; i < text.size(); ++i) {
      int digit = HexDigitValue(text[i]);
      if (digit < 0) {
        return false;
      }
      pattern = pattern * 16 + static_cast<uint32_t>(digit);
    }
    if (negative) {
      pattern = 0u - pattern;
    }
    value = static_cast<int32_t>(pattern);
    return true;
  }
  if (i >= text.size()) {
    return false;
  }
  int64_t magnitude = 0;
  const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                 : std::numeric_limits<int32_t>::max();
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return false;
    }
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > limit) {
      return false;
    }
  }
  value = static_cast<int32_t>(negative ? -magnitude : magnitude);
  return true;
}

bool IsInteger(std::string_view text) {
  int32_t ignored = 0;
  return TryTextToInt(text, ignored);
}

std::string StripQuotes(std::string_view text) {
  if (!text.empty() && text.front() == '"') {
    text.remove_prefix(1);
  }
  if (!text.empty() && text.back() == '"') {
    text.remove_suffix(1);
  }
  return std::string(text);
}

std::string TrimText(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && IsBlank(text.back())) {
    text.remove_suffix(1);
  }
  return std::string(text);
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && Find(a, b, 0, true) == 0;
}

std::string GetField(std::string_view text, int32_t n, std::string_view delimiter, bool ignoreQuotes,
                     bool rest) {
  if (n < 1) {
    return {};
  }
  if (delimiter.empty()) {
    // Nothing can split the text: it is its own first field.
    return n == 1 ? (ignoreQuotes ? std::string(text) : StripQuotes(text)) : std::string();
  }
  std::string terminated(text);
  if (!terminated.ends_with(delimiter)) {
    terminated.append(delimiter);
  }
  std::string_view scan(terminated);
  bool insideQuotes = false;
  int32_t counter = 0;
  size_t fieldStart = 0;
  size_t fieldEnd = std::string_view::npos;
  for (size_t i = 0; i < scan.size();) {
    if (!ignoreQuotes && scan[i] == '"') {
      insideQuotes = !insideQuotes;
    }
    if (!insideQuotes && scan.compare(i, delimiter.size(), delimiter) == 0) {
      if (++counter == n) {
        fieldEnd = i;
        break;
      }
      i += delimiter.size();
      fieldStart = i;
      continue;
    }
    ++i;
  }
  if (fieldEnd == std::string_view::npos) {
    return {};
  }
  std::string_view field = rest ? scan.substr(fieldStart, scan.size() - delimiter.size() - fieldStart)
                                : scan.substr(fieldStart, fieldEnd - fieldStart);
  return ignoreQuotes ? std::string(field) : StripQuotes(field);
}

std::string SafeFileName(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    switch (c) {
    case '\\':
    case '/':
    case ':':
    case '*':
    case '?':
    case '"':
    case '<':
    case '>':
    case '|':
      c = '_';
      break;
    default:
      break;
    }
  }
  return result;
}

std::string FileNameNoExt(std::string_view path) {
  TPlatformServices& platform = Platform();
  size_t nameStart = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    if (platform.IsPathDelimiter(path[i])) {
      nameStart = i + 1;
    }
  }
  std::string_view name = path.substr(nameStart);
  size_t dot = name.rfind('.');
  return std::string(dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot));
}

std::string FilePath(std::string_view path) {
  TPlatformServices& platform = Platform();
  for (size_t i = path.size(); i > 0; --i) {
    if (platform.IsPathDelimiter(path[i - 1])) {
      return std::string(path.substr(0, i));
    }
  }
  return {};
}

std::string WithTrailingDelimiter(std::string_view path) {
  TPlatformServices& platform = Platform();
  std::string result(path);
  if (result.empty() || !platform.IsPathDelimiter(result.back())) {
    result += platform.PathDelimiter();
  }
  return result;
}

bool CheckedFileExists(std::string_view path) {
  std::string cleaned = TrimText(StripQuotes(path));
  if (cleaned.empty()) {
    return false;
  }
  TPlatformServices& platform = Platform();
  // A drive letter path: a drive that does not answer would otherwise stall or ask the user.
  if (cleaned.size() >= 3 && cleaned[1] == ':' && cleaned[2] == '\\' &&
      !platform.VolumeAnswers(cleaned.substr(0, 3))) {
    return false;
  }
  return platform.FileExists(cleaned);
}

bool MatchesMask(std::string_view name, std::string_view mask, bool ignoreCase) {
  if (mask == "*.*" || mask == "*") {
    return true;
  }
  std::vector<std::string_view> text = Characters(name);
  std::vector<std::string_view> pattern = Characters(mask);
  // Greedy matching with one backtrack point: the last "*" seen takes one more character whenever
  // the rest fails, which is linear enough for file names and never recurses.
  size_t t = 0;
  size_t p = 0;
  size_t starAt = std::string_view::npos;
  size_t starText = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == "*") {
      starAt = p++;
      starText = t;
    } else if (p < pattern.size() && (pattern[p] == "?" || SameCharacter(pattern[p], text[t], ignoreCase))) {
      ++p;
      ++t;
    } else if (starAt != std::string_view::npos) {
      p = starAt + 1;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == "*") {
    ++p;
  }
  return p == pattern.size();
}

bool FindFiles(std::string_view folderAndMasks, uint32_t attributes, std::vector<std::string>& list) {
  TPlatformServices& platform = Platform();
  std::string folder = FilePath(folderAndMasks);
  std::string_view masks = folderAndMasks.substr(folder.size());
  std::optional<std::vector<TFolderEntry>> entries = platform.ListFolder(folder);
  if (!entries) {
    return false;
  }
  bool ignoreCase = platform.FileNamesIgnoreCase();
  const bool includeHidden = (attributes & faHidden) != 0;
  for (size_t start = 0; start <= masks.size();) {
    size_t end = std::min(masks.find(';', start), masks.size());
    std::string mask = TrimText(masks.substr(start, end - start));
    start = end + 1;
    if (mask.empty()) {
      continue;
    }
    for (const TFolderEntry& entry : *entries) {
      if (entry.IsDirectory || (entry.IsHidden && !includeHidden) ||
          !MatchesMask(entry.Name, mask, ignoreCase)) {
        continue;
      }
      if (std::find(list.begin(), list.end(), entry.Name) == list.end()) {
        list.push_back(entry.Name);
      }
    }
    std::stable_sort(list.begin(), list.end(), LessIgnoringCase);
  }
  return true;
}

TFileDate FileDate(std::string_view path) {
  return Platform().FileDate(std::string(path));
}

std::string BuildDateText() {
  TPlatformServices& platform = Platform();
  std::string module = platform.ModuleFileName();
  TFileDate date = module.empty() ? TFileDate() : platform.FileDate(module);
  return date == TFileDate() ? std::string() : platform.ShortDateText(date);
}

bool OpenInExplorer(std::string_view folder) {
  return Platform().OpenFolder(std::string(folder));
}

int32_t ShellOpen(std::string_view file, std::string_view parameters, std::string_view folder,
                  TShowMode showMode) {
  return Platform().ShellOpen(std::string(file), std::string(parameters), std::string(folder), showMode);
}
