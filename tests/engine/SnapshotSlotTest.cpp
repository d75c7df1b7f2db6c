// The snapshot hand-over between a publishing thread and a wait-free reader.
#include "engine/SnapshotSlot.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

namespace {
// Every value equal: a reader that ever sees a mix has read a snapshot being changed or freed.
struct TFilled {
  std::array<int64_t, 64> Values{};
  explicit TFilled(int64_t value = 0) { Values.fill(value); }
};
} // namespace

TEST(SnapshotSlot, ReaderSeesTheLatestPublicationAndPutsItBack) {
  TSnapshotSlot<TFilled> slot;
  {
    const TSnapshotSlot<TFilled>::TReader reader(slot);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->Values[0], 0);
  }
  slot.Publish(std::make_unique<TFilled>(7));
  const TSnapshotSlot<TFilled>::TReader reader(slot);
  ASSERT_TRUE(reader);
  EXPECT_EQ(reader->Values[63], 7);
}

TEST(SnapshotSlot, PublishingWhileAnotherThreadReadsNeverShowsAMixedOrFreedSnapshot) {
  TSnapshotSlot<TFilled> slot;
  std::atomic<bool> done{false};
  std::atomic<int64_t> mixed{0};
  std::atomic<int64_t> reads{0};
  std::thread reader([&] {
    int64_t last = 0;
    while (!done.load(std::memory_order_acquire)) {
      const TSnapshotSlot<TFilled>::TReader snapshot(slot);
      if (!snapshot) {
        continue;
      }
      const int64_t first = snapshot->Values[0];
      for (const int64_t value : snapshot->Values) {
        if (value != first) {
          mixed.fetch_add(1);
        }
      }
      if (first < last) {
        mixed.fetch_add(1); // publications arrive in order
      }
      last = first;
      reads.fetch_add(1, std::memory_order_relaxed);
    }
  });
  // Publishes until the reader has taken part for a while (it may start late on a busy machine).
  int64_t value = 0;
  while ((value < 20000 || reads.load(std::memory_order_relaxed) < 1000) && value < 50000000) {
    slot.Publish(std::make_unique<TFilled>(++value));
  }
  done.store(true, std::memory_order_release);
  reader.join();
  EXPECT_EQ(mixed.load(), 0);
  EXPECT_GT(reads.load(), 0);
  const TSnapshotSlot<TFilled>::TReader last(slot);
  EXPECT_EQ(last->Values[0], value);
}
