// ChordSetupEdits: every change the chord setup panel makes to the setup, each ending with the host's
// change notice.
#pragma once

#include "editor/ChordLibrary.h"
#include "editor/ScaleTemplates.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class TTriaxoSetup;
class TTriggerItem;

// The wizard's "Apply" request, as the controls hold it.
struct TApplyRequest {
  int32_t TemplateIndex = -1; // -1: none selected
  int32_t Tonic = 0;
  bool EasyMode = true;
};

enum TApplyCheck {
  apcReady,
  apcNoTemplate,            // "Scale template not selected."
  apcVariationsNeedEasyMode // "Chord variations can only be applied when Easy Mode is selected."
};

namespace ApplyTexts {
inline constexpr const char* Caption = "Apply";
inline constexpr const char* NoTemplate = "Scale template not selected.";
inline constexpr const char* VariationsNeedEasyMode =
    "Chord variations can only be applied when Easy Mode is selected.";
} // namespace ApplyTexts

// The question before "Apply": the template and tonic captions in double quotes, and "Easy Mode"
// when it is on, separated by blank lines (CR LF CR LF).
std::string ApplyQuestion(std::string_view templateCaption, std::string_view tonicCaption, bool easyMode);

// User-interface thread. The setup is the plug-in's own: chord changes reach the audio thread only
// as whole published chords (each batch publishes once), keys and the selection as single relaxed
// stores, so the audio thread plays a chord either as it was or as it is now. Every operation that
// changes something calls notifyHostChanged once at its end.
class TChordSetupEdits {
public:
  TChordSetupEdits(TTriaxoSetup& setup, std::function<void()> notifyHostChanged);

  TTriaxoSetup& Setup() const { return FSetup; }
  TTriggerItem& SelectedTrigger() const;

  // Selects trigger 0..11; other values are ignored.
  void SelectTrigger(int32_t trigger);
  // The root of a trigger: key 0..11, or -1 to clear it (name and notes go too). A trigger that had
  // a root takes its chord along (notes that would leave -24..35 are deleted); one without keeps its
  // notes. Out-of-range arguments change nothing.
  void SetTriggerKey(int32_t trigger, int32_t key);
  // Stores the name trimmed and cut to 6 characters.
  void SetChordName(int32_t trigger, std::string_view name);
  // The chord keyboard: a note of the selected trigger added with the first free position, removed,
  // or given another position (clamped to 0..4). False when that note is not in the chord.
  void AddChordNote(int32_t note);
  void RemoveChordNote(int32_t note);
  bool SetNotePosition(int32_t note, int32_t position);

  // Replaces the selected trigger's chord by a library line's chord, placed on its root; a chord ID
  // in the line replaces the trigger's name. False (nothing changes) when the trigger has no root or
  // the line does not exist.
  bool SetChordFromLine(const TChordLibrary& library, int32_t line);

  TApplyCheck CheckApply(const TScaleTemplates& templates, const TApplyRequest& request) const;
  // Rebuilds all twelve triggers from the template (after CheckApply said apcReady; false and no
  // change otherwise) and stores the wizard's choices; trigger 0 is selected.
  bool ApplyTemplate(const TScaleTemplates& templates, const TApplyRequest& request);

private:
  // The chord text of a template degree on trigger i, whose Key is already set.
  void AddTemplateChord(std::string_view chord, int32_t trigger);

  TTriaxoSetup& FSetup;
  std::function<void()> FNotifyHostChanged;
};
