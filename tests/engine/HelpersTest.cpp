// Tests of the shared helpers: note display, number text, rounding, ms to samples, the generator.
#include "engine/ZelMidi.h"
#include "engine/ZelRandom.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {
const std::string Minus = "\xE2\x88\x92";

class DisplayOffset : public ::testing::Test {
protected:
  void TearDown() override { SetDisplayOctaveOffset(0); }
};
} // namespace

TEST_F(DisplayOffset, NotesShowWithTheLowestOctaveOffset) {
  EXPECT_EQ(NoteName(61), "C#");
  EXPECT_EQ(NoteName(71), "B");
  EXPECT_EQ(NoteOctave(60), 5);
  SetDisplayOctaveOffset(-2);
  EXPECT_EQ(NoteText(60), "C3");
  EXPECT_EQ(NoteText(0), "C" + Minus + "2");
  EXPECT_EQ(NoteText(30), "F#0");
  EXPECT_EQ(NoteOctave(127, true), 10);
}

TEST(NumberText, NegativesCarryTheMinusSignAndPlusIsOptional) {
  EXPECT_EQ(IntToText(-5), Minus + "5");
  EXPECT_EQ(IntToText(5, true), "+5");
  EXPECT_EQ(IntToText(5), "5");
  EXPECT_EQ(IntToText(0, true), "0");
  EXPECT_EQ(Int64ToText(INT64_MIN), Minus + "9223372036854775808");
  EXPECT_EQ(Int64ToText(10000000000LL, true), "+10000000000");
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(3.5), 4.0);
  EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
  EXPECT_EQ(RoundHalfEven(-3.5), -4.0);
  EXPECT_EQ(RoundHalfEven(13.5L), 14.0L);
  EXPECT_EQ(RoundHalfEven(12.5f), 12.0f);
  EXPECT_EQ(RoundHalfEven(440.9999), 441.0);
  EXPECT_EQ(RoundHalfEven(-0.4), 0.0);
  EXPECT_DOUBLE_EQ(MsToSamples(10, 44100), 441.0);
  EXPECT_DOUBLE_EQ(MsToSamples(1, 48000), 48.0);
  EXPECT_DOUBLE_EQ(MsToSamples(0.5, 44100), 22.05);
}

TEST(RandomGenerator, FollowsTheLinearCongruentialSequence) {
  Seed(0);
  // state 1, then 134775814: high 32 bits of state * 2^31.
  EXPECT_EQ(Random(0x80000000u), 0u);
  EXPECT_EQ(Random(0x80000000u), 67387907u);
  EXPECT_EQ(RandomState(), 134775814u);
  Seed(0xFFFFFFFFu);
  // state * 134775813 + 1 wraps modulo 2^32: -134775813 + 1.
  EXPECT_EQ(Random(1), 0u);
  EXPECT_EQ(RandomState(), static_cast<uint32_t>(0u - 134775812u));
}

TEST(RandomGenerator, DrawsStayInsideTheirRangeAndCoverIt) {
  Seed(12345);
  bool seen[4] = {};
  for (int i = 0; i < 1000; ++i) {
    const int32_t value = RandomUpTo(3);
    ASSERT_GE(value, 0);
    ASSERT_LE(value, 3);
    seen[value] = true;
  }
  EXPECT_TRUE(seen[0] && seen[1] && seen[2] && seen[3]);
  EXPECT_EQ(RandomUpTo(0), 0);
  EXPECT_EQ(Random(0), 0u);
  Seed(7);
  const int32_t first = RandomUpTo(1000);
  Seed(7);
  EXPECT_EQ(RandomUpTo(1000), first);
}
