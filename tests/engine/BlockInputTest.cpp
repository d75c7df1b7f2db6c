// Tests of the block's incoming MIDI: timing against the block and the stable order by time.
#include "engine/BlockInput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {
TMidiInEvent Event(int32_t deltaFrames, uint8_t tag) {
  TMidiInEvent event;
  event.Data[0] = 0x90;
  event.Data[1] = tag;
  event.Data[2] = 100;
  event.DeltaFrames = deltaFrames;
  return event;
}

struct TTaken {
  double Time;
  uint8_t Tag;
  bool operator==(const TTaken& other) const { return Time == other.Time && Tag == other.Tag; }
};

std::vector<TTaken> TakeAll(TBlockInput& input) {
  std::vector<TTaken> taken;
  while (!input.Empty()) {
    taken.push_back({input.Front().Time, input.Front().Event.Data[1]});
    input.PopFront();
  }
  input.Compact();
  return taken;
}

// What the block must hand on: the times of the offsets kept inside the block, stably sorted.
std::vector<TTaken> Expected(const std::vector<int32_t>& deltas, double position, int32_t lastOffset) {
  std::vector<TTaken> expected;
  for (std::size_t i = 0; i < deltas.size(); ++i) {
    const int32_t offset = std::clamp(deltas[i], 0, lastOffset);
    expected.push_back({position + offset, static_cast<uint8_t>(i)});
  }
  std::stable_sort(expected.begin(), expected.end(),
                   [](const TTaken& a, const TTaken& b) { return a.Time < b.Time; });
  return expected;
}
} // namespace

TEST(BlockInputOrder, EventsOfEveryBlockSizeComeOutByTimeWithEqualOffsetsInListOrder) {
  std::mt19937 random(5);
  for (const int32_t frames : {1, 32, 256, 257, 4096, 65537, 100000}) {
    for (int32_t round = 0; round < 20; ++round) {
      TBlockInput input;
      std::vector<int32_t> deltas;
      const int32_t count = std::uniform_int_distribution<int32_t>(0, 300)(random);
      // Few distinct offsets, so that many events share one; some outside the block.
      const int32_t spread = std::uniform_int_distribution<int32_t>(1, frames + 5)(random);
      for (int32_t i = 0; i < count; ++i) {
        int32_t delta = std::uniform_int_distribution<int32_t>(0, spread)(random);
        if (i % 17 == 3) {
          delta = -delta;
        }
        deltas.push_back(delta);
        ASSERT_TRUE(input.Push(Event(delta, static_cast<uint8_t>(i))));
      }
      const double position = 1000.5 * round;
      input.TimeNew(position, frames - 1);
      EXPECT_EQ(TakeAll(input), Expected(deltas, position, frames - 1)) << frames << " frames";
    }
  }
}

TEST(BlockInputOrder, HugeBlockPositionsStillKeepListOrderWhereTimesAreEqual) {
  // At 2^60 samples neighbouring offsets give one time: those events keep the host's list order.
  const double position = 1152921504606846976.0;
  TBlockInput input;
  const std::vector<int32_t> deltas = {300, 5, 200, 7, 6, 0};
  for (std::size_t i = 0; i < deltas.size(); ++i) {
    input.Push(Event(deltas[i], static_cast<uint8_t>(i)));
  }
  input.TimeNew(position, 511);
  EXPECT_EQ(TakeAll(input), Expected(deltas, position, 511));
}

TEST(BlockInputOrder, WaitingEventsStayAheadOfTheNewOnes) {
  TBlockInput input;
  input.Push(Event(40, 0));
  input.Push(Event(10, 1));
  input.TimeNew(0.0, 63);
  input.PopFront(); // the event at 10 went out; the one at 40 waits (the output list was full)
  input.Compact();
  input.Push(Event(3, 2));
  input.Push(Event(1, 3));
  input.TimeNew(64.0, 63);
  const std::vector<TTaken> expected = {{40.0, 0}, {65.0, 3}, {67.0, 2}};
  EXPECT_EQ(TakeAll(input), expected);
}
