// Trigger handling driven with real MIDI: mapping, chord generation, velocity, timing, release,
// pass-through and other messages.
#include "TestHost.h"

#include "engine/ZelRandom.h"

#include <gtest/gtest.h>

#include <limits>

#include <set>

namespace {
class TriggerHandling : public ::testing::Test, public TEngineDriver {
protected:
  void SetUp() override { Seed(1); }

  // The pitches and velocities of the queued events, in queue order.
  std::vector<std::pair<int32_t, int32_t>> Queued() const {
    std::vector<std::pair<int32_t, int32_t>> result;
    for (int32_t i = 0; i < Plugin.Events.Count(); ++i) {
      result.emplace_back(Plugin.Events[i].Note, Plugin.Events[i].Velocity);
    }
    return result;
  }
  // Delays of the queued events from a trigger time, in samples.
  std::vector<double> Delays(double triggerTime) const {
    std::vector<double> result;
    for (int32_t i = 0; i < Plugin.Events.Count(); ++i) {
      result.push_back(Plugin.Events[i].Time - triggerTime);
    }
    return result;
  }
  // A one-note chord on C at position 0 with the given velocity scale; returns the velocity sent.
  int32_t VelocityFor(int32_t velocity, int32_t scale) {
    SetChord(0, {0});
    Plugin.Setup.NoteSetup[0].VelocityScale = scale;
    Plugin.Events.Clear();
    NoteOn(60, velocity);
    return Plugin.Events[Plugin.Events.Count() - 1].Velocity;
  }
};
} // namespace

TEST_F(TriggerHandling, TriggerWithoutChordQueuesItsOwnKeyAtTheTriggerTime) {
  Play(1000);
  NoteOn(60, 100, 32);
  ASSERT_EQ(Plugin.Events.Count(), 1);
  const TMidiEvent& event = Plugin.Events[0];
  EXPECT_EQ(event.Note, 60);
  EXPECT_EQ(event.State, EventState::NoteOnPending);
  EXPECT_EQ(event.Time, 1032.0);
  EXPECT_EQ(event.SchedulePosition, 1032.0);
  EXPECT_EQ(event.Position, -1);
  EXPECT_EQ(event.Velocity, 100);
  EXPECT_TRUE(Sent().empty()); // nothing goes out before the block
  Block();
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{On(0, 60, 100, 32)}));
}

TEST_F(TriggerHandling, BlackKeyIsNoTriggerByDefault) {
  NoteOn(61);
  EXPECT_EQ(Plugin.Events.Count(), 0);
  Block();
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
  NoteOn(64);
  // E's key wrapped past B: its chord is taken an octave up.
  EXPECT_EQ(Queued(), (std::vector<std::pair<int32_t, int32_t>>{{73, 100}, {77, 100}, {80, 100}}));
  Plugin.Events.Clear();
  Plugin.Setup.TransposeOctave = -1;
  NoteOn(50); // D without chord plays its key 11, an octave lower
  EXPECT_EQ(Queued(), (std::vector<std::pair<int32_t, int32_t>>{{47, 100}}));
}

TEST_F(TriggerHandling, ChordNotesOutsideTheMidiRangeAreSkipped) {
  SetChord(0, {-24, 10, 0});
  NoteOn(120);
  EXPECT_EQ(Queued(), (std::vector<std::pair<int32_t, int32_t>>{{96, 100}, {120, 100}}));
  Plugin.Events.Clear();
  Plugin.Setup.TransposeOctave = 5;
  NoteOn(120);
  EXPECT_EQ(Plugin.Events.Count(), 0);
  SetChord(0, {});
  NoteOn(120);
  EXPECT_EQ(Plugin.Events.Count(), 0);
}

TEST_F(TriggerHandling, AbsurdStoredKeysSendNothing) {
  // A damaged preset can store any integer as a key; nothing may overflow into a MIDI pitch.
  for (const int32_t key : {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min() + 1}) {
    Plugin.Setup.Triggers[0].Key = key;
    NoteOn(120); // trigger without a chord: plays its key
    EXPECT_EQ(Plugin.Events.Count(), 0);
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
  EXPECT_EQ(VelocityFor(100, -100), 0);
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
    Plugin.Events.Clear();
    NoteOn(60, 27);
    seen.insert(Plugin.Events[0].Velocity);
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
    Plugin.Events.Clear();
    NoteOn(60, 27);
    ASSERT_EQ(Plugin.Events.Count(), 3);
    EXPECT_EQ(Plugin.Events[1].Velocity, Plugin.Events[0].Velocity);
    EXPECT_EQ(Plugin.Events[2].Velocity, Plugin.Events[0].Velocity);
    raised = raised || Plugin.Events[0].Velocity > 27;
  }
  EXPECT_TRUE(raised);
  // Without the option, positions 1 and 2 have no random range of their own.
  Plugin.Setup.NoteSetup.SameRandomVelocity = false;
  Plugin.Events.Clear();
  NoteOn(60, 27);
  EXPECT_EQ(Plugin.Events[1].Velocity, 27);
  EXPECT_EQ(Plugin.Events[2].Velocity, 27);
}

TEST_F(TriggerHandling, RelativeTimingAccumulatesStartDelays) {
  SetChord(0, {0, 4, 7});
  for (int32_t p = 0; p < 3; ++p) {
    Plugin.Setup.NoteSetup[p].Start = 100;
  }
  Plugin.Setup.NoteSetup.RelativeTiming = true;
  NoteOn(60);
  EXPECT_EQ(Delays(0), (std::vector<double>{4410, 8820, 13230}));
  Plugin.Events.Clear();
  Plugin.Setup.NoteSetup.RelativeTiming = false;
  NoteOn(60);
  EXPECT_EQ(Delays(0), (std::vector<double>{4410, 4410, 4410}));
}

TEST_F(TriggerHandling, SkippedPitchStillCountsTowardsRelativeTiming) {
  SetChord(0, {-24, 10, 0});
  for (int32_t p = 0; p < 3; ++p) {
    Plugin.Setup.NoteSetup[p].Start = 100;
  }
  Plugin.Setup.NoteSetup.RelativeTiming = true;
  NoteOn(120);
  EXPECT_EQ(Queued(), (std::vector<std::pair<int32_t, int32_t>>{{96, 100}, {120, 100}}));
  EXPECT_EQ(Delays(0), (std::vector<double>{4410, 13230}));
}

TEST_F(TriggerHandling, RandomStartIsCappedAtOneSecondAndFollowsTheSeededGenerator) {
  SetChord(0, {0, 4, 7, 11, 14});
  for (int32_t p = 0; p < 5; ++p) {
    Plugin.Setup.NoteSetup[p].Start = 900;
    Plugin.Setup.NoteSetup[p].StartRandom = 500;
  }
  Seed(99);
  NoteOn(60);
  Seed(99);
  for (int32_t i = 0; i < 5; ++i) {
    const int32_t expected = std::min(900 + RandomUpTo(500), 1000);
    EXPECT_DOUBLE_EQ(Plugin.Events[i].Time, expected * 44.1);
  }
  for (int i = 0; i < 100; ++i) {
    Plugin.Events.Clear();
    NoteOn(60);
    for (double delay : Delays(0)) {
      ASSERT_GE(delay, 900 * 44.1 - 1e-6);
      ASSERT_LE(delay, 44100.0 + 1e-6);
    }
  }
}

TEST_F(TriggerHandling, RandomNoteAssignmentUsesOnlyActivePositions) {
  SetChord(0, {0, 4, 7, 11});
  Plugin.Setup.NoteSetup.RandomNoteAssignment = true;
  Plugin.Setup.NoteSetup[2].Start = 50;
  Plugin.Setup.NoteSetup[4].VelocityScale = -50;
  std::set<int32_t> positions;
  for (int i = 0; i < 100; ++i) {
    Plugin.Events.Clear();
    NoteOn(60);
    for (int32_t e = 0; e < Plugin.Events.Count(); ++e) {
      const TMidiEvent& event = Plugin.Events[e];
      positions.insert(event.Position);
      // Each note takes the timing and velocity of the position it drew.
      EXPECT_EQ(event.Time, event.Position == 2 ? 2205.0 : 0.0);
      EXPECT_EQ(event.Velocity, event.Position == 4 ? 50 : 100);
    }
  }
  EXPECT_EQ(positions, (std::set<int32_t>{0, 2, 4}));
}

TEST_F(TriggerHandling, StoppedTransportSchedulesEveryEventAtTheBlockStart) {
  SetChord(0, {0});
  Plugin.Setup.NoteSetup[0].Start = 10;
  Blocks(2);
  NoteOn(60, 100, 200); // offset ignored while stopped
  ASSERT_EQ(Plugin.Events.Count(), 1);
  EXPECT_EQ(Plugin.Events[0].Time, 1024 + 441.0);
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
  NoteOff(60);
  ASSERT_EQ(Plugin.Events.Count(), 3);
  EXPECT_EQ(Plugin.Events[0].State, EventState::NoteOffPending);
  EXPECT_EQ(Delays(512), (std::vector<double>{220.5, 441, 661.5}));
  Block();
  Block();
  // 220.5 rounds to 220 (even), 661.5 to 662, i.e. offset 150 of the next block.
  const std::vector<TSentMessage> sent = Sent();
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0], Off(0, 64, 100, 441));
  EXPECT_EQ(sent[1], Off(0, 60, 100, 220));
  EXPECT_EQ(sent[2], Off(0, 67, 100, 150));
  EXPECT_EQ(Plugin.Events.Count(), 0);
}

TEST_F(TriggerHandling, ReleasingTriggerDropsUnstartedChordNotes) {
  SetChord(0, {0, 4});
  Plugin.Setup.NoteSetup[1].Start = 100;
  NoteOn(60);
  Block();
  NoteOff(60, 0);
  Blocks(20);
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{On(0, 60, 100, 0), Off(0, 60, 100, 0)}));
  EXPECT_EQ(Plugin.Events.Count(), 0);
}

TEST_F(TriggerHandling, ReleaseWithoutSoundingNotesChangesNothing) {
  NoteOff(60);
  NoteOff(61);
  Block();
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(Plugin.Events.Count(), 0);
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
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{On(0, 41, 90, 17), Off(0, 41, 64, 20)}));
  EXPECT_EQ(Plugin.Events.Count(), 0); // pass-through never enters the queue
  Host.ClearSent();
  Plugin.Setup.FollowTriggerNotes = false;
  NoteOn(30, 90, 5);
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{On(0, 42, 90, 5)}));
}

TEST_F(TriggerHandling, NotesAboveTheRangeUseTheirOwnTranspositionAndStayInsideMidi) {
  Plugin.Setup.OctaveRangeTo = 6;
  Plugin.Setup.TransposeOctaveAbove = -2;
  NoteOn(100, 70, 0, 9); // E in octave 8
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{On(9, 76, 70, 0)}));
  Host.ClearSent();
  Plugin.Setup.TransposeOctaveAbove = 3;
  NoteOn(100, 70);
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

TEST_F(TriggerHandling, TimeIsAskedOncePerEventAndOncePerBlock) {
  NoteOn(60);
  Midi(0xB0, 1, 1);
  Block();
  EXPECT_EQ(Host.TimeRequests, 3);
}
