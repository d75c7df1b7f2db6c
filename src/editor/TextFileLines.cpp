#include "editor/TextFileLines.h"

#include "engine/TaggedStream.h"
#include "host/PlatformServices.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

namespace {

std::filesystem::path PathFromUtf8(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

void AppendUtf8(std::string& out, uint32_t codePoint) {
  if (codePoint < 0x80) {
    out.push_back(static_cast<char>(codePoint));
  } else if (codePoint < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else if (codePoint < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  }
}

// UTF-16 without its mark; unpaired surrogates and a dangling odd byte become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  constexpr uint32_t Replacement = 0xFFFD;
  std::string out;
  out.reserve(bytes.size());
  const auto unit = [&](std::size_t i) {
    const auto a = static_cast<uint8_t>(bytes[i]);
    const auto b = static_cast<uint8_t>(bytes[i + 1]);
    return bigEndian ? static_cast<uint32_t>((a << 8) | b) : static_cast<uint32_t>((b << 8) | a);
  };
  std::size_t i = 0;
  while (i + 1 < bytes.size()) {
    const uint32_t first = unit(i);
    i += 2;
    if (first >= 0xD800 && first <= 0xDBFF) {
      if (i + 1 < bytes.size()) {
        const uint32_t second = unit(i);
        if (second >= 0xDC00 && second <= 0xDFFF) {
          i += 2;
          AppendUtf8(out, 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00));
          continue;
        }
      }
      AppendUtf8(out, Replacement);
    } else if (first >= 0xDC00 && first <= 0xDFFF) {
      AppendUtf8(out, Replacement);
    } else {
      AppendUtf8(out, first);
    }
  }
  if (i < bytes.size()) {
    AppendUtf8(out, Replacement);
  }
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<uint8_t>(bytes[i]);
    std::size_t length = 0;
    uint32_t codePoint = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      codePoint = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > bytes.size()) {
      return false;
    }
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<uint8_t>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) {
        return false;
      }
      codePoint = (codePoint << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values above U+10FFFF are not UTF-8.
    const bool overlong = (length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000);
    if (overlong || (codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF) {
      return false;
    }
    i += length;
  }
  return true;
}

TTextLines SplitLines(std::string_view text) {
  TTextLines lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) {
    lines.emplace_back(text.substr(start));
  }
  return lines;
}

std::optional<std::string> ReadSmallFile(const std::string& path) {
  const std::filesystem::path source = PathFromUtf8(path);
  std::error_code error;
  const auto size = std::filesystem::file_size(source, error);
  if (error || size > MaxTextFileSize) {
    return std::nullopt;
  }
  std::ifstream in(source, std::ios::binary);
  if (!in) {
    return std::nullopt;
  }
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

// Writes through a temporary file, so that a failed write never leaves a half file that later reads
// would take for the library.
bool WriteNewFile(const std::string& path, std::string_view text) {
  const std::filesystem::path target = PathFromUtf8(path);
  std::filesystem::path temporary = target;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
      return false;
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, target, error);
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return false;
  }
  return true;
}

} // namespace

TTextLines DecodeTextLines(std::string_view bytes) {
  if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    return SplitLines(bytes.substr(3));
  }
  if (StartsWith(bytes, "\xFF\xFE")) {
    return SplitLines(Utf16ToUtf8(bytes.substr(2), false));
  }
  if (StartsWith(bytes, "\xFE\xFF")) {
    return SplitLines(Utf16ToUtf8(bytes.substr(2), true));
  }
  if (IsValidUtf8(bytes)) {
    return SplitLines(bytes);
  }
  return SplitLines(Windows1252ToUtf8(bytes));
}

TLoadedTextFile LoadTextFileLines(const std::string& folder, std::string_view fileName,
                                  std::string_view defaultText) {
  TPlatformServices& platform = Platform();
  const std::string path = folder + std::string(fileName);
  TLoadedTextFile result;
  bool written = false;
  if (!platform.FileExists(path)) {
    try {
      platform.CreateFolders(folder);
      written = WriteNewFile(path, defaultText);
    } catch (const std::exception&) {
      written = false; // a folder that cannot be made: the default serves from memory
    }
  }
  if (platform.FileExists(path)) {
    if (const auto bytes = ReadSmallFile(path)) {
      result.Lines = DecodeTextLines(*bytes);
      result.Source = written ? tsWrittenDefault : tsFile;
      return result;
    }
  }
  result.Lines = DecodeTextLines(defaultText);
  result.Source = tsDefaultInMemory;
  return result;
}
