// BlockInput: the MIDI events of a processing call, held until the block handler knows the block.
#include "engine/BlockInput.h"

#include <cmath>

TBlockInput::TBlockInput(std::size_t capacity)
    : FItems(new TTimedInput[capacity]), FScratch(new TTimedInput[capacity]),
      FKeys(new TSortKey[2 * capacity]), FCapacity(capacity) {}

TBlockInput::~TBlockInput() = default;

namespace {
// Below this magnitude a block position plus distinct whole offsets gives distinct times in the
// same order (the doubles there are at most half a sample apart), so offset order is time order.
constexpr double ExactPositionLimit = 2251799813685248.0; // 2^51

bool IsNoteOff(const TMidiInEvent& event) {
  const int32_t kind = event.Data[0] & 0xF0;
  return kind == 0x80 || (kind == 0x90 && (event.Data[2] & 0x7F) == 0);
}
} // namespace

bool TBlockInput::Push(const TMidiInEvent& event) {
  if (FCount >= FCapacity) {
    ++FDropped;
    if (!IsNoteOff(event)) {
      return false;
    }
    // A lost note-off would leave a note on; a lost note-on or controller only goes unheard. The
    // newest event of this call that is no note-off makes room.
    std::size_t victim = FCount;
    while (victim > FHead && !FItems[victim - 1].Timed && IsNoteOff(FItems[victim - 1].Event)) {
      --victim;
    }
    if (victim == FHead || FItems[victim - 1].Timed) {
      return false;
    }
    for (std::size_t i = victim; i < FCount; ++i) {
      FItems[i - 1] = FItems[i];
    }
    --FCount;
  }
  FItems[FCount++] = {event, 0.0, false};
  return true;
}

void TBlockInput::TimeNew(double blockPosition, int32_t lastOffset) {
  std::size_t first = FCount;
  for (std::size_t i = FCount; i > FHead; --i) {
    if (FItems[i - 1].Timed) {
      break;
    }
    first = i - 1;
  }
  bool sorted = true;
  int32_t previous = 0;
  for (std::size_t i = first; i < FCount; ++i) {
    const int32_t delta = FItems[i].Event.DeltaFrames;
    const int32_t offset = delta < 0 ? 0 : (delta > lastOffset ? lastOffset : delta);
    FItems[i].Time = blockPosition + offset;
    FItems[i].Timed = true;
    sorted = sorted && offset >= previous;
    previous = offset;
  }
  if (sorted) {
    return; // what hosts almost always deliver; equal offsets give equal times
  }
  if (std::abs(blockPosition) < ExactPositionLimit) {
    SortByOffset(first, lastOffset);
  } else {
    SortFrom(first);
  }
}

void TBlockInput::RetimeWaiting(double time) {
  for (std::size_t i = FHead; i < FCount; ++i) {
    if (FItems[i].Timed) {
      FItems[i].Time = time;
    }
  }
}

void TBlockInput::Compact() {
  if (FHead == 0) {
    return;
  }
  std::size_t kept = 0;
  for (std::size_t i = FHead; i < FCount; ++i) {
    FItems[kept++] = FItems[i];
  }
  FHead = 0;
  FCount = kept;
}

// Least significant digit first, each pass stable: equal offsets keep list order. O(n) per digit of
// the block's last offset (one pass for blocks up to 256 frames, two up to 65536).
void TBlockInput::SortByOffset(std::size_t first, int32_t lastOffset) {
  const std::size_t n = FCount - first;
  TSortKey* keys = FKeys.get();
  TSortKey* other = FKeys.get() + FCapacity;
  for (std::size_t i = 0; i < n; ++i) {
    const int32_t delta = FItems[first + i].Event.DeltaFrames;
    const int32_t offset = delta < 0 ? 0 : (delta > lastOffset ? lastOffset : delta);
    keys[i] = {static_cast<uint32_t>(offset), static_cast<uint32_t>(i)};
  }
  constexpr uint32_t DigitBits = 8;
  constexpr uint32_t Digits = 1u << DigitBits;
  for (uint32_t shift = 0; shift < 32 && (static_cast<uint32_t>(lastOffset) >> shift) != 0;
       shift += DigitBits) {
    uint32_t starts[Digits] = {};
    for (std::size_t i = 0; i < n; ++i) {
      ++starts[(keys[i].Offset >> shift) & (Digits - 1)];
    }
    uint32_t position = 0;
    for (uint32_t& start : starts) {
      const uint32_t count = start;
      start = position;
      position += count;
    }
    for (std::size_t i = 0; i < n; ++i) {
      other[starts[(keys[i].Offset >> shift) & (Digits - 1)]++] = keys[i];
    }
    TSortKey* swap = keys;
    keys = other;
    other = swap;
  }
  for (std::size_t i = 0; i < n; ++i) {
    FScratch[i] = FItems[first + keys[i].Index];
  }
  for (std::size_t i = 0; i < n; ++i) {
    FItems[first + i] = FScratch[i];
  }
}

// Bottom-up merge sort into the scratch buffer: stable, n log n, no allocation. Hosts almost always
// deliver sorted lists, which the first pass finds already in order.
void TBlockInput::SortFrom(std::size_t first) {
  const std::size_t n = FCount - first;
  TTimedInput* source = FItems.get() + first;
  bool sorted = true;
  for (std::size_t i = 1; i < n && sorted; ++i) {
    sorted = !(source[i].Time < source[i - 1].Time);
  }
  if (sorted) {
    return;
  }
  TTimedInput* target = FScratch.get();
  for (std::size_t width = 1; width < n; width *= 2) {
    for (std::size_t low = 0; low < n; low += 2 * width) {
      const std::size_t middle = low + width < n ? low + width : n;
      const std::size_t high = low + 2 * width < n ? low + 2 * width : n;
      std::size_t a = low;
      std::size_t b = middle;
      std::size_t out = low;
      while (a < middle && b < high) {
        target[out++] = source[b].Time < source[a].Time ? source[b++] : source[a++];
      }
      while (a < middle) {
        target[out++] = source[a++];
      }
      while (b < high) {
        target[out++] = source[b++];
      }
    }
    TTimedInput* swap = source;
    source = target;
    target = swap;
  }
  if (source != FItems.get() + first) {
    for (std::size_t i = 0; i < n; ++i) {
      FItems[first + i] = source[i];
    }
  }
}
