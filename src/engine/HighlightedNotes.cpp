// HighlightedNotes: the trigger keys the editor shows pressed, marked by the engine, drawn by the editor.
#include "engine/HighlightedNotes.h"

namespace {
int32_t PitchClass(int32_t note) {
  return ((note % 12) + 12) % 12;
}
} // namespace

void THighlightedNotes::Add(int32_t note) {
  if (IndexOf(note) < 0) {
    FItems.push_back({note, HighlightState::NewlyPressed});
  }
}

int32_t THighlightedNotes::IndexOf(int32_t note) const {
  for (std::size_t i = 0; i < FItems.size(); ++i) {
    if (FItems[i].Note == note) {
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

int32_t THighlightedNotes::IndexOfPitchClass(int32_t pitchClass) const {
  for (std::size_t i = 0; i < FItems.size(); ++i) {
    if (PitchClass(FItems[i].Note) == pitchClass) {
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

void THighlightedNotes::Delete(int32_t index) {
  if (index >= 0 && index < Count()) {
    FItems.erase(FItems.begin() + index);
  }
}

bool THighlightedNotes::HighlightTrigger(int32_t note) {
  const int32_t pitchClass = PitchClass(note);
  if (IndexOfPitchClass(pitchClass) >= 0) {
    return false;
  }
  Add(pitchClass);
  return true;
}

bool THighlightedNotes::ReleaseTrigger(int32_t note) {
  const int32_t index = IndexOf(PitchClass(note));
  if (index < 0) {
    return false;
  }
  FItems[static_cast<std::size_t>(index)].State = HighlightState::Released;
  return true;
}

void THighlightedNotes::ReleaseAll() {
  for (auto& item : FItems) {
    item.State = HighlightState::Released;
  }
}

void THighlightedNotes::Refresh(const std::function<void(int32_t, bool)>& showKey) {
  for (std::size_t i = FItems.size(); i-- > 0;) {
    THighlightedNote& item = FItems[i];
    if (item.State == HighlightState::NewlyPressed) {
      showKey(item.Note, true);
      item.State = HighlightState::Drawn;
    } else if (item.State == HighlightState::Released) {
      showKey(item.Note, false);
      FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
}
