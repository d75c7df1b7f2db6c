// BlockInput: the MIDI events of a processing call, held until the block handler knows the block.
#include "engine/BlockInput.h"

TBlockInput::TBlockInput(std::size_t capacity)
    : FItems(new TTimedInput[capacity]), FScratch(new TTimedInput[capacity]), FCapacity(capacity) {}

TBlockInput::~TBlockInput() = default;

namespace {
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
