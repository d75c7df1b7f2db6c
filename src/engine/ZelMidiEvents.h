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
// - due order over the pending events (note-on and note-off pending): a 4-ary heap on (Time, the
//   order in which they became pending), so the block handler reads the earliest due event at once
//   and takes it in O(log n); four children per node halve the depth of a binary heap.
// Audio thread only after construction; no allocation, no locks.
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
  TSlot Earliest() const { return FHeapCount > 0 ? FHeap[0].Slot : None; }

  // Insertion order: First, then Next until None.
  TSlot First() const { return FFirst; }
  TSlot Next(TSlot slot) const { return FLinks[static_cast<std::size_t>(slot)].Next; }
  // Insertion order of one trigger note's events.
  TSlot FirstOfTrigger(int32_t triggerNote) const;
  TSlot NextOfTrigger(TSlot slot) const { return FLinks[static_cast<std::size_t>(slot)].TriggerNext; }

  // Changes the times of many pending events at once (a transport jump): `retime` gets each pending
  // event's slot and current event and returns its new time. One pass, then the due order is rebuilt.
  template <typename TRetime> void RetimePending(TRetime retime);

private:
  struct TLinks {
    TSlot Prev = None;
    TSlot Next = None;
    TSlot TriggerPrev = None;
    TSlot TriggerNext = None;
    int32_t HeapIndex = -1; // -1 while not pending
  };
  // The due order keeps its keys with it, so that ordering never reads the events themselves.
  struct THeapEntry {
    double Time = 0.0;
    uint64_t Sequence = 0; // when it became pending: ties of equal times go in this order
    TSlot Slot = None;
  };

  static bool IsPending(TEventState state) { return state == esNoteOnPending || state == esNoteOffPending; }
  static constexpr int32_t Arity = 4;
  static bool DueBefore(const THeapEntry& a, const THeapEntry& b) {
    return a.Time < b.Time || (a.Time == b.Time && a.Sequence < b.Sequence);
  }
  void HeapInsert(TSlot slot);
  void HeapErase(TSlot slot);
  void SiftUp(int32_t index);
  void SiftDown(int32_t index);
  void HeapPlace(int32_t index, const THeapEntry& entry);
  void RebuildHeap();

  std::unique_ptr<TMidiEvent[]> FItems;
  std::unique_ptr<TLinks[]> FLinks;
  std::unique_ptr<THeapEntry[]> FHeap;
  TSlot FTriggerFirst[TriggerNotes];
  TSlot FTriggerLast[TriggerNotes];
  std::size_t FCapacity;
  int32_t FCount = 0;
  int32_t FHeapCount = 0;
  TSlot FFirst = None;
  TSlot FLast = None;
  TSlot FFree = None; // free slots, chained through Next
  uint64_t FSequence = 0;
};

template <typename TRetime> void TMidiEvents::RetimePending(TRetime retime) {
  for (int32_t i = 0; i < FHeapCount; ++i) {
    THeapEntry& entry = FHeap[static_cast<std::size_t>(i)];
    TMidiEvent& event = FItems[static_cast<std::size_t>(entry.Slot)];
    event.Time = retime(entry.Slot, static_cast<const TMidiEvent&>(event));
    entry.Time = event.Time;
  }
  RebuildHeap();
}
