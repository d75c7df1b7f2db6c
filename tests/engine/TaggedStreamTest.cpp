// Tests of the tagged value stream: exact encodings, round trips and damaged input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "engine/TaggedStream.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes StringBytes(const std::string& text) {
  Bytes out;
  TTaggedWriter(out).WriteString(text);
  return out;
}

Bytes IntegerBytes(int64_t value) {
  Bytes out;
  TTaggedWriter(out).WriteInteger(value);
  return out;
}

std::string ReadBackString(const Bytes& bytes) {
  TTaggedReader reader(bytes.data(), bytes.size());
  std::string text = reader.ReadString();
  EXPECT_EQ(reader.Remaining(), 0u);
  return text;
}

std::string ErrorTextOf(const Bytes& bytes, void (*read)(TTaggedReader&)) {
  TTaggedReader reader(bytes.data(), bytes.size());
  try {
    read(reader);
  } catch (const EStreamError& error) {
    return error.what();
  }
  return "no error";
}

const std::string Umlaut = "\xC3\xA4"; // U+00E4

} // namespace

TEST(TaggedStream, IntegersTakeTheSmallestForm) {
  EXPECT_EQ(IntegerBytes(0), (Bytes{0x02, 0x00}));
  EXPECT_EQ(IntegerBytes(-1), (Bytes{0x02, 0xFF}));
  EXPECT_EQ(IntegerBytes(10), (Bytes{0x02, 0x0A}));
  EXPECT_EQ(IntegerBytes(74), (Bytes{0x02, 0x4A}));
  EXPECT_EQ(IntegerBytes(127), (Bytes{0x02, 0x7F}));
  EXPECT_EQ(IntegerBytes(-128), (Bytes{0x02, 0x80}));
  EXPECT_EQ(IntegerBytes(128), (Bytes{0x03, 0x80, 0x00}));
  EXPECT_EQ(IntegerBytes(200), (Bytes{0x03, 0xC8, 0x00}));
  EXPECT_EQ(IntegerBytes(300), (Bytes{0x03, 0x2C, 0x01}));
  EXPECT_EQ(IntegerBytes(-32768), (Bytes{0x03, 0x00, 0x80}));
  EXPECT_EQ(IntegerBytes(32768), (Bytes{0x04, 0x00, 0x80, 0x00, 0x00}));
  EXPECT_EQ(IntegerBytes(-2147483648LL), (Bytes{0x04, 0x00, 0x00, 0x00, 0x80}));
  EXPECT_EQ(IntegerBytes(2147483648LL), (Bytes{0x13, 0x00, 0x00, 0x00, 0x80, 0, 0, 0, 0}));
  for (const int64_t value : {-1LL, 128LL, -32768LL, 32768LL, -2147483648LL, 2147483647LL}) {
    const Bytes bytes = IntegerBytes(value);
    TTaggedReader reader(bytes.data(), bytes.size());
    EXPECT_EQ(reader.ReadInteger(), value);
    EXPECT_EQ(reader.Remaining(), 0u);
  }
}

TEST(TaggedStream, StringsFollowTheStringRule) {
  // Empty: UTF-8 length 0 is at least twice 0 code units, so the wide form with count 0.
  EXPECT_EQ(StringBytes(""), (Bytes{0x12, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(StringBytes("Maj"), (Bytes{0x06, 0x03, 'M', 'a', 'j'}));
  EXPECT_EQ(StringBytes("1.00"), (Bytes{0x06, 0x04, 0x31, 0x2E, 0x30, 0x30}));
  // Three letters and an umlaut: 5 UTF-8 bytes, 4 code units, so UTF-8.
  EXPECT_EQ(StringBytes("Dim" + Umlaut), (Bytes{0x14, 0x05, 0, 0, 0, 'D', 'i', 'm', 0xC3, 0xA4}));
  // The umlaut alone: 2 bytes for 1 code unit, so UTF-16.
  EXPECT_EQ(StringBytes(Umlaut), (Bytes{0x12, 0x01, 0, 0, 0, 0xE4, 0x00}));
  // A character outside the BMP: 4 UTF-8 bytes, 2 code units, a surrogate pair.
  EXPECT_EQ(StringBytes("\xF0\x9D\x84\x9E"), (Bytes{0x12, 0x02, 0, 0, 0, 0x34, 0xD8, 0x1E, 0xDD}));
}

TEST(TaggedStream, LongPlainStringsUseTheLongForm) {
  const Bytes short255 = StringBytes(std::string(255, 'x'));
  EXPECT_EQ(short255[0], 0x06);
  EXPECT_EQ(short255[1], 0xFF);
  EXPECT_EQ(short255.size(), 2u + 255u);

  const Bytes long256 = StringBytes(std::string(256, 'x'));
  ASSERT_EQ(long256.size(), 5u + 256u);
  EXPECT_EQ((Bytes{long256.begin(), long256.begin() + 5}), (Bytes{0x0C, 0x00, 0x01, 0x00, 0x00}));
  EXPECT_EQ(ReadBackString(long256), std::string(256, 'x'));
}

TEST(TaggedStream, StringsRoundTripInEveryForm) {
  for (const std::string& text :
       {std::string(), std::string("C"), std::string("Cmaj7"), "Dim" + Umlaut, Umlaut,
        std::string("\xE2\x88\x92"
                    "5"),
        std::string("\xF0\x9D\x84\x9E"), std::string(300, 'a')}) {
    EXPECT_EQ(ReadBackString(StringBytes(text)), text);
  }
}

TEST(TaggedStream, ByteStringsAreReadAsWindows1252) {
  // 0xE4 is a-umlaut, 0x80 the euro sign, 0x81 is undefined and keeps its value as a C1 control.
  EXPECT_EQ(ReadBackString(Bytes{0x06, 0x03, 0xE4, 0x80, 0x81}), Umlaut + "\xE2\x82\xAC\xC2\x81");
  EXPECT_EQ(ReadBackString(Bytes{0x0C, 0x02, 0, 0, 0, 'O', 0x99}), "O\xE2\x84\xA2");
  EXPECT_EQ(Utf8ToWindows1252(Umlaut + "\xE2\x82\xAC" + "x"), "\xE4\x80x");
  EXPECT_EQ(Utf8ToWindows1252("\xE2\x88\x92"), "?"); // U+2212 has no 8-bit form
  EXPECT_EQ(Windows1252ToUtf8(Utf8ToWindows1252("Caf\xC3\xA9 \xE2\x80\x9Cok\xE2\x80\x9D")),
            "Caf\xC3\xA9 \xE2\x80\x9Cok\xE2\x80\x9D");
}

TEST(TaggedStream, BrokenTextFromAStreamBecomesReplacementCharacters) {
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ(ReadBackString(Bytes{0x14, 0x03, 0, 0, 0, 'a', 0xC3, 'b'}), "a" + replacement + "b");
  EXPECT_EQ(ReadBackString(Bytes{0x14, 0x02, 0, 0, 0, 0xC0, 0x80}), replacement + replacement);
  // A lone high surrogate and a lone low surrogate.
  EXPECT_EQ(ReadBackString(Bytes{0x12, 0x02, 0, 0, 0, 0x00, 0xD8, 'x', 0x00}), replacement + "x");
  EXPECT_EQ(ReadBackString(Bytes{0x12, 0x01, 0, 0, 0, 0x00, 0xDC}), replacement);
}

TEST(TaggedStream, ExtendedFloatsHaveTheIeeeLayout) {
  uint8_t bytes[10];
  EncodeExtended(1.0L, bytes);
  EXPECT_EQ(Bytes(bytes, bytes + 10), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
  EncodeExtended(0.0L, bytes);
  EXPECT_EQ(Bytes(bytes, bytes + 10), Bytes(10, 0));
  EncodeExtended(-40.0L, bytes);
  EXPECT_EQ(Bytes(bytes, bytes + 10), (Bytes{0, 0, 0, 0, 0, 0, 0, 0xA0, 0x04, 0xC0}));
  EncodeExtended(12.5L, bytes);
  EXPECT_EQ(Bytes(bytes, bytes + 10), (Bytes{0, 0, 0, 0, 0, 0, 0, 0xC8, 0x02, 0x40}));
  EncodeExtended(1000.0L, bytes);
  EXPECT_EQ(Bytes(bytes, bytes + 10), (Bytes{0, 0, 0, 0, 0, 0, 0, 0xFA, 0x08, 0x40}));
}

TEST(TaggedStream, ExtendedFloatsRoundTrip) {
  for (const double value : {0.0, 1.0, -40.0, 12.5, 1000.0, 0.1, -100.0, 200.0, 1e-300, -1e300,
                             std::numeric_limits<double>::denorm_min()}) {
    Bytes bytes;
    TTaggedWriter(bytes).WriteFloat(value);
    ASSERT_EQ(bytes.size(), 11u);
    EXPECT_EQ(bytes[0], 0x05);
    TTaggedReader reader(bytes.data(), bytes.size());
    EXPECT_EQ(static_cast<double>(reader.ReadFloat()), value) << value;
  }
  // Single-precision parameter values survive exactly, the way the setup stream stores them.
  for (const float value : {0.1f, 33.3f, -99.9f, 12.5f}) {
    uint8_t bytes[10];
    EncodeExtended(value, bytes);
    EXPECT_EQ(static_cast<float>(DecodeExtended(bytes)), value);
  }
}

TEST(TaggedStream, ExtendedSpecialValuesStaySpecial) {
  uint8_t bytes[10];
  EncodeExtended(-0.0L, bytes);
  EXPECT_EQ(bytes[9], 0x80);
  EXPECT_TRUE(std::signbit(DecodeExtended(bytes)));
  EXPECT_EQ(DecodeExtended(bytes), 0.0L);

  EncodeExtended(std::numeric_limits<long double>::infinity(), bytes);
  EXPECT_EQ(Bytes(bytes, bytes + 10), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}));
  EXPECT_EQ(DecodeExtended(bytes), std::numeric_limits<long double>::infinity());
  EncodeExtended(-std::numeric_limits<long double>::infinity(), bytes);
  EXPECT_EQ(DecodeExtended(bytes), -std::numeric_limits<long double>::infinity());

  EncodeExtended(std::numeric_limits<long double>::quiet_NaN(), bytes);
  EXPECT_EQ(bytes[9] & 0x7F, 0x7F);
  EXPECT_EQ(bytes[8], 0xFF);
  EXPECT_TRUE(std::isnan(DecodeExtended(bytes)));

  // The largest extended value is beyond a double; it must come back as a huge value or infinity,
  // never as garbage.
  const uint8_t largest[10] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x7F};
  EXPECT_GT(DecodeExtended(largest), 1e300L);
  // A denormal extended value decodes to a tiny non-negative number.
  const uint8_t denormal[10] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_GE(DecodeExtended(denormal), 0.0L);
  EXPECT_LT(DecodeExtended(denormal), 1e-300L);
}

TEST(TaggedStream, FloatsAcceptDoublesAndIntegers) {
  Bytes bytes{0x15};
  const double half = 0.5;
  uint8_t raw[8];
  std::memcpy(raw, &half, 8);
  bytes.insert(bytes.end(), raw, raw + 8);
  TTaggedWriter writer(bytes);
  writer.WriteInteger(-7);
  writer.WriteInteger(1000);
  writer.WriteInteger(100000);
  writer.WriteInteger(5000000000LL);

  TTaggedReader reader(bytes.data(), bytes.size());
  EXPECT_EQ(reader.ReadFloat(), 0.5L);
  EXPECT_EQ(reader.ReadFloat(), -7.0L);
  EXPECT_EQ(reader.ReadFloat(), 1000.0L);
  EXPECT_EQ(reader.ReadFloat(), 100000.0L);
  EXPECT_EQ(reader.ReadFloat(), 5000000000.0L);
  EXPECT_EQ(reader.Remaining(), 0u);
}

TEST(TaggedStream, AValueOfTheWrongKindIsAnInvalidPropertyValue) {
  const std::string invalid = StreamErrorText::InvalidPropertyValue;
  EXPECT_EQ(ErrorTextOf(StringBytes("x"), [](TTaggedReader& r) { r.ReadInteger(); }), invalid);
  EXPECT_EQ(ErrorTextOf(IntegerBytes(1), [](TTaggedReader& r) { r.ReadString(); }), invalid);
  EXPECT_EQ(ErrorTextOf(IntegerBytes(1), [](TTaggedReader& r) { r.ReadBoolean(); }), invalid);
  EXPECT_EQ(ErrorTextOf(Bytes{0x08}, [](TTaggedReader& r) { r.ReadFloat(); }), invalid);
  EXPECT_EQ(ErrorTextOf(Bytes{0x00}, [](TTaggedReader& r) { r.ReadListBegin(); }), invalid);
  EXPECT_EQ(ErrorTextOf(Bytes{0x01}, [](TTaggedReader& r) { r.ReadListEnd(); }), invalid);
  // A 64-bit integer is a float form only; integers stay 32-bit.
  EXPECT_EQ(ErrorTextOf(IntegerBytes(5000000000LL), [](TTaggedReader& r) { r.ReadInteger(); }), invalid);
  // Tags the stream never uses.
  EXPECT_EQ(ErrorTextOf(Bytes{0x07}, [](TTaggedReader& r) { r.ReadString(); }), invalid);
  EXPECT_EQ(ErrorTextOf(Bytes{0xFF}, [](TTaggedReader& r) { r.ReadInteger(); }), invalid);
  // A negative length cannot be a string.
  EXPECT_EQ(ErrorTextOf(Bytes{0x14, 0xFF, 0xFF, 0xFF, 0xFF}, [](TTaggedReader& r) { r.ReadString(); }),
            invalid);
}

TEST(TaggedStream, RunningOutOfDataIsAStreamReadError) {
  const std::string readError = StreamErrorText::StreamReadError;
  EXPECT_EQ(ErrorTextOf(Bytes{}, [](TTaggedReader& r) { r.PeekTag(); }), readError);
  EXPECT_EQ(ErrorTextOf(Bytes{}, [](TTaggedReader& r) { r.ReadListBegin(); }), readError);
  // A length that promises far more than the data holds must not be believed (nor allocated).
  EXPECT_EQ(ErrorTextOf(Bytes{0x0C, 0xFF, 0xFF, 0xFF, 0x7F, 'a'}, [](TTaggedReader& r) { r.ReadString(); }),
            readError);
  EXPECT_EQ(
      ErrorTextOf(Bytes{0x12, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0}, [](TTaggedReader& r) { r.ReadString(); }),
      readError);
  EXPECT_EQ(ErrorTextOf(Bytes{0x12, 0x02, 0, 0, 0, 'a', 0, 'b'}, [](TTaggedReader& r) { r.ReadString(); }),
            readError);
  EXPECT_EQ(ErrorTextOf(Bytes{'T', 'P', 'F'},
                        [](TTaggedReader& r) {
                          char signature[4];
                          r.ReadRaw(signature, 4);
                        }),
            readError);
}

TEST(TaggedStream, EveryTruncationOfAValueIsAStreamReadError) {
  Bytes full;
  TTaggedWriter writer(full);
  writer.WriteListBegin();
  writer.WriteInteger(300);
  writer.WriteInteger(-100000);
  writer.WriteFloat(12.5L);
  writer.WriteString("Cmaj7");
  writer.WriteString("Dim" + Umlaut);
  writer.WriteString(Umlaut);
  writer.WriteString(std::string(260, 'z'));
  writer.WriteBoolean(true);
  writer.WriteListEnd();

  const auto readAll = [](TTaggedReader& r) {
    r.ReadListBegin();
    r.ReadInteger();
    r.ReadInteger();
    r.ReadFloat();
    r.ReadString();
    r.ReadString();
    r.ReadString();
    r.ReadString();
    r.ReadBoolean();
    r.ReadListEnd();
  };
  EXPECT_EQ(ErrorTextOf(full, readAll), "no error");
  for (std::size_t length = 0; length < full.size(); ++length) {
    // A copy of exactly this length, so a read past its end is caught by the sanitizers too.
    const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_EQ(ErrorTextOf(cut, readAll), StreamErrorText::StreamReadError) << "length " << length;
  }
}
