// EditorFeed: the audio thread's notices for the open editor (highlights, sounding notes).
#include "engine/EditorFeed.h"

#include "engine/HighlightedNotes.h"
#include "engine/ZelMidiNoteList.h"

void TEditorFeed::Attach() noexcept {
  // Entries of an earlier session are dropped at the next Apply by their session tag.
  if (++FLastSession == 0) {
    ++FLastSession;
  }
  FOverflowed.store(false, std::memory_order_relaxed);
  FSession.store(FLastSession, std::memory_order_relaxed);
}

void TEditorFeed::Detach() noexcept {
  FSession.store(0, std::memory_order_relaxed);
  FQueue.Discard();
}

void TEditorFeed::Push(TEditorFeedEntry entry) noexcept {
  entry.Session = FSession.load(std::memory_order_relaxed);
  if (entry.Session == 0) {
    return;
  }
  if (!FQueue.Push(entry)) {
    // release: pairs with the consumer's acquire exchange so it drains what was queued before.
    FOverflowed.store(true, std::memory_order_release);
  }
}

void TEditorFeed::Apply(THighlightedNotes& highlights, TMidiNoteList& soundingNotes) {
  const uint32_t session = FSession.load(std::memory_order_relaxed);
  TEditorFeedEntry entry;
  while (FQueue.Pop(entry)) {
    if (entry.Session != session || session == 0) {
      continue;
    }
    switch (entry.Kind) {
    case efkHighlightTrigger:
      highlights.HighlightTrigger(entry.TriggerNote);
      break;
    case efkReleaseTrigger:
      highlights.ReleaseTrigger(entry.TriggerNote);
      break;
    case efkAddSoundingNote:
      soundingNotes.Add(entry.TriggerNote, entry.Note, entry.Position, entry.Velocity);
      break;
    case efkRemoveTrigger:
      soundingNotes.RemoveTrigger(entry.TriggerNote);
      break;
    }
  }
  if (FOverflowed.exchange(false, std::memory_order_acquire)) {
    // Something was lost: better show nothing than a key that never lets go.
    highlights.ReleaseAll();
    soundingNotes.Clear();
  }
}
