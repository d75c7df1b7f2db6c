// MenuGrammar: how the lines of the chord library and the template file become a menu.
#pragma once

#include "editor/TextFileLines.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Every field of a delimited text as GetField gives them one by one (quotes protect delimiters
// unless ignoreQuotes; a delimiter at the very end adds no empty field; an empty text has one empty
// field).
std::vector<std::string> TextFields(std::string_view text, std::string_view delimiter, bool ignoreQuotes);

enum TMenuLineKind {
  mlkNone,       // empty: no entry
  mlkSeparator,  // "-"
  mlkSubmenu,    // ">" and a caption: a new top-level submenu becomes current
  mlkEndSubmenu, // ">" alone: entries go to the top level again
  mlkEntry       // anything else, captioned with its first ";"-field
};

struct TMenuLine {
  TMenuLineKind Kind = mlkNone;
  std::string Caption;
};

// One line, trimmed of blanks and control characters first.
TMenuLine ReadMenuLine(std::string_view line);

// A menu as the grammar builds it; the forms turn it into their popup menus. Submenus do not nest.
struct TMenuNode {
  static constexpr int32_t SeparatorTag = -1;

  TMenuLineKind Kind = mlkEntry; // mlkEntry, mlkSeparator or mlkSubmenu
  std::string Caption;
  // The index of the line the node comes from (separators: SeparatorTag).
  int32_t Tag = SeparatorTag;
  std::vector<TMenuNode> Children; // submenus only
};

std::vector<TMenuNode> BuildMenu(const TTextLines& lines);

// The entry whose tag is lineIndex and the submenu holding it: what a check mark marks. Both -1 when
// no entry of the menu has that tag; submenu -1 for an entry at the top level.
struct TMenuMark {
  int32_t Entry = -1;
  int32_t Submenu = -1;
};
TMenuMark FindMenuMark(const std::vector<TMenuNode>& menu, int32_t lineIndex);
