// ScaleTemplates: the wizard's template lines: degrees, names, captions, and the Easy Mode key table.
#pragma once

#include "editor/MenuGrammar.h"
#include "editor/TextFileLines.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One degree of a template: the root's distance above the tonic and the chord text (a chord
// definition, empty for a root alone).
struct TTemplateDegree {
  int32_t Offset = 0;
  std::string Chord;
};

// A template line: "Name;degree;degree...|variation;variation...".
struct TScaleTemplate {
  static constexpr int32_t MaxDegrees = 12;
  static constexpr int32_t MaxVariations = 5;
  static constexpr int32_t MaxOffset = 12;

  std::string Name;
  // At most 12 degrees with offsets 0..12, sorted by offset (equal offsets keep their order).
  std::vector<TTemplateDegree> Degrees;
  // At most 5 variation degrees, in written order.
  std::vector<TTemplateDegree> Variations;
};
TScaleTemplate ParseTemplateLine(std::string_view line);

// The triggers Easy Mode fills, in order, for a template of degreeCount degrees (1..12): the white
// keys first, black keys joining as the scale grows.
std::vector<int32_t> EasyModeKeys(int32_t degreeCount);
// The black keys that take the variation chords, in order.
inline constexpr std::array<int32_t, 5> VariationKeys = {1, 3, 6, 8, 10};

class TScaleTemplates {
public:
  TTextLines Lines;

  int32_t Count() const { return static_cast<int32_t>(Lines.size()); }
  bool ValidLine(int32_t index) const { return index >= 0 && index < Count(); }

  std::vector<TMenuNode> Menu() const { return BuildMenu(Lines); }
  // A line's name: its first ";"-field.
  std::string LineName(int32_t index) const;
  TScaleTemplate Template(int32_t index) const;

  // The hint when it is a line of that name (names compare ignoring case), else the first such line
  // from the top, else -1.
  int32_t FindTemplate(std::string_view name, int32_t hint) const;
  // The last line from the bottom with that name, -1 when none.
  int32_t FindLastTemplate(std::string_view name) const;
  // The wizard button's caption for a line: the nearest submenu caption above it, ": " and the name
  // ("Scale Only: Major"), or the name alone; empty for -1.
  std::string Caption(int32_t index) const;
};

// The wizard's choices as the editor shows them (from the setup, or the defaults).
struct TWizardChoice {
  int32_t TemplateIndex = -1;
  int32_t Tonic = 0;
};
// What the editor shows for a setup's stored template name, index and tonic: the named template
// (by its stored index first), else "Major"; with no stored name the last "Major" and tonic C. A
// template file with lines but no match selects line 0. A stored tonic outside 0..11 is taken
// modulo 12.
TWizardChoice WizardChoiceFor(const TScaleTemplates& templates, const std::string& storedName,
                              int32_t storedIndex, int32_t storedTonic);
