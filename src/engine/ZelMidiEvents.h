// ZelMidiEvents: the queue of scheduled chord notes (pending, sounding, releasing), fixed capacity.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// States of a scheduled chord note.
namespace EventState {
constexpr uint8_t NoteOffPending = 0;
constexpr uint8_t NoteOnPending = 1;
constexpr uint8_t Sounding = 2;
constexpr uint8_t Done = 3;
} // namespace EventState

struct TMidiEvent {
  int32_t TriggerNote = 0;
  int32_t Channel = 0;
  double SchedulePosition = 0.0; // block position when scheduled; re-bases note-ons after a jump back
  uint8_t State = EventState::NoteOnPending;
  int32_t Note = 0;
  double Time = 0.0; // samples: note-on time while pending, note-off time while releasing
  int32_t Position = 0;
  int32_t Velocity = 0;
};

// Insertion-ordered queue, allocated once at construction. Only the audio thread touches it after
// construction; every operation is audio thread; no allocation, no locks.
class TMidiEvents {
public:
  // Far above what a keyboard produces (a few events per held note); a full queue drops new events.
  static constexpr std::size_t DefaultCapacity = 4096;

  explicit TMidiEvents(std::size_t capacity = DefaultCapacity);
  TMidiEvents(const TMidiEvents&) = delete;
  TMidiEvents& operator=(const TMidiEvents&) = delete;

  int32_t Count() const { return static_cast<int32_t>(FCount); }
  std::size_t Capacity() const { return FCapacity; }
  TMidiEvent& Items(int32_t index) { return FItems[static_cast<std::size_t>(index)]; }
  const TMidiEvent& Items(int32_t index) const { return FItems[static_cast<std::size_t>(index)]; }
  TMidiEvent& operator[](int32_t index) { return Items(index); }
  const TMidiEvent& operator[](int32_t index) const { return Items(index); }

  // Appends an event; false (nothing changed) when the queue is full.
  bool Add(uint8_t state, int32_t triggerNote, double schedulePosition, int32_t channel, int32_t note,
           int32_t velocity, double time, int32_t position);
  // Deletes every event of that trigger note in that state; the others keep their order.
  void RemoveTriggerEvents(int32_t triggerNote, uint8_t state);
  // First event from the front with that output note and state, -1 if none (any channel).
  int32_t IndexOfNote(int32_t note, uint8_t state) const;
  // Deletes every event in state Done.
  void PurgeDone();
  // Deletes every event that is not sounding.
  void RemoveAllButSounding();
  void Delete(int32_t index);
  void Clear() { FCount = 0; }

private:
  template <typename TPredicate> void RemoveIf(TPredicate remove);

  std::unique_ptr<TMidiEvent[]> FItems;
  std::size_t FCapacity;
  std::size_t FCount = 0;
};
