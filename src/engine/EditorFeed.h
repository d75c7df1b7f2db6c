// EditorFeed: the audio thread's notices for the open editor (highlights, sounding notes).
#pragma once

#include "engine/SpscQueue.h"

#include <atomic>
#include <cstdint>

class THighlightedNotes;
class TMidiNoteList;

enum TEditorFeedKind : uint8_t {
  efkHighlightTrigger,
  efkReleaseTrigger,
  efkAddSoundingNote,
  efkRemoveTrigger
};

struct TEditorFeedEntry {
  TEditorFeedKind Kind = efkHighlightTrigger;
  uint32_t Session = 0;
  int32_t TriggerNote = 0;
  int32_t Note = 0;
  int32_t Position = 0;
  int32_t Velocity = 0;
};

// Producer: the audio thread, and only while an editor is attached. Consumer: the editor-idle call,
// which applies the entries to the editor's own lists. Every entry carries the attach session it was
// made for, so entries meant for an editor that has since closed never reach a newer one.
class TEditorFeed {
public:
  static constexpr std::size_t Capacity = 2048;

  // User-interface thread.
  void Attach() noexcept;
  void Detach() noexcept;
  // Applies the queued entries in order: highlight and release of trigger keys, sounding notes added
  // and removed. After a lost entry (full queue) the lists are reset: every key released, no notes.
  void Apply(THighlightedNotes& highlights, TMidiNoteList& soundingNotes);

  // Audio thread; no allocation, no locks.
  bool IsAttached() const noexcept { return FSession.load(std::memory_order_relaxed) != 0; }
  void HighlightTrigger(int32_t note) noexcept { Push({efkHighlightTrigger, 0, note, 0, 0, 0}); }
  void ReleaseTrigger(int32_t note) noexcept { Push({efkReleaseTrigger, 0, note, 0, 0, 0}); }
  void AddSoundingNote(int32_t triggerNote, int32_t note, int32_t position, int32_t velocity) noexcept {
    Push({efkAddSoundingNote, 0, triggerNote, note, position, velocity});
  }
  void RemoveTrigger(int32_t triggerNote) noexcept { Push({efkRemoveTrigger, 0, triggerNote, 0, 0, 0}); }

private:
  void Push(TEditorFeedEntry entry) noexcept;

  TSpscQueue<TEditorFeedEntry, Capacity> FQueue;
  // 0 while no editor is attached. Relaxed: a tag compared on the consumer side, the entries
  // themselves travel through the queue's release/acquire.
  std::atomic<uint32_t> FSession{0};
  std::atomic<bool> FOverflowed{false};
  uint32_t FLastSession = 0; // user-interface thread only
};
