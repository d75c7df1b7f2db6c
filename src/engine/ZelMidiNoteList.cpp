// ZelMidiNoteList: the editor's list of sounding notes and the information-line text built from it.
#include "engine/ZelMidiNoteList.h"

#include "engine/ZelMidi.h"

#include <algorithm>
#include <tuple>

void TMidiNoteList::Add(int32_t triggerNote, int32_t note, int32_t position, int32_t velocity) {
  if (!AllowDuplicates && IndexOfNote(note) >= 0) {
    return;
  }
  FItems.push_back({triggerNote, note, position, velocity});
}

int32_t TMidiNoteList::IndexOfNote(int32_t note) const {
  for (std::size_t i = 0; i < FItems.size(); ++i) {
    if (FItems[i].Note == note) {
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

bool TMidiNoteList::RemoveTrigger(int32_t triggerNote) {
  const auto before = FItems.size();
  std::erase_if(FItems, [&](const TMidiNoteItem& item) { return item.TriggerNote == triggerNote; });
  return FItems.size() != before;
}

std::string TMidiNoteList::BuildText() const {
  if (FItems.empty()) {
    return {};
  }
  std::vector<TMidiNoteItem> sorted = FItems;
  std::stable_sort(sorted.begin(), sorted.end(), [](const TMidiNoteItem& a, const TMidiNoteItem& b) {
    return std::tie(a.TriggerNote, a.Position, a.Note) < std::tie(b.TriggerNote, b.Position, b.Note);
  });
  std::string text;
  int32_t inGroup = 0;
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    const TMidiNoteItem& item = sorted[i];
    if (i == 0 || item.TriggerNote != sorted[i - 1].TriggerNote) {
      if (!text.empty()) {
        text += " / ";
      }
      text += NoteText(item.TriggerNote) + " => ";
      inGroup = 0;
    }
    if (inGroup > 0) {
      text += " - ";
    }
    text += NoteText(item.Note);
    ++inGroup;
  }
  return text;
}
