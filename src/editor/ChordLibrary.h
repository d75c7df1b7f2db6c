// ChordLibrary: the chord library's lines: chord definitions, the entry to check, chord suggestions.
#pragma once

#include "editor/MenuGrammar.h"
#include "editor/TextFileLines.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TTriggers;

// Intervals above a chord's root that fit the five-octave chord keyboard.
inline constexpr int32_t MinChordInterval = -24;
inline constexpr int32_t MaxChordInterval = 35;

// A chord definition ("Maj,0,4,7"): an optional chord ID, then intervals, separated by ",".
struct TChordDefinition {
  // True when the first field is no integer: it is the chord ID (one leading and one trailing double
  // quote removed; trimming and cutting to 6 characters happen in SetName).
  bool HasName = false;
  std::string Name;
  // The integer fields within MinChordInterval..MaxChordInterval, in written order; other fields
  // are skipped.
  std::vector<int32_t> Intervals;
};
TChordDefinition ParseChordDefinition(std::string_view definition);

class TChordLibrary {
public:
  static constexpr int32_t SuggestionTagBase = 1000;

  TTextLines Lines;

  int32_t Count() const { return static_cast<int32_t>(Lines.size()); }
  bool ValidLine(int32_t index) const { return index >= 0 && index < Count(); }

  // The definition of a line: its second ";"-field (text after a second ";" is ignored).
  std::string Definition(int32_t index) const;
  // The menu caption of a line: its first ";"-field.
  std::string LineName(int32_t index) const;

  std::vector<TMenuNode> Menu() const { return BuildMenu(Lines); }
  // The line whose text between its first ";" and the next "," is exactly chordName (case-sensitive),
  // -1 when none. Lines without that part carry an empty chord ID and match an empty name.
  int32_t IndexOfChordID(std::string_view chordName) const;

  // The "Suggest Chord" entries for the selected trigger: every entry line whose chord has at least
  // three distinct pitch classes, all of them among the scale set (the roots of the keyed triggers
  // relative to the selected one's), in line order.
  struct TSuggestion {
    int32_t Tag = 0; // SuggestionTagBase + line index
    std::string Caption;
  };
  struct TSuggestions {
    bool NoRootNote = false; // the selected trigger has no root: nothing can be suggested
    std::vector<TSuggestion> Items;
  };
  TSuggestions Suggest(const TTriggers& triggers) const;
  // The pitch classes 0..11 present among the triggers' roots relative to the selected one (bit k
  // set for k); always holds 0 when the selected trigger has a root.
  static uint16_t ScaleSet(const TTriggers& triggers);
};
