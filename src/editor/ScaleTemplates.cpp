#include "editor/ScaleTemplates.h"

#include "host/ZelCommon.h"

#include <algorithm>

namespace {
// Degrees of a ";"-separated list; at most limit with offsets 0..12.
std::vector<TTemplateDegree> ReadDegrees(std::string_view text, int32_t limit) {
  std::vector<TTemplateDegree> degrees;
  if (text.empty()) {
    return degrees;
  }
  for (const std::string& raw : TextFields(text, ";", false)) {
    if (static_cast<int32_t>(degrees.size()) >= limit) {
      break;
    }
    const std::string field = TrimText(raw);
    int32_t offset = 0;
    if (!TryTextToInt(TrimText(GetField(field, 1, ",")), offset) ||
        !InRange(offset, 0, TScaleTemplate::MaxOffset)) {
      continue;
    }
    degrees.push_back({offset, TextAfter(",", field)});
  }
  return degrees;
}

int32_t PitchClass(int32_t value) {
  return ((value % 12) + 12) % 12;
}
} // namespace

TScaleTemplate ParseTemplateLine(std::string_view line) {
  TScaleTemplate result;
  const std::string text = TrimText(line);
  result.Name = GetField(text, 1, ";");
  const std::string body = TextAfter(";", text);
  const std::string main = TrimText(TextBefore("|", body));
  const std::string variations = TrimText(TextAfter("|", body));
  result.Degrees = ReadDegrees(main, TScaleTemplate::MaxDegrees);
  std::stable_sort(result.Degrees.begin(), result.Degrees.end(),
                   [](const TTemplateDegree& a, const TTemplateDegree& b) { return a.Offset < b.Offset; });
  result.Variations = ReadDegrees(variations, TScaleTemplate::MaxVariations);
  return result;
}

std::vector<int32_t> EasyModeKeys(int32_t degreeCount) {
  std::vector<int32_t> keys;
  int32_t p = 0;
  for (int32_t i = 0; i < degreeCount; ++i) {
    keys.push_back(p);
    switch (p % 12) {
    case 1:
    case 3:
    case 4:
    case 6:
    case 8:
    case 10:
      p += 1;
      break;
    default: {
      // A black key joins after a white one once the scale has enough degrees to need it.
      const bool joinBlack = (p == 0 && degreeCount >= 8) || (p == 2 && degreeCount >= 9) ||
                             (p == 5 && degreeCount >= 10) || (p == 7 && degreeCount >= 11) ||
                             (p == 9 && degreeCount == 12);
      p += joinBlack ? 1 : 2;
    }
    }
  }
  return keys;
}

std::string TScaleTemplates::LineName(int32_t index) const {
  return ValidLine(index) ? GetField(TrimText(Lines[static_cast<std::size_t>(index)]), 1, ";")
                          : std::string();
}

TScaleTemplate TScaleTemplates::Template(int32_t index) const {
  return ValidLine(index) ? ParseTemplateLine(Lines[static_cast<std::size_t>(index)]) : TScaleTemplate{};
}

int32_t TScaleTemplates::FindTemplate(std::string_view name, int32_t hint) const {
  if (ValidLine(hint) && SameText(LineName(hint), name)) {
    return hint;
  }
  for (int32_t i = 0; i < Count(); ++i) {
    if (SameText(LineName(i), name)) {
      return i;
    }
  }
  return -1;
}

int32_t TScaleTemplates::FindLastTemplate(std::string_view name) const {
  for (int32_t i = Count() - 1; i >= 0; --i) {
    if (SameText(LineName(i), name)) {
      return i;
    }
  }
  return -1;
}

std::string TScaleTemplates::Caption(int32_t index) const {
  if (!ValidLine(index)) {
    return {};
  }
  const std::string name = LineName(index);
  for (int32_t i = index - 1; i >= 0; --i) {
    const std::string text = TrimText(Lines[static_cast<std::size_t>(i)]);
    if (!text.empty() && text.front() == '>') {
      return text.size() > 1 ? text.substr(1) + ": " + name : name;
    }
  }
  return name;
}

TWizardChoice WizardChoiceFor(const TScaleTemplates& templates, const std::string& storedName,
                              int32_t storedIndex, int32_t storedTonic) {
  static constexpr std::string_view DefaultTemplate = "Major";
  TWizardChoice choice;
  if (!storedName.empty()) {
    choice.TemplateIndex = templates.FindTemplate(storedName, storedIndex);
    if (choice.TemplateIndex < 0) {
      choice.TemplateIndex = templates.FindTemplate(DefaultTemplate, -1);
    }
    choice.Tonic = PitchClass(storedTonic);
  } else {
    choice.TemplateIndex = templates.FindLastTemplate(DefaultTemplate);
    choice.Tonic = 0;
  }
  if (choice.TemplateIndex < 0 && templates.Count() > 0) {
    choice.TemplateIndex = 0;
  }
  return choice;
}
