#include "editor/ChordSetupEdits.h"

#include "engine/TriaxoSetup.h"
#include "host/ZelCommon.h"

namespace {
constexpr int32_t Octave = 12;

int32_t PitchClass(int32_t value) {
  return ((value % Octave) + Octave) % Octave;
}

bool ValidTrigger(int32_t trigger) {
  return InRange(trigger, 0, TTriggers::Count - 1);
}

// Puts a chord definition's notes on a trigger's root; a chord ID replaces the name.
void AddDefinition(TTriggerItem& trigger, const TChordDefinition& definition) {
  if (definition.HasName) {
    trigger.SetName(definition.Name);
  }
  TUpdateScope<TChordNotes> batch(trigger.Notes);
  const int32_t root = trigger.Key;
  for (const int32_t interval : definition.Intervals) {
    trigger.Notes.AddNote(root + interval, true);
  }
}
} // namespace

std::string ApplyQuestion(std::string_view templateCaption, std::string_view tonicCaption, bool easyMode) {
  std::string text = "Scale template: \"" + std::string(templateCaption) + "\"\r\n\r\nTonic: \"" +
                     std::string(tonicCaption) + "\"";
  if (easyMode) {
    text += "\r\n\r\n\"Easy Mode\"";
  }
  return text;
}

TChordSetupEdits::TChordSetupEdits(TTriaxoSetup& setup, std::function<void()> notifyHostChanged)
    : FSetup(setup), FNotifyHostChanged(std::move(notifyHostChanged)) {}

TTriggerItem& TChordSetupEdits::SelectedTrigger() const {
  return FSetup.Triggers.SelectedItem();
}

void TChordSetupEdits::SelectTrigger(int32_t trigger) {
  if (!ValidTrigger(trigger)) {
    return;
  }
  FSetup.Triggers.Selected = trigger;
  FNotifyHostChanged();
}

void TChordSetupEdits::SetTriggerKey(int32_t trigger, int32_t key) {
  if (!ValidTrigger(trigger) || !InRange(key, -1, Octave - 1)) {
    return;
  }
  TTriggerItem& item = FSetup.Triggers[trigger];
  const int32_t old = item.Key;
  if (key < 0) {
    item.Key = -1;
    item.SetName("");
    item.Notes.Clear();
  } else {
    TUpdateScope<TChordNotes> batch(item.Notes);
    item.Key = key;
    if (old >= 0) {
      const int32_t delta = key - old;
      for (int32_t i = item.Notes.Count() - 1; i >= 0; --i) {
        const int32_t moved = item.Notes[i].Note() + delta;
        if (InRange(moved, MinChordInterval, MaxChordInterval)) {
          item.Notes[i].SetNote(moved);
        } else {
          item.Notes.Delete(i);
        }
      }
    }
  }
  FNotifyHostChanged();
}

void TChordSetupEdits::SetChordName(int32_t trigger, std::string_view name) {
  if (!ValidTrigger(trigger)) {
    return;
  }
  FSetup.Triggers[trigger].SetName(name);
  FNotifyHostChanged();
}

void TChordSetupEdits::AddChordNote(int32_t note) {
  SelectedTrigger().Notes.AddNote(note, true);
  FNotifyHostChanged();
}

void TChordSetupEdits::RemoveChordNote(int32_t note) {
  SelectedTrigger().Notes.RemoveNote(note);
  FNotifyHostChanged();
}

bool TChordSetupEdits::SetNotePosition(int32_t note, int32_t position) {
  TChordNotes& notes = SelectedTrigger().Notes;
  const int32_t index = notes.IndexOfNote(note);
  if (index < 0) {
    return false;
  }
  notes[index].SetPosition(position);
  FNotifyHostChanged();
  return true;
}

bool TChordSetupEdits::SetChordFromLine(const TChordLibrary& library, int32_t line) {
  TTriggerItem& trigger = SelectedTrigger();
  if (trigger.Key < 0 || !library.ValidLine(line)) {
    return false;
  }
  {
    TUpdateScope<TChordNotes> batch(trigger.Notes);
    trigger.Notes.Clear();
    AddDefinition(trigger, ParseChordDefinition(library.Definition(line)));
  }
  FNotifyHostChanged();
  return true;
}

void TChordSetupEdits::AddTemplateChord(std::string_view chord, int32_t trigger) {
  AddDefinition(FSetup.Triggers[trigger], ParseChordDefinition(chord));
}

TApplyCheck TChordSetupEdits::CheckApply(const TScaleTemplates& templates,
                                         const TApplyRequest& request) const {
  if (!templates.ValidLine(request.TemplateIndex)) {
    return apcNoTemplate;
  }
  if (!request.EasyMode && !templates.Template(request.TemplateIndex).Variations.empty()) {
    return apcVariationsNeedEasyMode;
  }
  return apcReady;
}

bool TChordSetupEdits::ApplyTemplate(const TScaleTemplates& templates, const TApplyRequest& request) {
  if (CheckApply(templates, request) != apcReady) {
    return false;
  }
  const TScaleTemplate scale = templates.Template(request.TemplateIndex);
  const int32_t tonic = PitchClass(request.Tonic);
  TTriggers& triggers = FSetup.Triggers;
  {
    // Each chord is published once, when the whole template is in place.
    TUpdateScope<TTriggers> batch(triggers);
    triggers.Reset(false);
    if (request.EasyMode) {
      const std::vector<int32_t> keys = EasyModeKeys(static_cast<int32_t>(scale.Degrees.size()));
      for (std::size_t d = 0; d < scale.Degrees.size(); ++d) {
        triggers[keys[d]].Key = PitchClass(scale.Degrees[d].Offset + tonic);
        AddTemplateChord(scale.Degrees[d].Chord, keys[d]);
      }
      for (std::size_t v = 0; v < scale.Variations.size(); ++v) {
        TTriggerItem& trigger = triggers[VariationKeys[v]];
        // A large scale already put a degree on this black key: the variation replaces it rather
        // than mixing two chords on two roots.
        trigger.Clear();
        trigger.Key = PitchClass(scale.Variations[v].Offset + tonic);
        AddTemplateChord(scale.Variations[v].Chord, VariationKeys[v]);
      }
    } else {
      // Two degrees on one pitch class share its trigger: the notes merge, the later chord ID wins.
      for (const TTemplateDegree& degree : scale.Degrees) {
        const int32_t key = PitchClass(degree.Offset + tonic);
        triggers[key].Key = key;
        AddTemplateChord(degree.Chord, key);
      }
    }
    triggers.Selected = 0;
  }
  FSetup.ScaleTemplateName = scale.Name;
  FSetup.ScaleTemplateIndex = request.TemplateIndex;
  FSetup.Tonic = tonic;
  FSetup.EasyMode = request.EasyMode;
  FNotifyHostChanged();
  return true;
}
