// TaggedStream: the self-describing value stream of setups, program chunks and preset files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Value tags of the stream.
namespace StreamTag {
constexpr uint8_t EndOfList = 0;
constexpr uint8_t List = 1;
constexpr uint8_t Int8 = 2;
constexpr uint8_t Int16 = 3;
constexpr uint8_t Int32 = 4;
constexpr uint8_t Extended = 5;
constexpr uint8_t String = 6;
constexpr uint8_t False = 8;
constexpr uint8_t True = 9;
constexpr uint8_t LongString = 12;
constexpr uint8_t WideString = 18;
constexpr uint8_t Int64 = 19;
constexpr uint8_t Utf8String = 20;
constexpr uint8_t Double = 21;
} // namespace StreamTag

// The reader's error texts, as users see them inside the load and save error boxes.
namespace StreamErrorText {
constexpr const char* InvalidStreamFormat = "Invalid stream format";
constexpr const char* InvalidPropertyValue = "Invalid property value";
constexpr const char* StreamReadError = "Stream read error";
} // namespace StreamErrorText

// Raised by the reader (and by setup reading) with one of the texts above or a caller's own text.
class EStreamError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Appends tagged values to a byte buffer. Little-endian throughout. Strings are UTF-8 in memory.
class TTaggedWriter {
public:
  explicit TTaggedWriter(std::vector<uint8_t>& buffer) : FBuffer(buffer) {}

  void WriteListBegin();
  void WriteListEnd();
  // Smallest of the 8-, 16- and 32-bit forms that holds the value (64-bit beyond that).
  void WriteInteger(int64_t value);
  void WriteBoolean(bool value);
  // Always the 80-bit extended form.
  void WriteFloat(long double value);
  // Wide, UTF-8, long or short form by the string rule.
  void WriteString(std::string_view utf8);
  // Untagged bytes (the payload signature).
  void WriteRaw(const void* data, std::size_t size);

private:
  std::vector<uint8_t>& FBuffer;
};

// Reads tagged values from a byte range it does not own. Every read checks the remaining bytes and
// throws EStreamError ("Stream read error" when data runs out, "Invalid property value" for a tag that
// does not fit).
class TTaggedReader {
public:
  TTaggedReader(const uint8_t* data, std::size_t size) : FData(data), FSize(size) {}

  // The next tag without consuming it; throws when no byte remains.
  uint8_t PeekTag() const;
  // True when the next tag ends a list (the tag is not consumed).
  bool EndOfList() const { return PeekTag() == StreamTag::EndOfList; }
  void ReadListBegin();
  void ReadListEnd();
  int32_t ReadInteger();
  bool ReadBoolean();
  // Accepts the extended form, a double, or any integer form.
  long double ReadFloat();
  // Accepts the short, long (8-bit code page, decoded as Windows-1252), wide and UTF-8 forms.
  std::string ReadString();
  // Untagged bytes; throws "Stream read error" when fewer remain.
  void ReadRaw(void* data, std::size_t size);

  std::size_t Position() const { return FPosition; }
  std::size_t Remaining() const { return FSize - FPosition; }

private:
  uint8_t ReadByte();
  const uint8_t* FData;
  std::size_t FSize;
  std::size_t FPosition = 0;
};

// 80-bit IEEE 754 extended precision, little-endian, portable on platforms without the type.
void EncodeExtended(long double value, uint8_t out[10]);
long double DecodeExtended(const uint8_t in[10]);

// The 8-bit code page of the short and long string forms, taken as Windows-1252. Decoding maps every
// byte (the five bytes that code page leaves undefined become the C1 controls of the same value);
// encoding turns characters the code page lacks, and broken UTF-8, into '?'.
std::string Windows1252ToUtf8(std::string_view bytes);
std::string Utf8ToWindows1252(std::string_view utf8);
