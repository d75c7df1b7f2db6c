// Previews from the keyboards and the preview button: one sounding key, and no preview left hanging.
#include "editor/PreviewPlayer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// Records the commands it accepts; refuses everything while Full is set, as a full queue does.
struct TRecordingTarget : TPreviewTarget {
  bool Full = false;
  std::vector<std::string> Sent;
  bool Take(const std::string& command) {
    if (Full) {
      return false;
    }
    Sent.push_back(command);
    return true;
  }
  bool PlayTrigger(int32_t note) override { return Take("play trigger " + std::to_string(note)); }
  bool StopTrigger(int32_t note) override { return Take("stop trigger " + std::to_string(note)); }
  bool PlayNote(int32_t note, int32_t velocity) override {
    return Take("play note " + std::to_string(note) + " " + std::to_string(velocity));
  }
  bool StopNote(int32_t note) override { return Take("stop note " + std::to_string(note)); }
};
} // namespace

TEST(Previews, APressOnASecondKeyStopsTheFirstBeforeItSounds) {
  TRecordingTarget target;
  TPreviewPlayer player(target);
  player.PressTriggerKey(4); // E
  player.PressTriggerKey(5); // F, while E still sounds
  player.PressChordKey(24);  // a chord key takes over from the trigger key
  EXPECT_EQ(player.PressedKey(), 24);
  EXPECT_FALSE(player.PressedKeyIsTrigger());
  player.ReleaseKey();
  player.ReleaseKey(); // a second release sends nothing
  EXPECT_EQ(player.PressedKey(), -1);
  EXPECT_EQ(target.Sent, (std::vector<std::string>{"play trigger 52", "stop trigger 52", "play trigger 53",
                                                   "stop trigger 53", "play note 48 100", "stop note 48"}));
}

TEST(Previews, StopRefusedByAFullQueueIsRetriedAtIdleUntilAccepted) {
  TRecordingTarget target;
  TPreviewPlayer player(target);
  player.StartChordPreview(3);
  EXPECT_TRUE(player.PreviewPlaying());
  target.Full = true;
  player.StopChordPreview();
  EXPECT_FALSE(player.PreviewPlaying());
  EXPECT_TRUE(player.HasPendingStops());
  player.RetryStops();
  EXPECT_TRUE(player.HasPendingStops());
  // The next idle call with room in the queue sends it.
  target.Full = false;
  target.Sent.clear();
  player.RetryStops();
  EXPECT_FALSE(player.HasPendingStops());
  EXPECT_EQ(target.Sent, (std::vector<std::string>{"stop trigger 51"}));
}

TEST(Previews, APlayRefusedByAFullQueueNeedsNoStopAndPendingStopsGoFirst) {
  TRecordingTarget target;
  TPreviewPlayer player(target);
  player.PressChordKey(10);
  target.Full = true;
  player.ReleaseKey(); // refused: waits
  player.PressTriggerKey(0);
  player.ReleaseKey();
  target.Full = false;
  player.PressTriggerKey(2); // the waiting stop goes out before the new play
  player.ReleaseKey();
  EXPECT_EQ(target.Sent, (std::vector<std::string>{"play note 34 100", "stop note 34", "play trigger 50",
                                                   "stop trigger 50"}));
}

TEST(Previews, ClosingTheEditorStopsWhatItSounds) {
  TRecordingTarget target;
  {
    TPreviewPlayer player(target);
    player.PressTriggerKey(7);
    player.StartChordPreview(0);
  }
  EXPECT_EQ(target.Sent, (std::vector<std::string>{"play trigger 55", "play trigger 48", "stop trigger 55",
                                                   "stop trigger 48"}));
}
