// Trigger handling driven with real MIDI: mapping, chord generation, velocity, timing, release,
// pass-through and other messages.
#include "support/TestHost.h"

#include "engine/ZelRandom.h"

#include <gtest/gtest.h>

#include "engine/ZelMidi.h"

#include <algorithm>
#include <limits>

#include <set>

namespace {
class TriggerHandling : public ::testing::Test, public TEngineDriver {
protected:
  void SetUp() override { Seed(1); }

  // The transport stays stopped: a trigger counts from the start of the block it arrives in.
  // One block longer than any delay: every note-on of the chord goes out in it.
  static constexpr int32_t WholeChord = 65536;
  struct TPlayed {
    int32_t Note;
    int32_t Velocity;
    int32_t Offset;
    bool operator==(const TPlayed& other) const = default;
  };
  // Plays a trigger (released afterwards, so the next one starts clean) and returns its note-ons.
  std::vector<TPlayed> Strike(int32_t note, int32_t velocity = 100) {
    Host.ClearSent();
    NoteOn(note, velocity);
    Block(WholeChord);
    std::vector<TPlayed> result;
    for (const TSentMessage& message : Sent()) {
      if ((message.Status & 0xF0) == 0x90) {
        result.push_back({message.Data1, message.Data2, message.Offset});
      }
    }
    NoteOff(note);
    Block(WholeChord);
    return result;
  }
  std::vector<std::pair<int32_t, int32_t>> Notes(const std::vector<TPlayed>& played) const {
    std::vector<std::pair<int32_t, int32_t>> result;
    for (const TPlayed& p : played) {
      result.emplace_back(p.Note, p.Velocity);
    }
    return result;
  }
  std::vector<int32_t> Offsets(const std::vector<TPlayed>& played) const {
    std::vector<int32_t> result;
    for (const TPlayed& p : played) {
      result.push_back(p.Offset);
    }
    return result;
  }
  // A one-note chord on C at position 0 with the given velocity scale; returns the velocity sent,
  // 0 when nothing was sent.
  int32_t VelocityFor(int32_t velocity, int32_t scale) {
    SetChord(0, {0});
    Plugin.Setup.NoteSetup[0].VelocityScale = scale;
    const std::vector<TPlayed> played = Strike(60, velocity);
    return played.empty() ? 0 : played.back().Velocity;
  }
};
} // namespace

TEST_F(TriggerHandling, TriggerWithoutChordPlaysItsOwnKeyAtTheTriggerTime) {
  Play(1000);
  Plugin.Setup.NoteSetup[0].Start = 500; // no chord note, no position: no delay
  Plugin.Setup.NoteSetup[0].VelocityScale = -50;
  NoteOn(60, 100, 32);
  EXPECT_TRUE(Sent().empty()); // nothing goes out before the block
  Block();
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{On(0, 60, 100, 32)}));
}

TEST_F(TriggerHandling, BlackKeyIsNoTriggerByDefault) {
  NoteOn(61);
  Block();
  EXPECT_EQ(Plugin.View().QueuedEvents, 0);
  EXPECT_TRUE(Sent().empty());
}

TEST_F(TriggerHandling, ChordIsPlacedFromTheCOfTheTriggerOctaveOnTheTriggerChannel) {
  SetChord(0, {0, 4, 7});
  SetChord(2, {2, 5, 9}); // D minor on D, stored relative to C
  NoteOn(48, 90, 0, 3);
  NoteOn(74, 80, 0, 3);
  Block();
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{On(3, 48, 90, 0), On(3, 52, 90, 0), On(3, 55, 90, 0),
                                               On(3, 74, 80, 0), On(3, 77, 80, 0), On(3, 81, 80, 0)}));
}

TEST_F(TriggerHandling, WrappedScaleAndOctaveTranspositionMoveTheChord) {
  for (int32_t i = 0; i < 12; ++i) {
    Plugin.Setup.Triggers[i].Key = -1;
  }
  Plugin.Setup.Triggers[0].Key = 9;
  Plugin.Setup.Triggers[2].Key = 11;
  Plugin.Setup.Triggers[4].Key = 1;
  SetChord(4, {1, 5, 8});
  // E's key wrapped past B: its chord is taken an octave up.
  EXPECT_EQ(Notes(Strike(64)), (std::vector<std::pair<int32_t, int32_t>>{{73, 100}, {77, 100}, {80, 100}}));
  Plugin.Setup.TransposeOctave = -1;
  // D without chord plays its key 11, an octave lower
  EXPECT_EQ(Notes(Strike(50)), (std::vector<std::pair<int32_t, int32_t>>{{47, 100}}));
}

TEST_F(TriggerHandling, ChordNotesOutsideTheMidiRangeAreSkipped) {
  SetChord(0, {-24, 10, 0});
  EXPECT_EQ(Notes(Strike(120)), (std::vector<std::pair<int32_t, int32_t>>{{96, 100}, {120, 100}}));
  Plugin.Setup.TransposeOctave = 5;
  EXPECT_TRUE(Strike(120).empty());
  SetChord(0, {});
  EXPECT_TRUE(Strike(120).empty());
}

TEST_F(TriggerHandling, AbsurdStoredKeysSendNothing) {
  // A damaged preset can store any integer as a key; nothing may overflow into a MIDI pitch.
  for (const int32_t key : {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min() + 1}) {
    Plugin.Setup.Triggers[0].Key = key;
    NoteOn(120); // trigger without a chord: plays its key
    Block();
    EXPECT_EQ(Plugin.View().QueuedEvents, 0);
    Plugin.Setup.OctaveRangeTo = 4;
    NoteOn(120); // above the range: passed through the key mapping
    NoteOff(120);
    Plugin.Setup.OctaveRangeTo = 10;
    Block();
    EXPECT_TRUE(Sent().empty());
  }
}

TEST_F(TriggerHandling, VelocityScaleMovesTowardsZeroOrFullWithHalvesToEven) {
  EXPECT_EQ(VelocityFor(100, -50), 50);
  EXPECT_EQ(VelocityFor(100, 50), 114); // 100 + nearest(13.5)
  EXPECT_EQ(VelocityFor(100, 100), 127);
  EXPECT_EQ(VelocityFor(100, -100), 0); // not sent: a velocity 0 note-on would be a note-off
  EXPECT_EQ(VelocityFor(100, 0), 100);
  EXPECT_EQ(VelocityFor(5, -50), 3);     // 5 - nearest(2.5)
  EXPECT_EQ(VelocityFor(1, 50), 64);     // 1 + nearest(63)
  EXPECT_EQ(VelocityFor(100, 500), 127); // stored out of range: clamped
  EXPECT_EQ(VelocityFor(100, -500), 0);
}

TEST_F(TriggerHandling, RandomVelocityOnlyRaisesTheScaleAndNeverPastFull) {
  SetChord(0, {0});
  Plugin.Setup.NoteSetup[0].VelocityScale = 80;
  Plugin.Setup.NoteSetup[0].VelocityRandom = 50;
  std::set<int32_t> seen;
  for (int i = 0; i < 300; ++i) {
    seen.insert(Strike(60, 27).at(0).Velocity);
  }
  // 27 + 100 * scale%: scale 80..100.
  EXPECT_EQ(*seen.begin(), 107);
  EXPECT_EQ(*seen.rbegin(), 127);
  EXPECT_GT(seen.size(), 10u);
}

TEST_F(TriggerHandling, SameRandomVelocityGivesTheWholeChordOneDrawFromTheFirstPosition) {
  SetChord(0, {0, 4, 7});
  Plugin.Setup.NoteSetup[0].VelocityRandom = 60;
  Plugin.Setup.NoteSetup.SameRandomVelocity = true;
  bool raised = false;
  for (int i = 0; i < 50; ++i) {
    const std::vector<TPlayed> played = Strike(60, 27);
    ASSERT_EQ(played.size(), 3u);
    EXPECT_EQ(played[1].Velocity, played[0].Velocity);
    EXPECT_EQ(played[2].Velocity, played[0].Velocity);
    raised = raised || played[0].Velocity > 27;
  }
  EXPECT_TRUE(raised);
  // Without the option, positions 1 and 2 have no random range of their own.
  Plugin.Setup.NoteSetup.SameRandomVelocity = false;
  const std::vector<TPlayed> played = Strike(60, 27);
  EXPECT_EQ(played.at(1).Velocity, 27);
  EXPECT_EQ(played.at(2).Velocity, 27);
}

TEST_F(TriggerHandling, RelativeTimingAccumulatesStartDelays) {
  SetChord(0, {0, 4, 7});
  for (int32_t p = 0; p < 3; ++p) {
    Plugin.Setup.NoteSetup[p].Start = 100;
  }
  Plugin.Setup.NoteSetup.RelativeTiming = true;
  EXPECT_EQ(Offsets(Strike(60)), (std::vector<int32_t>{4410, 8820, 13230}));
  Plugin.Setup.NoteSetup.RelativeTiming = false;
  EXPECT_EQ(Offsets(Strike(60)), (std::vector<int32_t>{4410, 4410, 4410}));
}

TEST_F(TriggerHandling, SkippedPitchStillCountsTowardsRelativeTiming) {
  SetChord(0, {-24, 10, 0});
  for (int32_t p = 0; p < 3; ++p) {
    Plugin.Setup.NoteSetup[p].Start = 100;
  }
  Plugin.Setup.NoteSetup.RelativeTiming = true;
  const std::vector<TPlayed> played = Strike(120);
  EXPECT_EQ(Notes(played), (std::vector<std::pair<int32_t, int32_t>>{{96, 100}, {120, 100}}));
  EXPECT_EQ(Offsets(played), (std::vector<int32_t>{4410, 13230}));
}

TEST_F(TriggerHandling, RandomStartIsCappedAtOneSecondAndFollowsTheSeededGenerator) {
  SetChord(0, {0, 4, 7, 11, 14});
  for (int32_t p = 0; p < 5; ++p) {
    Plugin.Setup.NoteSetup[p].Start = 900;
    Plugin.Setup.NoteSetup[p].StartRandom = 500;
  }
  Seed(99);
  std::vector<int32_t> offsets = Offsets(Strike(60));
  Seed(99);
  std::vector<int32_t> expected;
  for (int32_t i = 0; i < 5; ++i) {
    expected.push_back(static_cast<int32_t>(RoundHalfEven(std::min(900 + RandomUpTo(500), 1000) * 44.1)));
  }
  std::sort(expected.begin(), expected.end()); // the output goes in time order
  EXPECT_EQ(offsets, expected);
  for (int i = 0; i < 100; ++i) {
    for (const int32_t delay : Offsets(Strike(60))) {
      ASSERT_GE(delay, 900 * 44.1 - 1);
      ASSERT_LE(delay, 44100);
    }
  }
}

TEST_F(TriggerHandling, RandomNoteAssignmentUsesOnlyActivePositions) {
  SetChord(0, {0, 4, 7, 11});
  Plugin.Setup.NoteSetup.RandomNoteAssignment = true;
  Plugin.Setup.NoteSetup[2].Start = 50;
  Plugin.Setup.NoteSetup[4].VelocityScale = -50;
  // Each note takes the timing and velocity of the position it drew: 0 plays at once at 100, 2 after
  // 50 ms, 4 at half velocity; the inactive positions 1 and 3 never come up.
  std::set<std::pair<int32_t, int32_t>> seen; // offset, velocity
  for (int i = 0; i < 100; ++i) {
    for (const TPlayed& played : Strike(60)) {
      seen.emplace(played.Offset, played.Velocity);
    }
  }
  EXPECT_EQ(seen, (std::set<std::pair<int32_t, int32_t>>{{0, 100}, {2205, 100}, {0, 50}}));
}

TEST_F(TriggerHandling, StoppedTransportSchedulesEveryEventAtTheBlockStart) {
  SetChord(0, {0});
  Plugin.Setup.NoteSetup[0].Start = 10;
  Blocks(2);
  NoteOn(60, 100, 200); // offset ignored while stopped: due at 1024 + 441
  Block();
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{On(0, 60, 100, 441)}));
}

TEST_F(TriggerHandling, ReleaseSchedulesNoteOffsWithEndDelays) {
  SetChord(0, {0, 4, 7});
  for (int32_t p = 0; p < 3; ++p) {
    Plugin.Setup.NoteSetup[p].End = 5; // 220.5 samples each
  }
  Plugin.Setup.NoteSetup.RelativeTiming = true;
  NoteOn(60);
  Block();
  Host.ClearSent();
  NoteOff(60); // releases at 220.5, 441 and 661.5 samples
  Block();
  Block();
  // 220.5 rounds to 220 (even), 661.5 to 662, i.e. offset 150 of the next block; in time order.
  EXPECT_EQ(Sent(),
            (std::vector<TSentMessage>{Off(0, 60, 100, 220), Off(0, 64, 100, 441), Off(0, 67, 100, 150)}));
  EXPECT_EQ(Plugin.View().QueuedEvents, 0);
}

TEST_F(TriggerHandling, ReleasingTriggerDropsUnstartedChordNotes) {
  SetChord(0, {0, 4});
  Plugin.Setup.NoteSetup[1].Start = 100;
  NoteOn(60);
  Block();
  NoteOff(60, 0);
  Blocks(20);
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{On(0, 60, 100, 0), Off(0, 60, 100, 0)}));
  EXPECT_EQ(Plugin.View().QueuedEvents, 0);
}

TEST_F(TriggerHandling, ReleaseWithoutSoundingNotesChangesNothing) {
  NoteOff(60);
  NoteOff(61);
  Block();
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(Plugin.View().QueuedEvents, 0);
}

TEST_F(TriggerHandling, NoteOnWithZeroVelocityIsARelease) {
  NoteOn(62);
  Block();
  Midi(0x90, 62, 0);
  Block();
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{On(0, 62, 100, 0), Off(0, 62, 100, 0)}));
}

TEST_F(TriggerHandling, NotesBelowTheRangePassThroughMappedAndTransposed) {
  Plugin.Setup.OctaveRangeFrom = 4;
  Plugin.Setup.OctaveRangeTo = 6;
  Plugin.Setup.TransposeOctaveBelow = 1;
  Play(0);
  NoteOn(30, 90, 17); // F#: no trigger, nothing
  NoteOn(29, 90, 17); // F
  NoteOff(29, 20, 0, 64);
  Block();
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{On(0, 41, 90, 17), Off(0, 41, 64, 20)}));
  EXPECT_EQ(Plugin.View().QueuedEvents, 0); // pass-through never enters the queue
  Host.ClearSent();
  Plugin.Setup.FollowTriggerNotes = false;
  NoteOn(30, 90, 5);
  Block();
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{On(0, 42, 90, 5)}));
}

TEST_F(TriggerHandling, NotesAboveTheRangeUseTheirOwnTranspositionAndStayInsideMidi) {
  Plugin.Setup.OctaveRangeTo = 6;
  Plugin.Setup.TransposeOctaveAbove = -2;
  NoteOn(100, 70, 0, 9); // E in octave 8
  Block();
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{On(9, 76, 70, 0)}));
  Host.ClearSent();
  Plugin.Setup.TransposeOctaveAbove = 3;
  NoteOn(100, 70);
  Block();
  EXPECT_TRUE(Sent().empty());
}

TEST_F(TriggerHandling, ControllersPressureAndPitchBendPassUnchangedOtherMessagesDoNot) {
  Play(0);
  Midi(0xB2, 7, 99, 10);
  Midi(0xA1, 60, 33, 11);
  Midi(0xD4, 77, 55, 12);
  Midi(0xE5, 0x11, 0x40, 13);
  Midi(0xC0, 5, 0, 14);
  Midi(0xF8, 0, 0, 15);
  Block();
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{
                        {0xB2, 7, 99, 10}, {0xA1, 60, 33, 11}, {0xD4, 77, 0, 12}, {0xE5, 0x11, 0x40, 13}}));
}

TEST_F(TriggerHandling, LearnOctaveTakesTheNextNoteOnAndConsumesIt) {
  Host.Mode = ccmLearnOctave;
  NoteOn(62);
  Block();
  EXPECT_EQ(Plugin.LearnedOctave, 5);
  EXPECT_EQ(Host.CCMode(), ccmNone);
  EXPECT_GT(Host.EditorUpdates, 0);
  NoteOff(62);
  Block();
  EXPECT_TRUE(Sent().empty());
  NoteOn(62);
  Block();
  EXPECT_EQ(Sent().size(), 1u);
}

TEST_F(TriggerHandling, TimeIsAskedOncePerProcessingCall) {
  NoteOn(60);
  Midi(0xB0, 1, 1);
  NoteOff(60, 7);
  Block();
  EXPECT_EQ(Host.TimeRequests, 1);
}
