// SnapshotSlot: an immutable object published by one thread and read wait-free by another.
#pragma once

#include <atomic>
#include <memory>
#include <thread>

// Holds the current snapshot behind one atomic pointer. The reader (one thread, the audio thread)
// takes it with exchange(nullptr) for the time it reads and puts it back; the publisher (one other
// thread) swaps only a snapshot that is in place, yielding while the reader has it out, and frees
// the old one itself. So the reader never waits, never frees, and never sees a freed snapshot.
template <typename T> class TSnapshotSlot {
public:
  explicit TSnapshotSlot(std::unique_ptr<T> initial = std::make_unique<T>())
      : FPublished(initial.release()) {}
  // Only once the reader has stopped.
  ~TSnapshotSlot() { delete FPublished.load(std::memory_order_acquire); }
  TSnapshotSlot(const TSnapshotSlot&) = delete;
  TSnapshotSlot& operator=(const TSnapshotSlot&) = delete;

  // Publisher thread: makes `fresh` the current snapshot and frees the one it replaces.
  void Publish(std::unique_ptr<T> fresh) {
    T* replacement = fresh.release();
    T* current = FPublished.load(std::memory_order_relaxed);
    for (;;) {
      if (current == nullptr) {
        // The reader has it out; it puts it back within one short read.
        std::this_thread::yield();
        current = FPublished.load(std::memory_order_relaxed);
        continue;
      }
      // acq_rel: release makes the new snapshot's contents visible to the reader's acquire
      // exchange; acquire orders the reader's last use of the old one (its release store) before
      // the delete.
      if (FPublished.compare_exchange_weak(current, replacement, std::memory_order_acq_rel,
                                           std::memory_order_relaxed)) {
        delete current;
        return;
      }
    }
  }

  // Reader thread; wait-free, no allocation: the current snapshot for the reader's lifetime (null
  // only if a second reader overlapped, which the contract rules out).
  class TReader {
  public:
    explicit TReader(const TSnapshotSlot& slot) noexcept
        : FSlot(slot), FSnapshot(slot.FPublished.exchange(nullptr, std::memory_order_acquire)) {}
    ~TReader() {
      if (FSnapshot != nullptr) {
        // release: the reads above happen before the publisher may free this snapshot.
        FSlot.FPublished.store(FSnapshot, std::memory_order_release);
      }
    }
    TReader(const TReader&) = delete;
    TReader& operator=(const TReader&) = delete;

    const T* Get() const noexcept { return FSnapshot; }
    const T* operator->() const noexcept { return FSnapshot; }
    explicit operator bool() const noexcept { return FSnapshot != nullptr; }

  private:
    const TSnapshotSlot& FSlot;
    T* FSnapshot;
  };

private:
  mutable std::atomic<T*> FPublished;
};
