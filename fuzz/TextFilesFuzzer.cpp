// Fuzz target: "Chords.txt" and "Scale Templates.txt" as users edit them. The first input byte picks
// the file (bit 0 set: the templates), the rest is the file's bytes. Every line goes through the
// menu grammar and its definition parser, then into the setup the way the editor uses it (a library
// chord on a trigger, the wizard's "Apply" with two tonics); the setup must stay inside its ranges.
#include "FuzzSupport.h"
#include "editor/ChordLibrary.h"
#include "editor/ChordSetupEdits.h"
#include "editor/MenuGrammar.h"
#include "editor/ScaleTemplates.h"
#include "editor/TextFileLines.h"
#include "engine/TriaxoSetup.h"

#include <string>
#include <string_view>

namespace {

// Lines beyond these are parsed but not applied: applying every line of a long file would slow the
// search down more than it finds (the grammar does not depend on a line's position).
constexpr int32_t MaxLinesApplied = 24;

// A menu's tags name lines of the file, or separators.
void CheckMenu(const std::vector<TMenuNode>& menu, int32_t lineCount, int depth = 0) {
  Check(depth <= lineCount, "submenus nest no deeper than the file has lines");
  for (const TMenuNode& node : menu) {
    Check(node.Tag == TMenuNode::SeparatorTag || (node.Tag >= 0 && node.Tag < lineCount),
          "menu tag is a line");
    CheckMenu(node.Children, lineCount, depth + 1);
  }
}

std::size_t Characters(const std::string& utf8) {
  std::size_t count = 0;
  for (unsigned char c : utf8)
    count += (c & 0xC0) != 0x80 ? 1 : 0;
  return count;
}

void CheckSetup(const TTriaxoSetup& setup) {
  for (int32_t t = 0; t < TTriggers::Count; ++t) {
    const TTriggerItem& trigger = setup.Triggers[t];
    Check(trigger.Key >= -1 && trigger.Key <= 11, "trigger key -1..11");
    Check(Characters(trigger.Name()) <= 6, "chord ID of at most 6 characters");
    for (int32_t n = 0; n < trigger.Notes.Count(); ++n) {
      const TChordNote& note = trigger.Notes[n];
      Check(note.Position() >= 0 && note.Position() <= 4, "chord note position 0..4");
      // Library chords lie at root + interval, so a stored note reaches up to 11 + 35.
      if (note.Note() < MinChordInterval || note.Note() > MaxChordInterval + 11)
        Fault("chord note " + std::to_string(note.Note()) + " of trigger " + std::to_string(t) + " (key " +
              std::to_string(trigger.Key) + ") is out of range");
    }
  }
  Check(setup.Triggers.Selected >= 0 && setup.Triggers.Selected < TTriggers::Count, "selected trigger");
}

void FuzzChordLibrary(const TTextLines& lines) {
  TChordLibrary library;
  library.Lines = lines;
  CheckMenu(library.Menu(), library.Count());
  TTriaxoSetup setup;
  TChordSetupEdits edits(setup, [] {});
  for (int32_t line = 0; line < library.Count() && line < MaxLinesApplied; ++line) {
    const TChordDefinition definition = ParseChordDefinition(library.Definition(line));
    for (int32_t interval : definition.Intervals)
      Check(interval >= MinChordInterval && interval <= MaxChordInterval, "parsed interval in range");
    library.LineName(line);
    library.IndexOfChordID(definition.Name);
    edits.SelectTrigger(line % TTriggers::Count);
    edits.SetTriggerKey(line % TTriggers::Count, (line * 5) % 12);
    edits.SetChordFromLine(library, line);
    CheckSetup(setup);
  }
  const TChordLibrary::TSuggestions suggestions = library.Suggest(setup.Triggers);
  for (const auto& item : suggestions.Items)
    Check(library.ValidLine(item.Tag - TChordLibrary::SuggestionTagBase), "suggestion names a line");
}

void FuzzScaleTemplates(const TTextLines& lines) {
  TScaleTemplates templates;
  templates.Lines = lines;
  CheckMenu(templates.Menu(), templates.Count());
  TTriaxoSetup setup;
  TChordSetupEdits edits(setup, [] {});
  for (int32_t line = 0; line < templates.Count() && line < MaxLinesApplied; ++line) {
    const TScaleTemplate parsed = templates.Template(line);
    Check(parsed.Degrees.size() <= TScaleTemplate::MaxDegrees, "at most 12 degrees");
    Check(parsed.Variations.size() <= TScaleTemplate::MaxVariations, "at most 5 variations");
    for (const TTemplateDegree& degree : parsed.Degrees)
      Check(degree.Offset >= 0 && degree.Offset <= TScaleTemplate::MaxOffset, "degree offset 0..12");
    templates.Caption(line);
    const int32_t found = templates.FindTemplate(templates.LineName(line), line);
    Check(found >= 0 && found < templates.Count(), "a line's own name finds a line");
    const TWizardChoice choice = WizardChoiceFor(templates, templates.LineName(line), line, line - 5);
    Check(choice.Tonic >= 0 && choice.Tonic <= 11, "wizard tonic 0..11");
    for (int32_t tonic : {line % 12, (line + 7) % 12}) {
      for (bool easy : {true, false}) {
        const TApplyRequest request{line, tonic, easy};
        if (edits.CheckApply(templates, request) == apcReady) {
          Check(edits.ApplyTemplate(templates, request), "a ready template applies");
          CheckSetup(setup);
        }
      }
    }
  }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseFakeHome();
  UseSilentUi();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  const TGuardedBytes guarded(data + 1, size - 1);
  const TTextLines lines =
      DecodeTextLines(std::string_view(reinterpret_cast<const char*>(guarded.Data()), guarded.Size()));
  if ((data[0] & 1) != 0)
    FuzzScaleTemplates(lines);
  else
    FuzzChordLibrary(lines);
  return 0;
}
