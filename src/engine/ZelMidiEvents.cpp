// ZelMidiEvents: the queue of scheduled chord notes (pending, sounding, releasing), fixed capacity.
#include "engine/ZelMidiEvents.h"

#include <algorithm>
#include <bit>

TMidiEvents::TMidiEvents(std::size_t capacity)
    : FItems(new TMidiEvent[capacity]), FLinks(new TLinks[capacity]), FGroups(new TDueGroup[capacity]),
      FHeap(new THeapEntry[capacity]), FScratch(new TSlot[capacity]), FCapacity(capacity) {
  Clear();
}

TMidiEvents::~TMidiEvents() = default;

void TMidiEvents::Clear() {
  for (int32_t i = 0; i < TriggerNotes; ++i) {
    FTriggerFirst[i] = None;
    FTriggerLast[i] = None;
  }
  FFree = None;
  for (std::size_t i = FCapacity; i > 0; --i) {
    TLinks& links = FLinks[i - 1];
    links = TLinks{};
    links.Next = FFree;
    FFree = static_cast<TSlot>(i - 1);
  }
  FCount = 0;
  FFirst = None;
  FLast = None;
  ClearDueOrder();
}

void TMidiEvents::ClearDueOrder() {
  FHeapCount = 0;
  FFreeGroup = None;
  for (std::size_t i = FCapacity; i > 0; --i) {
    TDueGroup& group = FGroups[i - 1];
    group = TDueGroup{};
    group.Head = FFreeGroup;
    FFreeGroup = static_cast<TGroup>(i - 1);
  }
  for (TGroup& recent : FRecent) {
    recent = None;
  }
  FNewest = None;
}

TMidiEvents::TSlot TMidiEvents::FirstOfTrigger(int32_t triggerNote) const {
  return triggerNote >= 0 && triggerNote < TriggerNotes ? FTriggerFirst[triggerNote] : None;
}

void TMidiEvents::RemoveTriggerEvents(int32_t triggerNote, TEventState state, int32_t channel) {
  TSlot slot = FirstOfTrigger(triggerNote);
  while (slot != None) {
    const TSlot next = NextOfTrigger(slot);
    const TMidiEvent& event = FItems[static_cast<std::size_t>(slot)];
    if (event.State == state && (channel < 0 || event.Channel == channel)) {
      Remove(slot);
    }
    slot = next;
  }
}

// ---- Due order

std::size_t TMidiEvents::RecentIndex(double time) {
  // + 0.0 makes -0.0 into 0.0: equal times must find the same entry.
  const uint64_t bits = std::bit_cast<uint64_t>(time + 0.0);
  return static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15ull) >> 58) % RecentGroups;
}

void TMidiEvents::DueInsertByTime(TSlot slot, double time) {
  TGroup& recent = FRecent[RecentIndex(time)];
  TGroup group = recent;
  // The recent group takes the event only while it lives and has the time (a NaN time never joins).
  if (group == None || FGroups[static_cast<std::size_t>(group)].HeapIndex < 0 ||
      !(FGroups[static_cast<std::size_t>(group)].Time == time)) {
    // A new group; there are never more groups than pending events, so one is free.
    group = FFreeGroup;
    TDueGroup& fresh = FGroups[static_cast<std::size_t>(group)];
    FFreeGroup = fresh.Head;
    fresh.Time = time;
    fresh.Head = None;
    fresh.Tail = None;
    FHeap[static_cast<std::size_t>(FHeapCount)] = {time, FSequence++, group};
    ++FHeapCount;
    SiftUp(FHeapCount - 1);
    recent = group;
    FNewest = group;
  }
  AppendToGroup(slot, group);
}

void TMidiEvents::ReinsertPending(int32_t count) {
  // In the order they became pending, so that equal new times keep it; each keeps its sequence.
  TSlot* const slots = FScratch.get();
  std::sort(slots, slots + count, [this](TSlot a, TSlot b) {
    return FLinks[static_cast<std::size_t>(a)].Sequence < FLinks[static_cast<std::size_t>(b)].Sequence;
  });
  ClearDueOrder();
  for (int32_t i = 0; i < count; ++i) {
    DueInsert(slots[i], FLinks[static_cast<std::size_t>(slots[i])].Sequence);
  }
}

void TMidiEvents::HeapPlace(int32_t index, const THeapEntry& entry) {
  FHeap[static_cast<std::size_t>(index)] = entry;
  FGroups[static_cast<std::size_t>(entry.Group)].HeapIndex = index;
}

void TMidiEvents::SiftUp(int32_t index) {
  const THeapEntry entry = FHeap[static_cast<std::size_t>(index)];
  while (index > 0) {
    const int32_t parent = (index - 1) / Arity;
    if (!DueBefore(entry, FHeap[static_cast<std::size_t>(parent)])) {
      break;
    }
    HeapPlace(index, FHeap[static_cast<std::size_t>(parent)]);
    index = parent;
  }
  HeapPlace(index, entry);
}

void TMidiEvents::SiftDown(int32_t index) {
  const THeapEntry entry = FHeap[static_cast<std::size_t>(index)];
  for (;;) {
    const int32_t first = Arity * index + 1;
    if (first >= FHeapCount) {
      break;
    }
    const int32_t last = first + Arity < FHeapCount ? first + Arity : FHeapCount;
    int32_t child = first;
    for (int32_t c = first + 1; c < last; ++c) {
      if (DueBefore(FHeap[static_cast<std::size_t>(c)], FHeap[static_cast<std::size_t>(child)])) {
        child = c;
      }
    }
    if (!DueBefore(FHeap[static_cast<std::size_t>(child)], entry)) {
      break;
    }
    HeapPlace(index, FHeap[static_cast<std::size_t>(child)]);
    index = child;
  }
  HeapPlace(index, entry);
}

void TMidiEvents::HeapErase(int32_t index) {
  --FHeapCount;
  if (index == FHeapCount) {
    return;
  }
  // The last entry fills the gap and moves whichever way restores the order.
  const THeapEntry moved = FHeap[static_cast<std::size_t>(FHeapCount)];
  HeapPlace(index, moved);
  SiftUp(index);
  SiftDown(FGroups[static_cast<std::size_t>(moved.Group)].HeapIndex);
}
