#include "editor/MenuGrammar.h"

#include "host/ZelCommon.h"

std::vector<std::string> TextFields(std::string_view text, std::string_view delimiter, bool ignoreQuotes) {
  std::string terminated(text);
  if (delimiter.empty()) {
    return {GetField(text, 1, delimiter, ignoreQuotes)};
  }
  if (!terminated.ends_with(delimiter)) {
    terminated.append(delimiter);
  }
  int32_t count = 0;
  bool insideQuotes = false;
  for (std::size_t i = 0; i < terminated.size();) {
    if (!ignoreQuotes && terminated[i] == '"') {
      insideQuotes = !insideQuotes;
    }
    if (!insideQuotes && terminated.compare(i, delimiter.size(), delimiter) == 0) {
      ++count;
      i += delimiter.size();
      continue;
    }
    ++i;
  }
  // An unclosed quote swallows the closing delimiter: what follows it is still one field.
  if (count == 0) {
    count = 1;
  }
  std::vector<std::string> fields;
  fields.reserve(static_cast<std::size_t>(count));
  for (int32_t n = 1; n <= count; ++n) {
    fields.push_back(GetField(text, n, delimiter, ignoreQuotes));
  }
  return fields;
}

TMenuLine ReadMenuLine(std::string_view line) {
  const std::string text = TrimText(line);
  if (text.empty()) {
    return {mlkNone, {}};
  }
  if (text == "-") {
    return {mlkSeparator, "-"};
  }
  if (text == ">") {
    return {mlkEndSubmenu, {}};
  }
  if (text.front() == '>') {
    return {mlkSubmenu, text.substr(1)};
  }
  return {mlkEntry, GetField(text, 1, ";")};
}

std::vector<TMenuNode> BuildMenu(const TTextLines& lines) {
  std::vector<TMenuNode> menu;
  // Index of the current submenu in menu; -1 at the top level. (An index, since menu grows.)
  int32_t current = -1;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const TMenuLine line = ReadMenuLine(lines[i]);
    const auto tag = static_cast<int32_t>(i);
    std::vector<TMenuNode>& level = current >= 0 ? menu[static_cast<std::size_t>(current)].Children : menu;
    switch (line.Kind) {
    case mlkNone:
      break;
    case mlkSeparator:
      level.push_back({mlkSeparator, "-", TMenuNode::SeparatorTag, {}});
      break;
    case mlkSubmenu:
      menu.push_back({mlkSubmenu, line.Caption, tag, {}});
      current = static_cast<int32_t>(menu.size()) - 1;
      break;
    case mlkEndSubmenu:
      current = -1;
      break;
    case mlkEntry:
      level.push_back({mlkEntry, line.Caption, tag, {}});
      break;
    }
  }
  return menu;
}

TMenuMark FindMenuMark(const std::vector<TMenuNode>& menu, int32_t lineIndex) {
  if (lineIndex < 0) {
    return {};
  }
  for (const TMenuNode& node : menu) {
    if (node.Kind == mlkEntry && node.Tag == lineIndex) {
      return {lineIndex, -1};
    }
    if (node.Kind == mlkSubmenu) {
      for (const TMenuNode& child : node.Children) {
        if (child.Kind == mlkEntry && child.Tag == lineIndex) {
          return {lineIndex, node.Tag};
        }
      }
    }
  }
  return {};
}
