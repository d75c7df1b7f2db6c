// UndelayedNotes: chord notes due the moment they are made, kept out of the event queue for their block.
#pragma once

#include "engine/NoteLedger.h"
#include "engine/ZelMidiEvents.h"

#include <cstdint>
#include <memory>

// A press makes chord notes that are due at once (no start delay). Most of a burst of presses is
// ended again in the same block by a later chord note of the same pitch, so a slot in the queue, with
// its two ordered lists and its due group, would be taken and given back for nothing. These notes wait
// here in the order they were made, are sent from here, and only those still sounding (or not yet
// sent) when the list is handed over take a slot.
//
// The list is always the youngest part of the queue as it would be without it: every note in it was
// made after every queued event, and its pending notes (all of one time) became pending after every
// queued pending event of that time. The engine keeps that true by handing the list over before it
// queues anything itself or walks the queue (a release, a panic controller), and at the end of every
// block. Handing over appends the living notes to the queue in the order they were made, so the queue
// ends up exactly as if they had been queued when made: the same insertion orders (a release walks its
// trigger's notes in that order and draws its random end delays in it), the same due order, and, since
// the living notes count against the queue's capacity, the same decisions when it is full.
// Sounding notes own their ledger entry under an owner number of this list until they are handed over.
// Audio thread only; no allocation, no locks.
class TUndelayedNotes {
public:
  static constexpr int32_t DefaultCapacity = 4096;

  // Notes are ledger owners ownerBase .. ownerBase + capacity - 1 while they sound here.
  explicit TUndelayedNotes(TNoteLedger::TOwner ownerBase, int32_t capacity = DefaultCapacity);
  ~TUndelayedNotes();
  TUndelayedNotes(const TUndelayedNotes&) = delete;
  TUndelayedNotes& operator=(const TUndelayedNotes&) = delete;

  bool Empty() const { return FCount == 0; }
  // Notes made and not ended (they would each hold a queue slot).
  int32_t Living() const { return FLiving; }
  // A note-on pending event of this time may join: the list has room and its pending notes (if any)
  // have that time. Otherwise the list must be handed over first.
  bool CanTake(double time) const { return CanTake(time, 1); }
  // The same for `count` notes of that time, made one after another.
  bool CanTake(double time, int32_t count) const {
    return FCount + count <= FCapacity && (FNext == FCount || time == FTime);
  }
  // Appends a pending note (State esNoteOnPending, due in this block at `offset`); CanTake holds. Its
  // trigger note, pitch and velocity are MIDI values, its channel 0..15, its position -1..4.
  void Add(const TMidiEvent& event, int32_t offset) {
    if (FNext == FCount) {
      FTime = event.Time;
      FOffset = offset;
    }
    TNote& note = FItems[static_cast<std::size_t>(FCount)];
    note.Time = event.Time;
    note.SchedulePosition = event.SchedulePosition;
    note.TriggerNote = static_cast<uint8_t>(event.TriggerNote);
    note.Channel = static_cast<uint8_t>(event.Channel);
    note.Note = static_cast<uint8_t>(event.Note);
    note.Velocity = static_cast<uint8_t>(event.Velocity);
    note.Position = static_cast<int8_t>(event.Position);
    note.Sounding = false;
    note.Living = true;
    ++FCount;
    ++FLiving;
  }

  // The pending notes, in the order they were made: all due at Time(), sample Offset() of the block.
  bool HasPending() const { return FNext < FCount; }
  double Time() const { return FTime; }
  int32_t Offset() const { return FOffset; }
  // A note as the list keeps it: the fields of its queue event in less than half the room (a burst of
  // presses fills thousands of them in one block; at a queue event's size they were the block's
  // main traffic to the second-level cache).
  struct TNote {
    double Time = 0.0;
    double SchedulePosition = 0.0;
    uint8_t TriggerNote = 0;
    uint8_t Channel = 0;
    uint8_t Note = 0;
    uint8_t Velocity = 0;
    int8_t Position = 0;
    bool Sounding = false; // sent; pending before
    bool Living = false;   // made and not ended
  };
  static_assert(sizeof(TNote) == 24);
  const TNote& NextPending() const { return FItems[static_cast<std::size_t>(FNext)]; }
  TNoteLedger::TOwner NextOwner() const { return FOwnerBase + FNext; }
  // The next pending note was sent: it sounds now, owned by NextOwner().
  void StartNext() {
    FItems[static_cast<std::size_t>(FNext)].Sounding = true;
    ++FNext;
  }

  bool IsOwner(TNoteLedger::TOwner owner) const {
    return owner >= FOwnerBase && owner < FOwnerBase + FCapacity;
  }
  // A sounding note ended (by a newer note of its pitch or a panic): it never takes a slot.
  void End(TNoteLedger::TOwner owner) {
    FItems[static_cast<std::size_t>(owner - FOwnerBase)].Living = false;
    --FLiving;
  }

  // Appends the living notes to the queue in the order they were made (sounding ones pass their
  // ledger entries to their slots) and empties the list. The queue has room: Living counted there.
  void HandOver(TMidiEvents& queue, TNoteLedger& ledger);
  // Forgets everything (the queue and the ledger are being cleared too).
  void Clear() { FCount = FNext = FLiving = 0; }

private:
  std::unique_ptr<TNote[]> FItems;
  TNoteLedger::TOwner FOwnerBase;
  int32_t FCapacity;
  int32_t FCount = 0;  // notes made since the last hand-over
  int32_t FNext = 0;   // the first pending one; before it every note was sent
  int32_t FLiving = 0; // made and not ended
  double FTime = 0.0;  // of the pending notes
  int32_t FOffset = 0; // their offset in the block
};
