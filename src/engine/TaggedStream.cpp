// TaggedStream: the self-describing value stream of setups, program chunks and preset files.
#include "engine/TaggedStream.h"

#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr char32_t ReplacementChar = 0xFFFD;
constexpr uint32_t MaxCodePoint = 0x10FFFF;

// Extended precision layout: 64-bit significand with an explicit integer bit, 15-bit exponent.
constexpr int ExtendedBias = 16383;
constexpr int ExtendedMaxExponent = 0x7FFF;
constexpr int SignificandBits = 64;
constexpr uint64_t IntegerBit = uint64_t(1) << 63;
constexpr uint64_t QuietNaNBits = IntegerBit | (uint64_t(1) << 62);

// Code points of Windows-1252 bytes 0x80..0x9F; the undefined bytes keep their own value.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t Cp1252ToCodePoint(uint8_t byte) {
  if (byte >= 0x80 && byte <= 0x9F)
    return Cp1252High[byte - 0x80];
  return byte;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one UTF-8 sequence at pos and advances past it. Overlong forms, surrogates, values beyond
// U+10FFFF and cut-off sequences give U+FFFD for their first byte only, so no text is swallowed.
char32_t NextCodePoint(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<uint8_t>(text[pos]);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  int length = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, cp = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, cp = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, cp = lead & 0x07, minimum = 0x10000;
  } else {
    ++pos;
    return ReplacementChar;
  }
  if (text.size() - pos < static_cast<std::size_t>(length)) {
    ++pos;
    return ReplacementChar;
  }
  for (int i = 1; i < length; ++i) {
    const auto next = static_cast<uint8_t>(text[pos + i]);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return ReplacementChar;
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  if (cp < minimum || cp > MaxCodePoint || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++pos;
    return ReplacementChar;
  }
  pos += length;
  return cp;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t cp = NextCodePoint(utf8, pos);
    if (cp >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

// Cleans text that came from outside: broken sequences become U+FFFD, so every string we hand on is
// well-formed UTF-8.
std::string SanitizeUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();)
    AppendUtf8(out, NextCodePoint(utf8, pos));
  return out;
}

void AppendLittleEndian(std::vector<uint8_t>& buffer, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    buffer.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint64_t LoadLittleEndian(const uint8_t* data, int bytes) {
  uint64_t value = 0;
  for (int i = 0; i < bytes; ++i)
    value |= static_cast<uint64_t>(data[i]) << (8 * i);
  return value;
}

[[noreturn]] void ThrowReadError() {
  throw EStreamError(StreamErrorText::StreamReadError);
}
[[noreturn]] void ThrowInvalidValue() {
  throw EStreamError(StreamErrorText::InvalidPropertyValue);
}

} // namespace

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes)
    AppendUtf8(out, Cp1252ToCodePoint(static_cast<uint8_t>(c)));
  return out;
}

std::string Utf8ToWindows1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t cp = NextCodePoint(utf8, pos);
    char byte = '?';
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      byte = static_cast<char>(cp);
    } else {
      for (std::size_t i = 0; i < Cp1252High.size(); ++i) {
        if (Cp1252High[i] == cp) {
          byte = static_cast<char>(0x80 + i);
          break;
        }
      }
    }
    out.push_back(byte);
  }
  return out;
}

void EncodeExtended(long double value, uint8_t out[10]) {
  const bool negative = std::signbit(value);
  uint64_t significand = 0;
  int exponent = 0;
  if (std::isnan(value)) {
    exponent = ExtendedMaxExponent;
    significand = QuietNaNBits;
  } else if (std::isinf(value)) {
    exponent = ExtendedMaxExponent;
    significand = IntegerBit;
  } else if (value != 0.0L) {
    int binaryExponent = 0;
    // frexp gives a fraction in [0.5, 1); scaled by 2^64 it is the significand with its integer bit
    // on top. Built from the value's parts, so it is the same wherever long double is 64, 80 or
    // 128 bits wide.
    const long double fraction = std::frexp(std::fabs(value), &binaryExponent);
    significand = static_cast<uint64_t>(std::ldexp(fraction, SignificandBits));
    exponent = binaryExponent - 1 + ExtendedBias;
    if (exponent >= ExtendedMaxExponent) {
      exponent = ExtendedMaxExponent;
      significand = IntegerBit;
    } else if (exponent <= 0) {
      // Below the normal range: the denormal form keeps exponent 0 and shifts the significand.
      const int shift = 1 - exponent;
      significand = shift >= SignificandBits ? 0 : significand >> shift;
      exponent = 0;
    }
  }
  for (int i = 0; i < 8; ++i)
    out[i] = static_cast<uint8_t>(significand >> (8 * i));
  const uint16_t signExponent = static_cast<uint16_t>((negative ? 0x8000 : 0) | exponent);
  out[8] = static_cast<uint8_t>(signExponent & 0xFF);
  out[9] = static_cast<uint8_t>(signExponent >> 8);
}

long double DecodeExtended(const uint8_t in[10]) {
  const uint64_t significand = LoadLittleEndian(in, 8);
  const int signExponent = in[8] | (in[9] << 8);
  const bool negative = (signExponent & 0x8000) != 0;
  const int exponent = signExponent & ExtendedMaxExponent;
  long double magnitude = 0.0L;
  if (exponent == ExtendedMaxExponent) {
    magnitude = (significand & ~IntegerBit) == 0 ? std::numeric_limits<long double>::infinity()
                                                 : std::numeric_limits<long double>::quiet_NaN();
  } else if (significand != 0) {
    // Denormals (exponent 0) share the scale of exponent 1; a narrower long double rounds the
    // significand first and lets ldexp flush or overflow as the platform does.
    const int unbiased = (exponent == 0 ? 1 : exponent) - ExtendedBias;
    magnitude = std::ldexp(static_cast<long double>(significand), unbiased - (SignificandBits - 1));
  }
  return negative ? -magnitude : magnitude;
}

// --- Writer ---

void TTaggedWriter::WriteListBegin() {
  FBuffer.push_back(StreamTag::List);
}

void TTaggedWriter::WriteListEnd() {
  FBuffer.push_back(StreamTag::EndOfList);
}

void TTaggedWriter::WriteInteger(int64_t value) {
  if (value >= std::numeric_limits<int8_t>::min() && value <= std::numeric_limits<int8_t>::max()) {
    FBuffer.push_back(StreamTag::Int8);
    AppendLittleEndian(FBuffer, static_cast<uint64_t>(value), 1);
  } else if (value >= std::numeric_limits<int16_t>::min() && value <= std::numeric_limits<int16_t>::max()) {
    FBuffer.push_back(StreamTag::Int16);
    AppendLittleEndian(FBuffer, static_cast<uint64_t>(value), 2);
  } else if (value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max()) {
    FBuffer.push_back(StreamTag::Int32);
    AppendLittleEndian(FBuffer, static_cast<uint64_t>(value), 4);
  } else {
    FBuffer.push_back(StreamTag::Int64);
    AppendLittleEndian(FBuffer, static_cast<uint64_t>(value), 8);
  }
}

void TTaggedWriter::WriteBoolean(bool value) {
  FBuffer.push_back(value ? StreamTag::True : StreamTag::False);
}

void TTaggedWriter::WriteFloat(long double value) {
  FBuffer.push_back(StreamTag::Extended);
  uint8_t bytes[10];
  EncodeExtended(value, bytes);
  FBuffer.insert(FBuffer.end(), bytes, bytes + sizeof bytes);
}

void TTaggedWriter::WriteString(std::string_view utf8) {
  const std::u16string wide = Utf8ToUtf16(utf8);
  bool hasHighBytes = false;
  for (const char c : utf8)
    hasHighBytes = hasHighBytes || static_cast<uint8_t>(c) >= 0x80;
  // Text whose UTF-8 form is at least twice as long as its UTF-16 form (the empty text among it)
  // is cheaper as UTF-16; other non-ASCII text goes as UTF-8; plain ASCII takes the 8-bit forms.
  if (utf8.size() >= 2 * wide.size()) {
    FBuffer.push_back(StreamTag::WideString);
    AppendLittleEndian(FBuffer, wide.size(), 4);
    for (const char16_t unit : wide)
      AppendLittleEndian(FBuffer, unit, 2);
  } else if (hasHighBytes) {
    FBuffer.push_back(StreamTag::Utf8String);
    AppendLittleEndian(FBuffer, utf8.size(), 4);
    WriteRaw(utf8.data(), utf8.size());
  } else {
    const std::string bytes = Utf8ToWindows1252(utf8);
    if (bytes.size() >= 256) {
      FBuffer.push_back(StreamTag::LongString);
      AppendLittleEndian(FBuffer, bytes.size(), 4);
    } else {
      FBuffer.push_back(StreamTag::String);
      AppendLittleEndian(FBuffer, bytes.size(), 1);
    }
    WriteRaw(bytes.data(), bytes.size());
  }
}

void TTaggedWriter::WriteRaw(const void* data, std::size_t size) {
  if (size == 0)
    return;
  const auto* bytes = static_cast<const uint8_t*>(data);
  FBuffer.insert(FBuffer.end(), bytes, bytes + size);
}

// --- Reader ---

uint8_t TTaggedReader::PeekTag() const {
  if (FPosition >= FSize)
    ThrowReadError();
  return FData[FPosition];
}

uint8_t TTaggedReader::ReadByte() {
  const uint8_t byte = PeekTag();
  ++FPosition;
  return byte;
}

void TTaggedReader::ReadListBegin() {
  if (ReadByte() != StreamTag::List)
    ThrowInvalidValue();
}

void TTaggedReader::ReadListEnd() {
  if (ReadByte() != StreamTag::EndOfList)
    ThrowInvalidValue();
}

namespace {

// Reads a little-endian signed number of the given width; the caller has checked the bytes.
int64_t SignedFromBytes(const uint8_t* data, int bytes) {
  const uint64_t raw = LoadLittleEndian(data, bytes);
  const int unusedBits = 64 - 8 * bytes;
  return static_cast<int64_t>(raw << unusedBits) >> unusedBits;
}

} // namespace

int32_t TTaggedReader::ReadInteger() {
  int width = 0;
  switch (ReadByte()) {
  case StreamTag::Int8:
    width = 1;
    break;
  case StreamTag::Int16:
    width = 2;
    break;
  case StreamTag::Int32:
    width = 4;
    break;
  default:
    ThrowInvalidValue();
  }
  uint8_t bytes[4];
  ReadRaw(bytes, static_cast<std::size_t>(width));
  return static_cast<int32_t>(SignedFromBytes(bytes, width));
}

bool TTaggedReader::ReadBoolean() {
  switch (ReadByte()) {
  case StreamTag::True:
    return true;
  case StreamTag::False:
    return false;
  default:
    ThrowInvalidValue();
  }
}

long double TTaggedReader::ReadFloat() {
  uint8_t bytes[10];
  switch (ReadByte()) {
  case StreamTag::Extended:
    ReadRaw(bytes, 10);
    return DecodeExtended(bytes);
  case StreamTag::Double: {
    ReadRaw(bytes, 8);
    const uint64_t raw = LoadLittleEndian(bytes, 8);
    double value = 0.0;
    static_assert(sizeof value == sizeof raw, "IEEE double expected");
    std::memcpy(&value, &raw, sizeof value);
    return value;
  }
  case StreamTag::Int8:
    ReadRaw(bytes, 1);
    return static_cast<long double>(SignedFromBytes(bytes, 1));
  case StreamTag::Int16:
    ReadRaw(bytes, 2);
    return static_cast<long double>(SignedFromBytes(bytes, 2));
  case StreamTag::Int32:
    ReadRaw(bytes, 4);
    return static_cast<long double>(SignedFromBytes(bytes, 4));
  case StreamTag::Int64:
    ReadRaw(bytes, 8);
    return static_cast<long double>(SignedFromBytes(bytes, 8));
  default:
    ThrowInvalidValue();
  }
}

std::string TTaggedReader::ReadString() {
  const uint8_t tag = ReadByte();
  uint8_t lengthBytes[4];
  std::size_t length = 0;
  switch (tag) {
  case StreamTag::String:
    ReadRaw(lengthBytes, 1);
    length = lengthBytes[0];
    break;
  case StreamTag::LongString:
  case StreamTag::WideString:
  case StreamTag::Utf8String: {
    ReadRaw(lengthBytes, 4);
    const int64_t count = SignedFromBytes(lengthBytes, 4);
    if (count < 0)
      ThrowInvalidValue();
    length = static_cast<std::size_t>(count);
    break;
  }
  default:
    ThrowInvalidValue();
  }
  // The byte count is checked against what remains before anything is allocated, so a damaged
  // length can neither read past the data nor ask for gigabytes.
  const std::size_t byteCount = tag == StreamTag::WideString ? 2 * length : length;
  if (length > Remaining() || byteCount > Remaining())
    ThrowReadError();
  const std::string_view raw(reinterpret_cast<const char*>(FData + FPosition), byteCount);
  FPosition += byteCount;
  if (tag == StreamTag::String || tag == StreamTag::LongString)
    return Windows1252ToUtf8(raw);
  if (tag == StreamTag::Utf8String)
    return SanitizeUtf8(raw);
  std::string out;
  out.reserve(byteCount);
  const auto* units = reinterpret_cast<const uint8_t*>(raw.data());
  for (std::size_t i = 0; i < length; ++i) {
    const char32_t unit = units[2 * i] | (units[2 * i + 1] << 8);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length) {
      const char32_t low = units[2 * i + 2] | (units[2 * i + 3] << 8);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    // A lone surrogate has no UTF-8 form.
    AppendUtf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? ReplacementChar : unit);
  }
  return out;
}

void TTaggedReader::ReadRaw(void* data, std::size_t size) {
  if (size > Remaining())
    ThrowReadError();
  if (size > 0)
    std::memcpy(data, FData + FPosition, size);
  FPosition += size;
}
