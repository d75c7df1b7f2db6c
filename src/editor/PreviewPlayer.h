// PreviewPlayer: the notes the editor sounds from its keyboards and the "Preview Chord" button.
#pragma once

#include <cstdint>
#include <deque>

// What the previews need from the plug-in: its four preview operations, each false when the preview
// queue is full and the command was dropped.
class TPreviewTarget {
public:
  virtual ~TPreviewTarget() = default;
  virtual bool PlayTrigger(int32_t note) = 0;
  virtual bool StopTrigger(int32_t note) = 0;
  virtual bool PlayNote(int32_t note, int32_t velocity) = 0;
  virtual bool StopNote(int32_t note) = 0;
};

// User-interface thread. One key sounds from a mouse press at a time, shared by both keyboards; the
// preview button sounds the selected trigger's chord besides. A stop that the full queue refuses is
// kept and sent again at the next idle (RetryStops) until it is accepted, so no preview hangs; new
// previews wait until those stops are out, so a retried stop never ends a newer preview.
class TPreviewPlayer {
public:
  // Trigger key k plays the chord of trigger note 48 + k; chord key K sounds note K + 24.
  static constexpr int32_t TriggerBaseNote = 48;
  static constexpr int32_t ChordKeyNoteOffset = 24;
  static constexpr int32_t Velocity = 100;

  explicit TPreviewPlayer(TPreviewTarget& target) : FTarget(target) {}
  ~TPreviewPlayer();
  TPreviewPlayer(const TPreviewPlayer&) = delete;
  TPreviewPlayer& operator=(const TPreviewPlayer&) = delete;

  // A press on trigger key 0..11 or chord key 0..59; what an earlier press sounded stops first.
  void PressTriggerKey(int32_t key);
  void PressChordKey(int32_t key);
  // Ends the sound of the pressed key, whichever key the keyboard reports.
  void ReleaseKey();
  // The key sounding from a press, -1 for none (FPressedKey), and its keyboard.
  int32_t PressedKey() const { return FPressedKey; }
  bool PressedKeyIsTrigger() const { return FPressedKind == pkTrigger; }

  // "Preview Chord": the chord of the selected trigger while the button is held.
  void StartChordPreview(int32_t selectedTrigger);
  void StopChordPreview();
  bool PreviewPlaying() const { return FPreviewPlaying; }

  // Editor idle: sends the refused stops, oldest first, until the queue refuses one again.
  void RetryStops();
  bool HasPendingStops() const { return !FPendingStops.empty(); }

private:
  enum TPressKind { pkNone, pkTrigger, pkChord };
  struct TStop {
    bool Trigger = false;
    int32_t Note = 0;
  };
  void Stop(bool trigger, int32_t note);

  TPreviewTarget& FTarget;
  int32_t FPressedKey = -1;
  TPressKind FPressedKind = pkNone;
  // Whether the play of the pressed key was accepted (a refused play needs no stop).
  bool FPressedSounding = false;
  bool FPreviewPlaying = false;
  int32_t FPreviewNote = 0;
  std::deque<TStop> FPendingStops;
};
