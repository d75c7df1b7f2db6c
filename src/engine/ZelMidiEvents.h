// ZelMidiEvents: the queue of scheduled chord notes (pending, sounding, releasing), fixed capacity.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// States of a scheduled chord note.
enum TEventState : uint8_t {
  esNoteOffPending = 0,
  esNoteOnPending = 1,
  esSounding = 2,
  esDone = 3,
};

struct TMidiEvent {
  int32_t TriggerNote = 0;
  int32_t Channel = 0;
  double SchedulePosition = 0.0; // block position when scheduled; re-bases note-ons after a jump back
  TEventState State = esNoteOnPending;
  int32_t Note = 0;
  double Time = 0.0; // samples: note-on time while pending, note-off time while releasing
  int32_t Position = 0;
  int32_t Velocity = 0;
};

// The queue, allocated once at construction. Events live in fixed slots; a slot number stays valid
// until its event is removed. Three orders are kept up to date as events are added, change state
// and go, so that no operation walks the whole queue:
// - insertion order over all events (transport changes walk it),
// - insertion order per trigger note (a release walks only its trigger's events),
// - due order over the pending events (note-on and note-off pending), on (Time, the order in which
//   they became pending). Pending events of one time that became pending one after another share a
//   due group: a first-in first-out list. A 4-ary heap orders the groups by (Time, the order the
//   groups began). Chord notes come in bursts of equal times (a chord without delays, a block of
//   presses, every note of a held chord released at once), so the due event is read at once and
//   taken in O(1) while its group has more; the heap, O(log n), moves only when a group empties.
// Chord notes without delay made while a block runs wait first in TUndelayedNotes, which hands the
// ones still sounding or pending to this queue (Add, in the order they were made) before the engine
// queues or walks anything else and at the end of the block: most of a burst of presses is ended in
// its own block and never needs a slot.
// Real-time: audio thread only after construction; no allocation, no locks; every operation is
// bounded by the events it touches (RetimePending by the pending ones).
class TMidiEvents {
public:
  using TSlot = int32_t;
  static constexpr TSlot None = -1;
  // Far above what a keyboard produces (a few events per held note); a full queue drops new events.
  static constexpr std::size_t DefaultCapacity = 4096;
  static constexpr int32_t TriggerNotes = 128;

  explicit TMidiEvents(std::size_t capacity = DefaultCapacity);
  ~TMidiEvents();
  TMidiEvents(const TMidiEvents&) = delete;
  TMidiEvents& operator=(const TMidiEvents&) = delete;

  int32_t Count() const { return FCount; }
  std::size_t Capacity() const { return FCapacity; }
  // Read access; change an event only through the operations below, which keep the orders.
  const TMidiEvent& operator[](TSlot slot) const { return FItems[static_cast<std::size_t>(slot)]; }

  // Appends a copy of the event (its TriggerNote must be 0..127); None (nothing changed) when full.
  TSlot Add(const TMidiEvent& event);
  // Moves an event to another state and due time; pending states take part in the due order.
  void SetState(TSlot slot, TEventState state, double time);
  void Remove(TSlot slot);
  // Deletes every event of that trigger note in that state (and on that channel, unless it is -1);
  // the others keep their order.
  void RemoveTriggerEvents(int32_t triggerNote, TEventState state, int32_t channel = -1);
  void Clear();

  // The pending event due first (smallest Time; among equal times the one pending first); None when
  // nothing is pending.
  TSlot Earliest() const {
    return FHeapCount > 0 ? FGroups[static_cast<std::size_t>(FHeap[0].Group)].Head : None;
  }

  // Insertion order: First, then Next until None.
  TSlot First() const { return FFirst; }
  TSlot Next(TSlot slot) const { return FLinks[static_cast<std::size_t>(slot)].Next; }
  // Insertion order of one trigger note's events.
  TSlot FirstOfTrigger(int32_t triggerNote) const;
  TSlot NextOfTrigger(TSlot slot) const { return FLinks[static_cast<std::size_t>(slot)].TriggerNext; }

  // Changes the times of many pending events at once (a transport jump): `retime` gets each pending
  // event's slot and current event and returns its new time. Among equal new times the order in which
  // they became pending still holds. O(p log p) for p pending events.
  template <typename TRetime> void RetimePending(TRetime retime);

private:
  using TGroup = int32_t;
  struct TLinks {
    TSlot Prev = None;
    TSlot Next = None;
    TSlot TriggerPrev = None;
    TSlot TriggerNext = None;
    TGroup Group = None; // the due group while pending, else None
    TSlot DuePrev = None;
    TSlot DueNext = None;
    uint64_t Sequence = 0; // when it became pending
  };
  // Pending events of one time, first in first out. Free groups are chained through Head.
  struct TDueGroup {
    double Time = 0.0;
    TSlot Head = None;
    TSlot Tail = None;
    int32_t HeapIndex = -1; // -1 while free
  };
  // The heap keeps the groups' keys with it, so that ordering never reads the groups themselves.
  struct THeapEntry {
    double Time = 0.0;
    uint64_t Sequence = 0; // when the group began: groups of equal times go in this order
    TGroup Group = None;
  };

  static bool IsPending(TEventState state) { return state == esNoteOnPending || state == esNoteOffPending; }
  static constexpr int32_t Arity = 4;
  static constexpr std::size_t RecentGroups = 64;
  static bool DueBefore(const THeapEntry& a, const THeapEntry& b) {
    return a.Time < b.Time || (a.Time == b.Time && a.Sequence < b.Sequence);
  }
  static std::size_t RecentIndex(double time);
  // Puts a pending event at the end of the due order of its time; `sequence` records when.
  void DueInsert(TSlot slot, uint64_t sequence);
  void DueErase(TSlot slot);
  void AppendToGroup(TSlot slot, TGroup group);
  // DueInsert when the newest group has another time: the recent group of the time, or a new one.
  void DueInsertByTime(TSlot slot, double time);
  void ClearDueOrder();
  void HeapErase(int32_t index);
  void SiftUp(int32_t index);
  void SiftDown(int32_t index);
  void HeapPlace(int32_t index, const THeapEntry& entry);
  void ReinsertPending(int32_t count);

  std::unique_ptr<TMidiEvent[]> FItems;
  std::unique_ptr<TLinks[]> FLinks;
  std::unique_ptr<TDueGroup[]> FGroups;
  std::unique_ptr<THeapEntry[]> FHeap;
  std::unique_ptr<TSlot[]> FScratch; // the pending slots while they are re-timed
  // The newest group of each time seen lately (by a hash of the time), so that an event pending at
  // the time of a recent group joins it. Only the newest group of a time may take new events: the
  // entry is overwritten by every group that begins.
  TGroup FRecent[RecentGroups];
  TSlot FTriggerFirst[TriggerNotes];
  TSlot FTriggerLast[TriggerNotes];
  std::size_t FCapacity;
  int32_t FCount = 0;
  int32_t FHeapCount = 0;
  TSlot FFirst = None;
  TSlot FLast = None;
  TSlot FFree = None;       // free slots, chained through Next
  TGroup FFreeGroup = None; // free groups, chained through Head
  TGroup FNewest = None;    // the group begun last (it may have emptied since)
  uint64_t FSequence = 0;
};

template <typename TRetime> void TMidiEvents::RetimePending(TRetime retime) {
  int32_t count = 0;
  for (int32_t i = 0; i < FHeapCount; ++i) {
    for (TSlot slot = FGroups[static_cast<std::size_t>(FHeap[static_cast<std::size_t>(i)].Group)].Head;
         slot != None; slot = FLinks[static_cast<std::size_t>(slot)].DueNext) {
      TMidiEvent& event = FItems[static_cast<std::size_t>(slot)];
      event.Time = retime(slot, static_cast<const TMidiEvent&>(event));
      FScratch[static_cast<std::size_t>(count++)] = slot;
    }
  }
  ReinsertPending(count);
}

// Inline: once or more per chord note or due event.

[[gnu::always_inline]] inline TMidiEvents::TSlot TMidiEvents::Add(const TMidiEvent& event) {
  if (FFree == None || event.TriggerNote < 0 || event.TriggerNote >= TriggerNotes) {
    return None;
  }
  const TSlot slot = FFree;
  TLinks& links = FLinks[static_cast<std::size_t>(slot)];
  FFree = links.Next;
  FItems[static_cast<std::size_t>(slot)] = event;

  // Every link is written here (a freed slot keeps stale ones, see Remove).
  links.Prev = FLast;
  links.Next = None;
  if (FLast != None) {
    FLinks[static_cast<std::size_t>(FLast)].Next = slot;
  } else {
    FFirst = slot;
  }
  FLast = slot;

  const int32_t trigger = event.TriggerNote;
  const TSlot triggerLast = FTriggerLast[trigger];
  links.TriggerPrev = triggerLast;
  links.TriggerNext = None;
  if (triggerLast != None) {
    FLinks[static_cast<std::size_t>(triggerLast)].TriggerNext = slot;
  } else {
    FTriggerFirst[trigger] = slot;
  }
  FTriggerLast[trigger] = slot;

  ++FCount;
  links.Group = None;
  if (IsPending(event.State)) {
    DueInsert(slot, FSequence++);
  }
  return slot;
}

inline void TMidiEvents::SetState(TSlot slot, TEventState state, double time) {
  TMidiEvent& event = FItems[static_cast<std::size_t>(slot)];
  if (FLinks[static_cast<std::size_t>(slot)].Group != None) {
    DueErase(slot);
  }
  event.State = state;
  event.Time = time;
  if (IsPending(state)) {
    DueInsert(slot, FSequence++);
  }
}

[[gnu::always_inline]] inline void TMidiEvents::Remove(TSlot slot) {
  TLinks& links = FLinks[static_cast<std::size_t>(slot)];
  if (links.Group != None) {
    DueErase(slot);
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
  // The other links are stale until Add writes them again; Group says the slot is in no due group.
  links.Group = None;
  links.Next = FFree;
  FFree = slot;
  --FCount;
}

inline void TMidiEvents::DueInsert(TSlot slot, uint64_t sequence) {
  const double time = FItems[static_cast<std::size_t>(slot)].Time;
  FLinks[static_cast<std::size_t>(slot)].Sequence = sequence;
  // The group begun last is the newest of its time: a burst of one time joins it without the look-up.
  const TGroup newest = FNewest;
  if (newest != None && FGroups[static_cast<std::size_t>(newest)].HeapIndex >= 0 &&
      FGroups[static_cast<std::size_t>(newest)].Time == time) {
    AppendToGroup(slot, newest);
  } else {
    DueInsertByTime(slot, time);
  }
}

inline void TMidiEvents::AppendToGroup(TSlot slot, TGroup group) {
  TLinks& links = FLinks[static_cast<std::size_t>(slot)];
  TDueGroup& target = FGroups[static_cast<std::size_t>(group)];
  links.Group = group;
  links.DuePrev = target.Tail;
  links.DueNext = None;
  if (target.Tail != None) {
    FLinks[static_cast<std::size_t>(target.Tail)].DueNext = slot;
  } else {
    target.Head = slot;
  }
  target.Tail = slot;
}

inline void TMidiEvents::DueErase(TSlot slot) {
  TLinks& links = FLinks[static_cast<std::size_t>(slot)];
  TDueGroup& group = FGroups[static_cast<std::size_t>(links.Group)];
  if (links.DuePrev != None) {
    FLinks[static_cast<std::size_t>(links.DuePrev)].DueNext = links.DueNext;
  } else {
    group.Head = links.DueNext;
  }
  if (links.DueNext != None) {
    FLinks[static_cast<std::size_t>(links.DueNext)].DuePrev = links.DuePrev;
  } else {
    group.Tail = links.DuePrev;
  }
  if (group.Head == None) {
    HeapErase(group.HeapIndex);
    group.HeapIndex = -1;
    group.Head = FFreeGroup;
    FFreeGroup = links.Group;
  }
  links.Group = None;
  links.DuePrev = None;
  links.DueNext = None;
}
