// The engine under load, driven with real MIDI: one ledger for chord, pass-through and preview notes,
// time-ordered output, the output cap, panic controllers and suspend.
#include "support/OutputChecker.h"
#include "support/TestHost.h"

#include "engine/ZelRandom.h"

#include <gtest/gtest.h>

namespace {
class EngineLoad : public ::testing::Test, public TEngineDriver {
protected:
  TOutputChecker Checker;

  void SetUp() override { Seed(1); }
  // A block whose output goes through the checker too.
  std::vector<TSentMessage> CheckedBlock(int32_t frames) {
    const int32_t block = Host.CurrentBlock;
    Block(frames);
    std::vector<TOutputChecker::TMessage> messages;
    for (const TSentMessage& m : SentOfBlock(block)) {
      messages.push_back({m.Status, m.Data1, m.Data2, m.Offset});
    }
    Checker.Block(messages, frames);
    return SentOfBlock(block);
  }
  void ExpectClean() {
    EXPECT_TRUE(Checker.Problems().empty()) << Checker.Report();
    EXPECT_EQ(Checker.Sounding(), 0);
    EXPECT_EQ(Plugin.View().SoundingNotes, 0);
    EXPECT_EQ(Plugin.View().QueuedEvents, 0);
  }
};
} // namespace

// Mended: the later-queued note-on of a pitch that fell due first was ended before the older one had
// started, so the host saw off, on, on and one voice never ended.
TEST_F(EngineLoad, ChordsSharingAPitchInEitherOrderLeaveNothingSounding) {
  SetChord(0, {7}); // C holds G at position 1
  Plugin.Setup.Triggers[0].Notes[0].SetPosition(1);
  SetChord(2, {7});                     // D holds G at position 0
  Plugin.Setup.NoteSetup[1].Start = 20; // 882 samples
  Play(0);
  NoteOn(60, 100, 0);
  NoteOn(62, 90, 100);
  EXPECT_EQ(CheckedBlock(2048),
            (std::vector<TSentMessage>{On(0, 67, 90, 100), Off(0, 67, 90, 882), On(0, 67, 100, 882)}));
  NoteOff(60, 0);
  NoteOff(62, 1);
  EXPECT_EQ(CheckedBlock(2048), (std::vector<TSentMessage>{Off(0, 67, 100, 0)}));
  ExpectClean();
}

TEST_F(EngineLoad, OutputIsInTimeOrderAcrossPassThroughChordNotesAndReleases) {
  SetChord(0, {0, 4, 7});
  Plugin.Setup.NoteSetup[1].Start = 5; // 220.5 -> 220 after the trigger
  Plugin.Setup.NoteSetup[2].Start = 8; // 352.8 -> 353
  Plugin.Setup.OctaveRangeFrom = 4;    // notes below octave 4 pass through
  Plugin.Setup.Triggers[2].Key = 2;
  Play(0);
  NoteOn(60, 100, 10);
  NoteOn(38, 80, 100); // D2, passed through at 100
  Midi(0xB0, 64, 127, 300);
  NoteOff(38, 250);
  EXPECT_EQ(CheckedBlock(512), (std::vector<TSentMessage>{On(0, 60, 100, 10),
                                                          On(0, 38, 80, 100),
                                                          On(0, 64, 100, 230),
                                                          Off(0, 38, 0, 250),
                                                          {0xB0, 64, 127, 300},
                                                          On(0, 67, 100, 363)}));
  NoteOff(60, 5);
  CheckedBlock(512);
  ExpectClean();
}

// Mended: a pass-through note on a pitch a chord sounded doubled the note-on, and its note-off cut
// the chord note.
TEST_F(EngineLoad, PassThroughAndChordNotesOfOnePitchEndEachOther) {
  SetChord(0, {4}); // C plays E (64)
  Plugin.Setup.OctaveRangeFrom = 5;
  Plugin.Setup.TransposeOctaveBelow = 1; // E4 (52) passes through as 64
  Play(0);
  NoteOn(60, 100, 0);
  NoteOn(52, 70, 20);
  EXPECT_EQ(CheckedBlock(256),
            (std::vector<TSentMessage>{On(0, 64, 100, 0), Off(0, 64, 100, 20), On(0, 64, 70, 20)}));
  NoteOff(60, 5); // the chord note was ended already
  EXPECT_TRUE(CheckedBlock(256).empty());
  // The other way round: a chord note takes the pitch from a sounding pass-through note.
  NoteOn(60, 90, 30);
  EXPECT_EQ(CheckedBlock(256), (std::vector<TSentMessage>{Off(0, 64, 70, 30), On(0, 64, 90, 30)}));
  NoteOff(52, 0); // its pitch belongs to the chord now
  EXPECT_TRUE(CheckedBlock(256).empty());
  NoteOff(60, 0);
  EXPECT_EQ(CheckedBlock(256), (std::vector<TSentMessage>{Off(0, 64, 90, 0)}));
  // Another channel is another voice.
  NoteOn(60, 100, 0, 0);
  NoteOn(52, 70, 0, 1);
  EXPECT_EQ(CheckedBlock(256), (std::vector<TSentMessage>{On(1, 64, 70, 0), On(0, 64, 100, 0)}));
  NoteOff(60, 0, 0);
  NoteOff(52, 0, 1);
  CheckedBlock(256);
  ExpectClean();
}

// Mended: a chord note whose velocity came out 0 went out as a note-on of velocity 0 (a note-off).
TEST_F(EngineLoad, ChordNoteOfVelocityZeroIsNeitherStartedNorEnded) {
  SetChord(0, {0, 4});
  Plugin.Setup.NoteSetup[1].VelocityScale = -100;
  NoteOn(60);
  EXPECT_EQ(CheckedBlock(512), (std::vector<TSentMessage>{On(0, 60, 100, 0)}));
  NoteOff(60);
  EXPECT_EQ(CheckedBlock(512), (std::vector<TSentMessage>{Off(0, 60, 100, 0)}));
  ExpectClean();
}

// Mended: events beyond the block's 1023 were lost, note-offs went out for notes never sent.
TEST_F(EngineLoad, WhatDoesNotFitTheOutputWaitsForTheNextBlock) {
  Host.BlockCap = 4;
  SetChord(0, {0, 4, 7, 11, 14});
  Play(0);
  NoteOn(60, 100, 10);
  EXPECT_EQ(CheckedBlock(512), (std::vector<TSentMessage>{On(0, 60, 100, 10), On(0, 64, 100, 10),
                                                          On(0, 67, 100, 10), On(0, 71, 100, 10)}));
  NoteOff(60, 0);
  // The held-back note-on goes first, at offset 0, then the release of the whole chord as far as
  // it fits; the rest follows.
  EXPECT_EQ(CheckedBlock(512), (std::vector<TSentMessage>{On(0, 74, 100, 0), Off(0, 60, 100, 0),
                                                          Off(0, 64, 100, 0), Off(0, 67, 100, 0)}));
  EXPECT_EQ(CheckedBlock(512), (std::vector<TSentMessage>{Off(0, 71, 100, 0), Off(0, 74, 100, 0)}));
  EXPECT_EQ(Host.Lost, 0);
  ExpectClean();
}

TEST_F(EngineLoad, FiveHundredTwelveTriggersOnEightChannelsLoseNothing) {
  for (int32_t t = 0; t < 12; ++t) {
    SetChord(t, {t, t + 4, t + 7, t + 11, t + 14});
    Plugin.Setup.Triggers[t].Key = t;
  }
  Play(0);
  for (int32_t channel = 0; channel < 8; ++channel) {
    for (int32_t note = 36; note < 100; ++note) {
      NoteOn(note, 100, note, channel);
    }
  }
  int32_t noteOns = 0;
  for (int32_t i = 0; i < 8; ++i) {
    for (const TSentMessage& m : CheckedBlock(4096)) {
      noteOns += (m.Status & 0xF0) == 0x90 ? 1 : 0;
    }
  }
  EXPECT_EQ(noteOns, 512 * 5); // every chord note sounded, each ending the one before on its pitch
  EXPECT_EQ(Plugin.View().WaitingInput, 0);
  for (int32_t channel = 0; channel < 8; ++channel) {
    for (int32_t note = 36; note < 100; ++note) {
      NoteOff(note, 0, channel);
    }
  }
  for (int32_t i = 0; i < 8; ++i) {
    CheckedBlock(4096);
  }
  EXPECT_EQ(Host.Lost, 0);
  ExpectClean();
}

TEST_F(EngineLoad, AllNotesOffAndAllSoundOffEndTheChannelAndDropItsPendingNotes) {
  SetChord(0, {0, 4});
  Plugin.Setup.NoteSetup[1].Start = 100; // 64 starts 4410 samples later
  Plugin.Setup.OctaveRangeFrom = 5;
  Play(0);
  NoteOn(60, 100, 0, 1);
  NoteOn(50, 90, 0, 1); // D3 passes through on channel 1
  NoteOn(60, 100, 0, 2);
  CheckedBlock(512);
  Midi(0xB1, 123, 0, 40);
  EXPECT_EQ(CheckedBlock(512),
            (std::vector<TSentMessage>{Off(1, 50, 90, 40), Off(1, 60, 100, 40), {0xB1, 123, 0, 40}}));
  for (int32_t i = 0; i < 10; ++i) {
    CheckedBlock(512); // channel 2's 64 starts; channel 1's never does
  }
  Midi(0xB2, 120, 0, 7);
  EXPECT_EQ(CheckedBlock(512),
            (std::vector<TSentMessage>{Off(2, 60, 100, 7), Off(2, 64, 100, 7), {0xB2, 120, 0, 7}}));
  NoteOff(60, 0, 1); // the releases find nothing left to end
  NoteOff(50, 0, 1);
  NoteOff(60, 0, 2);
  EXPECT_TRUE(CheckedBlock(512).empty());
  ExpectClean();
}

TEST_F(EngineLoad, SuspendEndsEverythingAtTheFirstBlockAfterTheResume) {
  SetChord(0, {0, 4});
  Plugin.Setup.NoteSetup[1].Start = 100;
  Plugin.Setup.OctaveRangeTo = 6;
  Play(0);
  NoteOn(60);
  NoteOn(91, 80, 3); // above the range: passed through
  Plugin.PlayNote(70, 60);
  CheckedBlock(512);
  Plugin.VSTModuleSuspend();
  NoteOn(62, 100, 5); // arrives with the first block after the resume
  EXPECT_EQ(CheckedBlock(512), (std::vector<TSentMessage>{Off(0, 60, 100, 0), Off(0, 70, 60, 0),
                                                          Off(0, 91, 80, 0), On(0, 62, 100, 5)}));
  for (int32_t i = 0; i < 10; ++i) {
    EXPECT_TRUE(CheckedBlock(512).empty()); // the pending 64 did not survive
  }
  NoteOff(60);
  NoteOff(91);
  Plugin.StopNote(70);
  NoteOff(62);
  EXPECT_EQ(CheckedBlock(512), (std::vector<TSentMessage>{Off(0, 62, 100, 0)}));
  ExpectClean();
}

// Mended: a release ended the chords of that key on every channel.
TEST_F(EngineLoad, ReleasingAKeyOnOneChannelKeepsTheSameKeyHeldOnAnother) {
  SetChord(0, {0, 4});
  Plugin.Setup.NoteSetup[1].Start = 50;
  NoteOn(60, 100, 0, 5);
  NoteOn(60, 90, 0, 6);
  EXPECT_EQ(CheckedBlock(512), (std::vector<TSentMessage>{On(5, 60, 100, 0), On(6, 60, 90, 0)}));
  NoteOff(60, 0, 5); // channel 5's 64 never starts; channel 6's does
  EXPECT_EQ(CheckedBlock(4096), (std::vector<TSentMessage>{Off(5, 60, 100, 0), On(6, 64, 90, 2205 - 512)}));
  NoteOff(60, 0, 6);
  EXPECT_EQ(CheckedBlock(512), (std::vector<TSentMessage>{Off(6, 60, 90, 0), Off(6, 64, 90, 0)}));
  ExpectClean();
}

TEST_F(EngineLoad, TransportStopKeepsTheRulesForHeldAndReleasingNotes) {
  SetChord(0, {0, 4});
  Plugin.Setup.NoteSetup[0].End = 500;
  Play(1000);
  NoteOn(60);
  CheckedBlock(512);
  NoteOff(60, 100);
  NoteOn(62, 100, 200); // D without chord: its own key, held through the stop
  CheckedBlock(512);
  Stop();
  // The releasing 60 ends at once; the releasing 64 (no end delay) already ended at 100.
  EXPECT_EQ(CheckedBlock(512), (std::vector<TSentMessage>{Off(0, 60, 100, 0)}));
  NoteOff(62);
  EXPECT_EQ(CheckedBlock(512), (std::vector<TSentMessage>{Off(0, 62, 100, 0)}));
  ExpectClean();
}
