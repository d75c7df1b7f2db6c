#include "editor/PreviewPlayer.h"

TPreviewPlayer::~TPreviewPlayer() {
  // Closing the editor ends what it sounds; the queue drains at every block, so one more try is
  // all a closing window can do.
  ReleaseKey();
  StopChordPreview();
  RetryStops();
}

void TPreviewPlayer::Stop(bool trigger, int32_t note) {
  FPendingStops.push_back({trigger, note});
  RetryStops();
}

void TPreviewPlayer::RetryStops() {
  while (!FPendingStops.empty()) {
    const TStop& stop = FPendingStops.front();
    const bool accepted = stop.Trigger ? FTarget.StopTrigger(stop.Note) : FTarget.StopNote(stop.Note);
    if (!accepted) {
      return;
    }
    FPendingStops.pop_front();
  }
}

void TPreviewPlayer::PressTriggerKey(int32_t key) {
  ReleaseKey();
  RetryStops();
  FPressedKey = key;
  FPressedKind = pkTrigger;
  FPressedSounding = !HasPendingStops() && FTarget.PlayTrigger(TriggerBaseNote + key);
}

void TPreviewPlayer::PressChordKey(int32_t key) {
  ReleaseKey();
  RetryStops();
  FPressedKey = key;
  FPressedKind = pkChord;
  FPressedSounding = !HasPendingStops() && FTarget.PlayNote(key + ChordKeyNoteOffset, Velocity);
}

void TPreviewPlayer::ReleaseKey() {
  if (FPressedKey >= 0 && FPressedSounding) {
    if (FPressedKind == pkTrigger) {
      Stop(true, TriggerBaseNote + FPressedKey);
    } else {
      Stop(false, FPressedKey + ChordKeyNoteOffset);
    }
  }
  FPressedKey = -1;
  FPressedKind = pkNone;
  FPressedSounding = false;
}

void TPreviewPlayer::StartChordPreview(int32_t selectedTrigger) {
  StopChordPreview();
  RetryStops();
  FPreviewNote = TriggerBaseNote + selectedTrigger;
  FPreviewPlaying = !HasPendingStops() && FTarget.PlayTrigger(FPreviewNote);
}

void TPreviewPlayer::StopChordPreview() {
  if (FPreviewPlaying) {
    FPreviewPlaying = false;
    Stop(true, FPreviewNote);
  }
}
