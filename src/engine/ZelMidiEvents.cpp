// ZelMidiEvents: the queue of scheduled chord notes (pending, sounding, releasing), fixed capacity.
#include "engine/ZelMidiEvents.h"

TMidiEvents::TMidiEvents(std::size_t capacity) : FItems(new TMidiEvent[capacity]), FCapacity(capacity) {}

bool TMidiEvents::Add(uint8_t state, int32_t triggerNote, double schedulePosition, int32_t channel,
                      int32_t note, int32_t velocity, double time, int32_t position) {
  if (FCount >= FCapacity) {
    return false;
  }
  TMidiEvent& event = FItems[FCount++];
  event.TriggerNote = triggerNote;
  event.Channel = channel;
  event.SchedulePosition = schedulePosition;
  event.State = state;
  event.Note = note;
  event.Time = time;
  event.Position = position;
  event.Velocity = velocity;
  return true;
}

// One stable compaction pass: deleting one by one would shift the tail once per deletion.
template <typename TPredicate> void TMidiEvents::RemoveIf(TPredicate remove) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < FCount; ++i) {
    if (!remove(FItems[i])) {
      if (kept != i) {
        FItems[kept] = FItems[i];
      }
      ++kept;
    }
  }
  FCount = kept;
}

void TMidiEvents::RemoveTriggerEvents(int32_t triggerNote, uint8_t state) {
  RemoveIf([&](const TMidiEvent& e) { return e.TriggerNote == triggerNote && e.State == state; });
}

int32_t TMidiEvents::IndexOfNote(int32_t note, uint8_t state) const {
  for (std::size_t i = 0; i < FCount; ++i) {
    if (FItems[i].Note == note && FItems[i].State == state) {
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

void TMidiEvents::PurgeDone() {
  RemoveIf([](const TMidiEvent& e) { return e.State == EventState::Done; });
}

void TMidiEvents::RemoveAllButSounding() {
  RemoveIf([](const TMidiEvent& e) { return e.State != EventState::Sounding; });
}

void TMidiEvents::Delete(int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= FCount) {
    return;
  }
  for (std::size_t i = static_cast<std::size_t>(index) + 1; i < FCount; ++i) {
    FItems[i - 1] = FItems[i];
  }
  --FCount;
}
