// UndelayedNotes: chord notes due the moment they are made, kept out of the event queue for their block.
#include "engine/UndelayedNotes.h"

TUndelayedNotes::TUndelayedNotes(TNoteLedger::TOwner ownerBase, int32_t capacity)
    : FItems(new TNote[static_cast<std::size_t>(capacity)]), FOwnerBase(ownerBase), FCapacity(capacity) {}

TUndelayedNotes::~TUndelayedNotes() = default;

void TUndelayedNotes::HandOver(TMidiEvents& queue, TNoteLedger& ledger) {
  TMidiEvent event;
  for (int32_t i = 0; i < FCount; ++i) {
    const TNote& note = FItems[static_cast<std::size_t>(i)];
    if (!note.Living) {
      continue;
    }
    event.TriggerNote = note.TriggerNote;
    event.Channel = note.Channel;
    event.SchedulePosition = note.SchedulePosition;
    event.State = note.Sounding ? esSounding : esNoteOnPending;
    event.Note = note.Note;
    event.Time = note.Time;
    event.Position = note.Position;
    event.Velocity = note.Velocity;
    const TMidiEvents::TSlot slot = queue.Add(event);
    if (note.Sounding && slot != TMidiEvents::None) {
      ledger.Hand(note.Channel, note.Note, slot);
    }
  }
  Clear();
}
