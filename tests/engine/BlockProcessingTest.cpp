// Block processing driven with real MIDI: transport start, stop and loop, duplicate pitches, offsets,
// previews, and the editor's idle update.
#include "support/TestHost.h"

#include "engine/ZelMidi.h"
#include "engine/ZelRandom.h"

#include <gtest/gtest.h>

#include <set>

namespace {
class BlockProcessing : public ::testing::Test, public TEngineDriver {
protected:
  void SetUp() override { Seed(1); }
};
} // namespace

TEST_F(BlockProcessing, StoppedTimeLineCountsBlocksFromZero) {
  Blocks(3);
  EXPECT_EQ(Plugin.View().BlockPosition, 1024.0);
  EXPECT_EQ(Plugin.View().SampleCounter, 1536u);
  EXPECT_EQ(Plugin.View().PreviousBlockPosition, 1024.0);
  EXPECT_FALSE(Plugin.View().WasPlaying);
}

TEST_F(BlockProcessing, PlayingTimeLineFollowsTheHostAndStartingEndsLearnModes) {
  Host.Mode = ccmLearnOctave;
  Play(48000);
  Block();
  EXPECT_EQ(Host.CCMode(), ccmNone);
  EXPECT_EQ(Plugin.View().BlockPosition, 48000.0);
  EXPECT_TRUE(Plugin.View().WasPlaying);
  Host.Mode = ccmLearn;
  Block();
  EXPECT_EQ(Host.CCMode(), ccmLearn); // only the start ends it
}

TEST_F(BlockProcessing, DelayedChordNoteGoesOutAtItsExactOffsetInALaterBlock) {
  SetChord(0, {0, 4});
  Plugin.Setup.NoteSetup[1].Start = 20; // 882 samples
  Play(0);
  NoteOn(60, 100, 100);
  Blocks(3);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0], On(0, 60, 100, 100));
  EXPECT_EQ(sent[0].Block, 0);
  EXPECT_EQ(sent[1], On(0, 64, 100, 982 - 512));
  EXPECT_EQ(sent[1].Block, 1);
}

TEST_F(BlockProcessing, MessageDueAtTheBlockEndGoesOutAtTheStartOfTheNextBlock) {
  SetChord(0, {0});
  Host.Rate = 51200.0f; // 10 ms = 512 samples
  Plugin.Setup.NoteSetup[0].Start = 10;
  Play(0);
  NoteOn(60);
  Block();
  EXPECT_TRUE(Sent().empty());
  Block();
  ASSERT_EQ(Sent().size(), 1u);
  EXPECT_EQ(Sent()[0], On(0, 60, 100, 0));
  EXPECT_EQ(Sent()[0].Block, 1);
}

TEST_F(BlockProcessing, OffsetRoundingDecidesTheBlock) {
  SetChord(0, {0, 4});
  Host.Rate = 1000.0f; // 1 ms = 1 sample
  Frames = 8;
  Plugin.Setup.NoteSetup[0].Start = 7;
  Plugin.Setup.NoteSetup[1].Start = 8;
  Play(0);
  NoteOn(60);
  Block();
  EXPECT_EQ(SentOfBlock(0), (std::vector<TSentMessage>{On(0, 60, 100, 7)}));
  Block();
  EXPECT_EQ(SentOfBlock(1), (std::vector<TSentMessage>{On(0, 64, 100, 0)}));
}

TEST_F(BlockProcessing, DelaysEndingOnHalfSamplesRoundToTheEvenOffset) {
  SetChord(0, {0, 4, 7, 11, 14});
  Host.Rate = 500.0f; // 1 ms = half a sample
  Frames = 8;
  const int32_t starts[] = {1, 3, 5, 7, 15}; // 0.5, 1.5, 2.5, 3.5 and 7.5 samples
  for (int32_t p = 0; p < 5; ++p) {
    Plugin.Setup.NoteSetup[p].Start = starts[p];
  }
  Play(0);
  NoteOn(60);
  Block();
  EXPECT_EQ(SentOfBlock(0), (std::vector<TSentMessage>{On(0, 60, 100, 0), On(0, 64, 100, 2),
                                                       On(0, 67, 100, 2), On(0, 71, 100, 4)}));
  Block(); // 7.5 rounds to 8, the next block's start
  EXPECT_EQ(SentOfBlock(1), (std::vector<TSentMessage>{On(0, 74, 100, 0)}));
}

TEST_F(BlockProcessing, HostJumpingForwardPastADueNoteSendsItAtOffsetZero) {
  SetChord(0, {0});
  Plugin.Setup.NoteSetup[0].Start = 100;
  Play(0);
  NoteOn(60);
  Block();
  Host.Time.SamplePosition = 100000; // the host skipped ahead
  Block();
  EXPECT_EQ(SentOfBlock(1), (std::vector<TSentMessage>{On(0, 60, 100, 0)}));
}

TEST_F(BlockProcessing, ZeroAndNegativeFrameCountsSendNothingAndLoseNothing) {
  SetChord(0, {0});
  Play(0);
  NoteOn(60);
  Block(0);
  Block(-5);
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(Plugin.View().WaitingInput, 1); // the note waits for a block it can be placed in
  Block(64);
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{On(0, 60, 100, 0)}));
  Block(0x7FFFFFFF);
  EXPECT_EQ(Plugin.View().QueuedEvents, 1);
}

// Mended: offsets were clamped against the previous block's length.
TEST_F(BlockProcessing, HostileDeltaFramesStayInsideTheCurrentBlock) {
  Plugin.Setup.OctaveRangeTo = 4;
  Play(0);
  Block(256);
  NoteOn(62, 100, -300);  // pass-through: at the block start
  NoteOn(64, 100, 99999); // pass-through: at the last sample of this block
  Midi(0xB0, 1, 2, 1 << 30);
  Block(4096);
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{On(0, 62, 100, 0), On(0, 64, 100, 4095), {0xB0, 1, 2, 4095}}));
}

// Mended: after a 32-frame block, a 4096-frame block's events were all placed at offset 31.
TEST_F(BlockProcessing, OffsetsFollowTheBlockTheyArriveIn) {
  SetChord(0, {0, 4});
  Plugin.Setup.NoteSetup[1].Start = 10; // 441 samples
  Play(0);
  Block(32);
  Midi(0xB0, 7, 100, 1000);
  NoteOn(60, 100, 1000);
  Block(4096);
  EXPECT_EQ(SentOfBlock(1),
            (std::vector<TSentMessage>{{0xB0, 7, 100, 1000}, On(0, 60, 100, 1000), On(0, 64, 100, 1441)}));
  NoteOff(60, 5000); // past the end of a 64-frame block: its last frame
  Block(64);
  EXPECT_EQ(SentOfBlock(2), (std::vector<TSentMessage>{Off(0, 60, 100, 63), Off(0, 64, 100, 63)}));
}

TEST_F(BlockProcessing, SecondChordSharingAPitchEndsTheFirstOneJustBeforeIt) {
  SetChord(0, {4, 7});
  SetChord(2, {4, 9});
  Play(0);
  NoteOn(60, 90);
  Block();
  NoteOn(62, 80, 100);
  Block();
  EXPECT_EQ(SentOfBlock(1),
            (std::vector<TSentMessage>{Off(0, 64, 90, 100), On(0, 64, 80, 100), On(0, 69, 80, 100)}));
  NoteOff(60);
  Block();
  // C's 64 was already ended; only its 67 remains to end.
  EXPECT_EQ(SentOfBlock(2), (std::vector<TSentMessage>{Off(0, 67, 90, 0)}));
  NoteOff(62);
  Block();
  EXPECT_EQ(SentOfBlock(3), (std::vector<TSentMessage>{Off(0, 64, 80, 0), Off(0, 69, 80, 0)}));
}

TEST_F(BlockProcessing, NewNoteEndsAReleasingNoteOfTheSamePitchFirst) {
  SetChord(0, {4});
  Plugin.Setup.NoteSetup[0].End = 1000;
  Play(0);
  NoteOn(60);
  Block();
  NoteOff(60);
  Block();
  NoteOn(60, 70, 30);
  Block();
  EXPECT_EQ(SentOfBlock(2), (std::vector<TSentMessage>{Off(0, 64, 100, 30), On(0, 64, 70, 30)}));
  Blocks(100);
  EXPECT_EQ(Sent().size(), 3u); // the old note-off is gone for good
}

TEST_F(BlockProcessing, ReleaseDueLaterInTheBlockNeverCutsANewNoteOfThatPitch) {
  Host.Rate = 1000.0f; // one sample per millisecond
  SetChord(0, {4});    // C plays 64 on position 0
  SetChord(2, {4});    // D plays 64 too, on position 0
  Plugin.Setup.Triggers[2].Notes[0].SetPosition(1);
  Plugin.Setup.NoteSetup[0].End = 812;   // C's 64 ends at 512 + 812 = 1324: offset 300 of block 2
  Plugin.Setup.NoteSetup[1].Start = 612; // D's 64 starts at 512 + 612 = 1124: offset 100 of block 2
  Play(0);
  NoteOn(60);
  Block();
  NoteOff(60);
  NoteOn(62);
  Block();
  Block();
  // Hosts deliver by offset: a note-off at 300 after the note-on at 100 would end the new note.
  EXPECT_EQ(SentOfBlock(2), (std::vector<TSentMessage>{Off(0, 64, 100, 100), On(0, 64, 100, 100)}));
  NoteOff(62);
  Block();
  EXPECT_EQ(SentOfBlock(3), (std::vector<TSentMessage>{Off(0, 64, 100, 0)}));
}

TEST_F(BlockProcessing, LoopBackRetimesPendingNoteOnsAndFlushesPendingNoteOffs) {
  Host.Rate = 30000.0f; // 10 ms = 300 samples
  SetChord(0, {0});
  SetChord(2, {2});
  Plugin.Setup.Triggers[2].Notes[0].SetPosition(1);
  Plugin.Setup.NoteSetup[0].Start = 10;
  Plugin.Setup.NoteSetup[1].End = 1000;
  Frames = 256;
  Play(95744);
  NoteOn(62);
  Block(); // D sounds at 95744
  NoteOff(62);
  NoteOn(60); // due at 96300
  Block();
  EXPECT_EQ(Host.SentCount(), 1u);
  Host.Time.SamplePosition = 0; // the host loops
  Block();
  // The releasing D ends at once; C keeps its 300 remaining samples from the new position.
  EXPECT_EQ(SentOfBlock(2), (std::vector<TSentMessage>{Off(0, 62, 100, 0)}));
  Block();
  EXPECT_EQ(SentOfBlock(3), (std::vector<TSentMessage>{On(0, 60, 100, 300 - 256)}));
}

TEST_F(BlockProcessing, StoppingTheTransportFlushesNoteOffsAndDropsPendingNotes) {
  SetChord(0, {0, 4});
  SetChord(2, {2});
  Plugin.Setup.NoteSetup[1].Start = 500;
  Plugin.Setup.NoteSetup[0].End = 1000;
  Play(10000);
  NoteOn(62);
  Block();
  NoteOff(62);
  NoteOn(60);
  Block();
  Host.ClearSent();
  Stop();
  Block();
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{Off(0, 62, 100, 0)}));
  // The stopped time line starts again at 0 with this block.
  EXPECT_EQ(Plugin.View().BlockPosition, 0.0);
  EXPECT_EQ(Plugin.View().SampleCounter, 512u);
  Blocks(200);
  EXPECT_EQ(Sent().size(), 1u); // C's delayed 64 never sounds
}

// Mended: the stop used to drop sounding chord notes, so the later release sent nothing.
TEST_F(BlockProcessing, ReleaseAfterTransportStopStillEndsSoundingChordNotes) {
  SetChord(0, {0, 4, 7});
  Play(0);
  NoteOn(60);
  Block();
  Stop();
  Block();
  Host.ClearSent();
  NoteOff(60);
  Block();
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{Off(0, 60, 100, 0), Off(0, 64, 100, 0), Off(0, 67, 100, 0)}));
  EXPECT_EQ(Plugin.View().QueuedEvents, 0);
}

// Mended: a pass-through note-off used the mapping of its own moment.
TEST_F(BlockProcessing, PassThroughNoteOffEndsThePitchThatWasStarted) {
  Plugin.Setup.OctaveRangeFrom = 5;
  Plugin.Setup.TransposeOctaveBelow = 1;
  NoteOn(53, 90, 0, 2); // F4 -> 65
  Block();
  Plugin.Setup.TransposeOctaveBelow = -1;
  Plugin.Setup.Triggers[5].Key = -1;
  NoteOff(53, 0, 2);
  // Another channel's note of the same number has its own memory.
  NoteOff(53, 0, 3);
  Block();
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{On(2, 65, 90, 0), Off(2, 65, 0, 0)}));
  Host.ClearSent();
  Plugin.Setup.Triggers[5].Key = 5;
  NoteOff(53, 0, 2); // ends nothing: no note of it sounds
  Block();
  EXPECT_TRUE(Sent().empty());
}

TEST_F(BlockProcessing, RangeChangeBetweenNoteOnAndNoteOffLeavesNothingHanging) {
  SetChord(0, {0, 4});
  NoteOn(60); // inside: chord
  NoteOn(50); // D: inside, single note
  Block();
  Plugin.Setup.OctaveRangeFrom = 6;
  NoteOn(48); // now below: pass-through
  Block();
  Plugin.Setup.OctaveRangeFrom = 0;
  NoteOff(60); // inside: released as a trigger
  Block();
  Plugin.Setup.OctaveRangeFrom = 6;
  NoteOff(50); // outside now, but its chord note still sounds
  Block();
  Plugin.Setup.OctaveRangeFrom = 0;
  NoteOff(48); // inside now, but it was passed through
  Block();
  EXPECT_EQ(SentOfBlock(0),
            (std::vector<TSentMessage>{On(0, 60, 100, 0), On(0, 64, 100, 0), On(0, 50, 100, 0)}));
  EXPECT_EQ(SentOfBlock(1), (std::vector<TSentMessage>{On(0, 48, 100, 0)}));
  std::set<int32_t> ended;
  for (const auto& message : Sent()) {
    if ((message.Status & 0xF0) == 0x80) {
      ended.insert(message.Data1);
    }
  }
  EXPECT_EQ(ended, (std::set<int32_t>{48, 50, 60, 64}));
  EXPECT_EQ(Plugin.View().QueuedEvents, 0);
  EXPECT_EQ(Plugin.View().SoundingNotes, 0);
}

TEST_F(BlockProcessing, PreviewsRunAtTheStartOfTheNextBlock) {
  SetChord(0, {0, 4, 7});
  Play(5000);
  Block();
  EXPECT_TRUE(Plugin.PlayTrigger(48));
  EXPECT_TRUE(Plugin.PlayNote(62, 90));
  EXPECT_TRUE(Sent().empty());
  Block();
  EXPECT_EQ(SentOfBlock(1), (std::vector<TSentMessage>{On(0, 62, 90, 0), On(0, 48, 100, 0), On(0, 52, 100, 0),
                                                       On(0, 55, 100, 0)}));
  EXPECT_TRUE(Plugin.StopTrigger(48));
  EXPECT_TRUE(Plugin.StopNote(62));
  Block();
  // The chord's note-offs in the order they arose.
  EXPECT_EQ(SentOfBlock(2), (std::vector<TSentMessage>{Off(0, 62, 0, 0), Off(0, 48, 100, 0),
                                                       Off(0, 52, 100, 0), Off(0, 55, 100, 0)}));
}

TEST_F(BlockProcessing, FullPreviewQueueDropsFurtherPreviewsAndBadNotesAreIgnored) {
  int32_t accepted = 0;
  while (Plugin.PlayNote(60, 100)) {
    ++accepted;
  }
  EXPECT_EQ(accepted, static_cast<int32_t>(TPreviewQueue::Capacity));
  Block();
  // One pitch never sounds twice: each repeat ends the one before.
  EXPECT_EQ(Host.SentCount(), 2 * TPreviewQueue::Capacity - 1);
  Plugin.StopNote(60);
  Block();
  Host.ClearSent();
  Plugin.PlayNote(200, 100);
  Plugin.PlayNote(60, -1);
  Plugin.PlayTrigger(-12);
  Plugin.StopTrigger(1000);
  Plugin.StopNote(128);
  Block();
  EXPECT_TRUE(Sent().empty());
}

TEST_F(BlockProcessing, FullEventQueueDropsNewChordNotesWithoutHarm) {
  SetChord(0, {0, 4, 7, 11, 14});
  for (int32_t p = 0; p < 5; ++p) {
    Plugin.Setup.NoteSetup[p].Start = 1000;
  }
  for (int i = 0; i < 1000; ++i) {
    NoteOn(60);
  }
  Block();
  EXPECT_EQ(static_cast<std::size_t>(Plugin.View().QueuedEvents), TMidiEvents::DefaultCapacity);
  NoteOff(60);
  Block();
  EXPECT_EQ(Plugin.View().QueuedEvents, 0); // none had started
  EXPECT_TRUE(Sent().empty());
}

namespace {
class EditorFeedProcessing : public BlockProcessing {
protected:
  TTestEditor Editor;
  void SetUp() override {
    BlockProcessing::SetUp();
    SetDisplayOctaveOffset(-2);
  }
  void TearDown() override { SetDisplayOctaveOffset(0); }
};
} // namespace

TEST_F(EditorFeedProcessing, OpenEditorShowsPressedTriggerAndSoundingNotesAtIdle) {
  Plugin.AttachEditor(&Editor);
  SetChord(0, {0, 4, 7});
  Plugin.Setup.OctaveRangeFrom = 3;
  NoteOn(60);
  NoteOn(29); // below the range: passed through
  Block();
  EXPECT_TRUE(Editor.Highlights.Count() == 0); // nothing before the idle call
  EXPECT_GT(Host.EditorUpdates, 0);
  Plugin.VSTModuleEditIdle();
  EXPECT_EQ(Editor.KeysShown, (std::vector<std::pair<int32_t, bool>>{{0, true}}));
  ASSERT_EQ(Editor.InfoTexts.size(), 1u);
  EXPECT_EQ(Editor.InfoTexts[0], "F0 => F0 / C3 => C3 - E3 - G3");
  NoteOff(60);
  Block();
  Plugin.VSTModuleEditIdle();
  EXPECT_EQ(Editor.KeysShown.back(), (std::pair<int32_t, bool>{0, false}));
  EXPECT_EQ(Editor.Highlights.Count(), 0);
  EXPECT_EQ(Editor.InfoTexts.back(), "F0 => F0");
  Plugin.VSTModuleEditIdle(); // nothing changed: no new text
  EXPECT_EQ(Editor.InfoTexts.size(), 2u);
}

TEST_F(EditorFeedProcessing, KeyThatIsNoTriggerStillLightsUp) {
  Plugin.AttachEditor(&Editor);
  NoteOn(61);
  Block();
  Plugin.VSTModuleEditIdle();
  EXPECT_EQ(Editor.KeysShown, (std::vector<std::pair<int32_t, bool>>{{1, true}}));
}

TEST_F(EditorFeedProcessing, ClosedEditorRecordsNothingAndReopenedEditorStartsEmpty) {
  SetChord(0, {0, 4, 7});
  NoteOn(60);
  Block();
  Plugin.AttachEditor(&Editor);
  Plugin.VSTModuleEditIdle();
  EXPECT_EQ(Editor.Sounding.Count(), 0);
  NoteOn(62);
  Block();
  Plugin.AttachEditor(nullptr);
  TTestEditor second;
  Plugin.AttachEditor(&second);
  Plugin.VSTModuleEditIdle();
  EXPECT_EQ(second.Highlights.Count(), 0);
  EXPECT_EQ(second.Sounding.Count(), 0);
  NoteOn(64);
  Block();
  Plugin.VSTModuleEditIdle();
  EXPECT_EQ(second.Highlights.Count(), 1);
}

TEST_F(EditorFeedProcessing, LearnedOctaveReachesTheEditorOnce) {
  Host.Mode = ccmLearnOctave;
  NoteOn(26);
  Block();
  Plugin.VSTModuleEditIdle(); // no editor: kept
  EXPECT_EQ(Plugin.LearnedOctave, 2);
  Plugin.AttachEditor(&Editor);
  Plugin.VSTModuleEditIdle();
  Plugin.VSTModuleEditIdle();
  EXPECT_EQ(Editor.LearnedOctaves, (std::vector<int32_t>{2}));
  EXPECT_EQ(Plugin.LearnedOctave, -1);
}

TEST_F(EditorFeedProcessing, LostFeedEntriesNeverLeaveAKeyLit) {
  Plugin.AttachEditor(&Editor);
  SetChord(0, {0, 4, 7, 11, 14});
  for (int i = 0; i < 1000; ++i) {
    NoteOn(60);
    NoteOff(60);
  }
  NoteOn(60); // its highlight is lost in the full feed
  Blocks(20);
  Plugin.VSTModuleEditIdle();
  Plugin.VSTModuleEditIdle();
  EXPECT_EQ(Editor.Highlights.Count(), 0);
  EXPECT_EQ(Editor.Sounding.Count(), 0);
  NoteOn(62);
  Block();
  Plugin.VSTModuleEditIdle();
  EXPECT_EQ(Editor.Highlights.Count(), 1);
}
