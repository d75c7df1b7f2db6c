// ZelMidiNoteList: the editor's list of sounding notes and the information-line text built from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TMidiNoteItem {
  int32_t TriggerNote = 0;
  int32_t Note = 0;
  int32_t Position = 0;
  int32_t Velocity = 0;
};

// Owned by the editor window; user-interface thread only (the audio side reaches it through the
// engine's editor feed).
class TMidiNoteList {
public:
  bool AllowDuplicates = false;

  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  const TMidiNoteItem& Items(int32_t index) const { return FItems[static_cast<std::size_t>(index)]; }
  const TMidiNoteItem& operator[](int32_t index) const { return Items(index); }

  // Without AllowDuplicates a note already listed is not added again.
  void Add(int32_t triggerNote, int32_t note, int32_t position, int32_t velocity);
  int32_t IndexOfNote(int32_t note) const;
  // Deletes every entry of that trigger note; true if any was deleted.
  bool RemoveTrigger(int32_t triggerNote);
  void Clear() { FItems.clear(); }
  // "F#0 => F#0 / C3 => C3 - E3 - G3": grouped by trigger note, each group in position then pitch
  // order. Empty for an empty list.
  std::string BuildText() const;

private:
  std::vector<TMidiNoteItem> FItems;
};
