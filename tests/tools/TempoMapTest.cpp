#include "TempoMap.h"

#include <gtest/gtest.h>

namespace {
constexpr double Rate = 44100;

TEST(TempoMap, WithoutTempoEventsAQuarterLastsHalfASecond) {
  const TTempoMap map = TTempoMap::Metrical(480, {});
  EXPECT_EQ(map.TickToSample(0, Rate), 0);
  EXPECT_EQ(map.TickToSample(480, Rate), 22050);
  EXPECT_EQ(map.TickToSample(960, 48000), 48000);
  EXPECT_DOUBLE_EQ(map.TempoAtSample(0, Rate), 120.0);
  EXPECT_DOUBLE_EQ(map.QuartersAtSample(22050, Rate), 1.0);
}

TEST(TempoMap, TempoChangesApplyFromTheirTickOn) {
  // 120 bpm for two quarters, then 60 bpm.
  const TTempoMap map = TTempoMap::Metrical(480, {{960, 1000000}, {0, 500000}});
  EXPECT_EQ(map.TickToSample(960, Rate), 44100);
  EXPECT_EQ(map.TickToSample(1440, Rate), 88200);
  EXPECT_DOUBLE_EQ(map.TempoAtSample(44099, Rate), 120.0);
  EXPECT_DOUBLE_EQ(map.TempoAtSample(44100, Rate), 60.0);
  EXPECT_DOUBLE_EQ(map.QuartersAtSample(88200, Rate), 3.0);
  EXPECT_EQ(map.SampleToTick(88200, Rate), 1440);
}

TEST(TempoMap, ATickExactlyBetweenTwoSamplesRoundsToTheEvenOne) {
  // At 120 bpm and 480 ticks per quarter a tick is 45.9375 samples: tick 8 is 367.5, tick 24 is 1102.5.
  const TTempoMap map = TTempoMap::Metrical(480, {});
  EXPECT_EQ(map.TickToSample(8, Rate), 368);
  EXPECT_EQ(map.TickToSample(24, Rate), 1102);
  EXPECT_EQ(map.TickToSample(1, Rate), 46);
}

TEST(TempoMap, SamplesConvertBackToTheirTicks) {
  const TTempoMap map = TTempoMap::Metrical(96, {{0, 428571}, {384, 652174}, {700, 300000}});
  for (int64_t tick = 0; tick < 2000; tick += 7)
    EXPECT_EQ(map.SampleToTick(map.TickToSample(tick, Rate), Rate), tick) << "tick " << tick;
}

TEST(TempoMap, TimecodeFilesCountTicksPerSecond) {
  const TTempoMap map = TTempoMap::Timecode(25, 40);
  EXPECT_FALSE(map.IsMetrical());
  EXPECT_EQ(map.TickToSample(1000, Rate), 44100);
  EXPECT_EQ(map.SampleToTick(22050, Rate), 500);
  // 29 stands for 30 drop-frame, 29.97 frames per second.
  EXPECT_EQ(TTempoMap::Timecode(29, 100).TickToSample(2997, 48000), 48000);
}

TEST(TempoMap, InvalidTimingIsRejected) {
  EXPECT_THROW(TTempoMap::Metrical(0, {}), std::invalid_argument);
  EXPECT_THROW(TTempoMap::Timecode(23, 40), std::invalid_argument);
  // A zero or negative tempo cannot come from a file and is ignored.
  EXPECT_EQ(TTempoMap::Metrical(480, {{0, 0}}).TickToSample(480, Rate), 22050);
}
} // namespace
