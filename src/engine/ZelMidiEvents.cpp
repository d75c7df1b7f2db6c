// ZelMidiEvents: the queue of scheduled chord notes (pending, sounding, releasing), fixed capacity.
#include "engine/ZelMidiEvents.h"

TMidiEvents::TMidiEvents(std::size_t capacity)
    : FItems(new TMidiEvent[capacity]), FLinks(new TLinks[capacity]), FHeap(new THeapEntry[capacity]),
      FCapacity(capacity) {
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
  FHeapCount = 0;
  FFirst = None;
  FLast = None;
}

TMidiEvents::TSlot TMidiEvents::FirstOfTrigger(int32_t triggerNote) const {
  return triggerNote >= 0 && triggerNote < TriggerNotes ? FTriggerFirst[triggerNote] : None;
}

TMidiEvents::TSlot TMidiEvents::Add(const TMidiEvent& event) {
  if (FFree == None || event.TriggerNote < 0 || event.TriggerNote >= TriggerNotes) {
    return None;
  }
  const TSlot slot = FFree;
  TLinks& links = FLinks[static_cast<std::size_t>(slot)];
  FFree = links.Next;
  FItems[static_cast<std::size_t>(slot)] = event;
  links = TLinks{};

  links.Prev = FLast;
  if (FLast != None) {
    FLinks[static_cast<std::size_t>(FLast)].Next = slot;
  } else {
    FFirst = slot;
  }
  FLast = slot;

  const int32_t trigger = event.TriggerNote;
  links.TriggerPrev = FTriggerLast[trigger];
  if (FTriggerLast[trigger] != None) {
    FLinks[static_cast<std::size_t>(FTriggerLast[trigger])].TriggerNext = slot;
  } else {
    FTriggerFirst[trigger] = slot;
  }
  FTriggerLast[trigger] = slot;

  ++FCount;
  if (IsPending(event.State)) {
    HeapInsert(slot);
  }
  return slot;
}

void TMidiEvents::SetState(TSlot slot, TEventState state, double time) {
  TMidiEvent& event = FItems[static_cast<std::size_t>(slot)];
  if (FLinks[static_cast<std::size_t>(slot)].HeapIndex >= 0) {
    HeapErase(slot);
  }
  event.State = state;
  event.Time = time;
  if (IsPending(state)) {
    HeapInsert(slot);
  }
}

void TMidiEvents::Remove(TSlot slot) {
  TLinks& links = FLinks[static_cast<std::size_t>(slot)];
  if (links.HeapIndex >= 0) {
    HeapErase(slot);
  }
  if (links.Prev != None) {
    FLinks[static_cast<std::size_t>(links.Prev)].Next = links.Next;
  } else {
    FFirst = links.Next;
  }
  if (links.Next != None) {
    FLinks[static_cast<std::size_t>(links.Next)].Prev = links.Prev;
  } else {
    FLast = links.Prev;
  }
  const int32_t trigger = FItems[static_cast<std::size_t>(slot)].TriggerNote;
  if (links.TriggerPrev != None) {
    FLinks[static_cast<std::size_t>(links.TriggerPrev)].TriggerNext = links.TriggerNext;
  } else {
    FTriggerFirst[trigger] = links.TriggerNext;
  }
  if (links.TriggerNext != None) {
    FLinks[static_cast<std::size_t>(links.TriggerNext)].TriggerPrev = links.TriggerPrev;
  } else {
    FTriggerLast[trigger] = links.TriggerPrev;
  }
  FItems[static_cast<std::size_t>(slot)].State = esDone;
  links = TLinks{};
  links.Next = FFree;
  FFree = slot;
  --FCount;
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

void TMidiEvents::HeapPlace(int32_t index, const THeapEntry& entry) {
  FHeap[static_cast<std::size_t>(index)] = entry;
  FLinks[static_cast<std::size_t>(entry.Slot)].HeapIndex = index;
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

void TMidiEvents::HeapInsert(TSlot slot) {
  FHeap[static_cast<std::size_t>(FHeapCount)] = {FItems[static_cast<std::size_t>(slot)].Time, FSequence++,
                                                 slot};
  ++FHeapCount;
  SiftUp(FHeapCount - 1);
}

void TMidiEvents::HeapErase(TSlot slot) {
  const int32_t index = FLinks[static_cast<std::size_t>(slot)].HeapIndex;
  FLinks[static_cast<std::size_t>(slot)].HeapIndex = -1;
  --FHeapCount;
  if (index == FHeapCount) {
    return;
  }
  // The last entry fills the gap and moves whichever way restores the order.
  const THeapEntry moved = FHeap[static_cast<std::size_t>(FHeapCount)];
  HeapPlace(index, moved);
  SiftUp(index);
  SiftDown(FLinks[static_cast<std::size_t>(moved.Slot)].HeapIndex);
}

void TMidiEvents::RebuildHeap() {
  for (int32_t i = (FHeapCount + Arity - 2) / Arity; i > 0; --i) {
    SiftDown(i - 1);
  }
}
