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
  // Gives every untimed event its time (`timeOf(deltaFrames)`), then sorts the untimed part after
  // the waiting part by time. Waiting events keep their times: they are older than every new one.
  template <typename TTimeOf> void TimeNew(TTimeOf timeOf);
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
  void SortFrom(std::size_t first);

  std::unique_ptr<TTimedInput[]> FItems;
  std::unique_ptr<TTimedInput[]> FScratch;
  std::size_t FCapacity;
  std::size_t FHead = 0;
  std::size_t FCount = 0;
  uint64_t FDropped = 0;
};

template <typename TTimeOf> void TBlockInput::TimeNew(TTimeOf timeOf) {
  std::size_t first = FCount;
  for (std::size_t i = FCount; i > FHead; --i) {
    if (FItems[i - 1].Timed) {
      break;
    }
    first = i - 1;
  }
  for (std::size_t i = first; i < FCount; ++i) {
    FItems[i].Time = timeOf(FItems[i].Event.DeltaFrames);
    FItems[i].Timed = true;
  }
  SortFrom(first);
}
