// BlockInput: the MIDI events of a processing call, held until the block handler knows the block.
#pragma once

#include "engine/PluginHandlers.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// One incoming event on the engine's time line.
struct TTimedInput {
  TMidiInEvent Event;
  double Time = 0.0; // set when its block starts
  bool Timed = false;
};

// The events the host delivered for the coming block, in list order, plus those an earlier block
// could not pass on (its output list was full). The block handler times the new ones against the
// block it now knows, sorts them by time (stable, so equal offsets keep list order) and takes them
// from the front. Fixed capacity; when full, a note-off still gets in by dropping the newest other
// event of the call, everything else is dropped. Audio thread only; no allocation, no locks.
class TBlockInput {
public:
  static constexpr std::size_t DefaultCapacity = 4096;

  explicit TBlockInput(std::size_t capacity = DefaultCapacity);
  ~TBlockInput();
  TBlockInput(const TBlockInput&) = delete;
  TBlockInput& operator=(const TBlockInput&) = delete;

  // False when the event was dropped (counted, like the event a note-off displaced).
  bool Push(const TMidiInEvent& event);
  // Gives every untimed event its offset, its DeltaFrames kept in 0..lastOffset, and the time
  // blockPosition + offset, then sorts the untimed part after the waiting part by time (stable).
  // Waiting events keep their times: they are older than every new one.
  void TimeNew(double blockPosition, int32_t lastOffset);
  // Changes the time of every waiting (already timed) event (a transport change re-bases them).
  void RetimeWaiting(double time);

  bool Empty() const { return FHead == FCount; }
  const TTimedInput& Front() const { return FItems[FHead]; }
  void PopFront() { ++FHead; }
  // Drops what was taken and moves the rest to the front; at the end of each block.
  void Compact();
  void Clear() { FHead = FCount = 0; }
  // Drops the events held back from earlier blocks; the newly delivered ones stay.
  void DropWaiting() {
    while (FHead < FCount && FItems[FHead].Timed) {
      ++FHead;
    }
  }
  std::size_t Waiting() const { return FCount - FHead; }
  uint64_t Dropped() const { return FDropped; }

private:
  // Sorts by time with the comparisons of the times.
  void SortFrom(std::size_t first);
  // The same order from the whole-sample offsets, where offset order is time order: by 8-bit digits.
  void SortByOffset(std::size_t first, int32_t lastOffset);

  struct TSortKey {
    uint32_t Offset;
    uint32_t Index;
  };

  std::unique_ptr<TTimedInput[]> FItems;
  std::unique_ptr<TTimedInput[]> FScratch;
  std::unique_ptr<TSortKey[]> FKeys; // two halves of the capacity each, for the digit passes
  std::size_t FCapacity;
  std::size_t FHead = 0;
  std::size_t FCount = 0;
  uint64_t FDropped = 0;
};
