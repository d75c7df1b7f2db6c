#include "editor/ChordLibrary.h"

#include "engine/TriaxoSetup.h"
#include "engine/ZelMidi.h"
#include "host/ZelCommon.h"

#include <bit>

namespace {
int32_t PitchClass(int32_t value) {
  return ((value % 12) + 12) % 12;
}
constexpr int32_t MinSuggestedPitchClasses = 3;
} // namespace

TChordDefinition ParseChordDefinition(std::string_view definition) {
  TChordDefinition result;
  std::string intervals(definition);
  const std::string first = TrimText(GetField(definition, 1, ",", true));
  if (!IsInteger(first)) {
    result.HasName = true;
    result.Name = StripQuotes(first);
    intervals = TextAfter(",", definition);
  }
  if (TrimText(intervals).empty()) {
    return result;
  }
  for (const std::string& field : TextFields(intervals, ",", false)) {
    int32_t value = 0;
    if (TryTextToInt(TrimText(field), value) && InRange(value, MinChordInterval, MaxChordInterval)) {
      result.Intervals.push_back(value);
    }
  }
  return result;
}

std::string TChordLibrary::Definition(int32_t index) const {
  return ValidLine(index) ? GetField(TrimText(Lines[static_cast<std::size_t>(index)]), 2, ";")
                          : std::string();
}

std::string TChordLibrary::LineName(int32_t index) const {
  return ValidLine(index) ? GetField(TrimText(Lines[static_cast<std::size_t>(index)]), 1, ";")
                          : std::string();
}

int32_t TChordLibrary::IndexOfChordID(std::string_view chordName) const {
  for (int32_t i = 0; i < Count(); ++i) {
    if (TextBetween(Lines[static_cast<std::size_t>(i)], ";", ",", true) == chordName) {
      return i;
    }
  }
  return -1;
}

uint16_t TChordLibrary::ScaleSet(const TTriggers& triggers) {
  const int32_t root = triggers.SelectedItem().Key;
  uint16_t set = 0;
  if (root < 0) {
    return set;
  }
  for (int32_t j = 0; j < TTriggers::Count; ++j) {
    const int32_t key = triggers[j].Key;
    if (key >= 0) {
      set |= static_cast<uint16_t>(1u << PitchClass(key - root));
    }
  }
  return set;
}

TChordLibrary::TSuggestions TChordLibrary::Suggest(const TTriggers& triggers) const {
  TSuggestions result;
  const int32_t root = triggers.SelectedItem().Key;
  if (root < 0) {
    result.NoRootNote = true;
    return result;
  }
  const uint16_t scale = ScaleSet(triggers);
  for (int32_t i = 0; i < Count(); ++i) {
    const std::string text = TrimText(Lines[static_cast<std::size_t>(i)]);
    if (text.empty() || text == "-" || text.front() == '>') {
      continue;
    }
    uint16_t chord = 0;
    for (const int32_t interval : ParseChordDefinition(Definition(i)).Intervals) {
      chord |= static_cast<uint16_t>(1u << PitchClass(interval));
    }
    if (std::popcount(chord) >= MinSuggestedPitchClasses && (chord & ~scale) == 0) {
      result.Items.push_back({SuggestionTagBase + i, NoteName(root) + " " + LineName(i)});
    }
  }
  return result;
}
