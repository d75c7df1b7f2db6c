// Fuzz target: the tagged value stream. The input is read as a sequence of values (nested lists
// included); whatever reads must write back in the writer's forms and read again to equal values,
// and writing those values once more gives the same bytes.
#include "FuzzSupport.h"
#include "engine/TaggedStream.h"

#include <cstring>
#include <memory>
#include <variant>

namespace {

struct TValue;
using TList = std::vector<TValue>;
// Floats are kept as their 10 stored bytes, so that NaNs and signed zeros compare exactly.
using TFloatBytes = std::array<uint8_t, 10>;
struct TValue {
  std::variant<int32_t, bool, TFloatBytes, std::string, TList> Data;
  bool operator==(const TValue& other) const = default;
};

// Deep enough for every stream we write (the setup nests four lists); deeper input is refused
// rather than recursed into, as no loader of ours recurses.
constexpr int MaxDepth = 64;

TValue ReadValue(TTaggedReader& reader, int depth);

TList ReadListBody(TTaggedReader& reader, int depth) {
  if (depth > MaxDepth)
    throw EStreamError("too deep");
  TList list;
  while (!reader.EndOfList())
    list.push_back(ReadValue(reader, depth));
  reader.ReadListEnd();
  return list;
}

TValue ReadValue(TTaggedReader& reader, int depth) {
  switch (reader.PeekTag()) {
  case StreamTag::List:
    reader.ReadListBegin();
    return {ReadListBody(reader, depth + 1)};
  case StreamTag::Int8:
  case StreamTag::Int16:
  case StreamTag::Int32:
    return {reader.ReadInteger()};
  case StreamTag::False:
  case StreamTag::True:
    return {reader.ReadBoolean()};
  case StreamTag::Extended:
  case StreamTag::Double:
  case StreamTag::Int64: {
    TFloatBytes bytes{};
    EncodeExtended(reader.ReadFloat(), bytes.data());
    return {bytes};
  }
  default:
    // Strings, and every other tag, which the string reader must refuse cleanly.
    return {reader.ReadString()};
  }
}

void WriteValue(TTaggedWriter& writer, const TValue& value) {
  if (const auto* integer = std::get_if<int32_t>(&value.Data)) {
    writer.WriteInteger(*integer);
  } else if (const auto* flag = std::get_if<bool>(&value.Data)) {
    writer.WriteBoolean(*flag);
  } else if (const auto* bytes = std::get_if<TFloatBytes>(&value.Data)) {
    writer.WriteFloat(DecodeExtended(bytes->data()));
  } else if (const auto* text = std::get_if<std::string>(&value.Data)) {
    writer.WriteString(*text);
  } else {
    writer.WriteListBegin();
    for (const TValue& item : std::get<TList>(value.Data))
      WriteValue(writer, item);
    writer.WriteListEnd();
  }
}

// Values up to the first error; the reader must stop inside the data whatever it meets.
TList ReadAll(const uint8_t* data, std::size_t size) {
  TTaggedReader reader(data, size);
  TList values;
  try {
    while (reader.Remaining() > 0) {
      values.push_back(ReadValue(reader, 0));
      Check(reader.Position() <= size, "reader position inside the data");
    }
  } catch (const EStreamError&) {
    Check(reader.Position() <= size, "reader position inside the data after an error");
  }
  return values;
}

std::vector<uint8_t> WriteAll(const TList& values) {
  std::vector<uint8_t> bytes;
  TTaggedWriter writer(bytes);
  for (const TValue& value : values)
    WriteValue(writer, value);
  return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const TGuardedBytes guarded(data, size);
  const TList values = ReadAll(guarded.Data(), guarded.Size());
  const std::vector<uint8_t> written = WriteAll(values);
  const TGuardedBytes writtenGuarded(written.data(), written.size());
  const TList again = ReadAll(writtenGuarded.Data(), writtenGuarded.Size());
  // Text in the 8-bit forms decodes to UTF-8 that may not map back byte for byte; its second
  // reading must agree with the first all the same.
  Check(again == values, "written values read back equal");
  CheckSame(written, WriteAll(again), "writing read values again gives the same bytes");

  // The string codecs: decoding accepts every byte, encoding never grows past three bytes a unit.
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string decoded = Windows1252ToUtf8(text);
  Check(Utf8ToWindows1252(decoded) == text || text.find_first_of("\x81\x8D\x8F\x90\x9D") != std::string::npos,
        "Windows-1252 text survives a trip through UTF-8");
  Check(Utf8ToWindows1252(text).size() <= size, "encoding never grows the text");
  return 0;
}
