// Chord notes without delay: sent from their own list in the block they are made, handed to the queue
// only while they still sound, with the queue's orders and capacity kept.
#include "support/TestHost.h"

#include "engine/UndelayedNotes.h"
#include "engine/ZelRandom.h"

#include <gtest/gtest.h>

namespace {
constexpr TNoteLedger::TOwner OwnerBase = 10000;

TMidiEvent Pending(int32_t trigger, int32_t note, double time) {
  TMidiEvent event;
  event.TriggerNote = trigger;
  event.Note = note;
  event.Velocity = 90;
  event.Time = time;
  event.State = esNoteOnPending;
  return event;
}

class UndelayedNotes : public ::testing::Test, public TEngineDriver {
protected:
  void SetUp() override { Seed(1); }
};
} // namespace

TEST(UndelayedNoteList, HandOverQueuesTheLivingNotesInTheOrderMadeAndPassesTheirLedgerEntries) {
  TUndelayedNotes list(OwnerBase, 8);
  TMidiEvents queue(16);
  TNoteLedger ledger;
  list.Add(Pending(60, 64, 5.0), 5);
  list.Add(Pending(60, 67, 5.0), 5);
  list.Add(Pending(60, 71, 5.0), 5);
  for (int32_t i = 0; i < 2; ++i) {
    ledger.Start(0, list.NextPending().Note, list.NextOwner(), 90);
    list.StartNext();
  }
  list.End(OwnerBase); // 64 was ended by a newer note: it never takes a slot
  ASSERT_EQ(list.Living(), 2);
  list.HandOver(queue, ledger);

  EXPECT_TRUE(list.Empty());
  ASSERT_EQ(queue.Count(), 2);
  const TMidiEvents::TSlot first = queue.FirstOfTrigger(60);
  const TMidiEvents::TSlot second = queue.NextOfTrigger(first);
  EXPECT_EQ(queue[first].Note, 67);
  EXPECT_EQ(queue[first].State, esSounding);
  EXPECT_TRUE(ledger.IsOwner(0, 67, first));
  EXPECT_EQ(queue[second].Note, 71);
  EXPECT_EQ(queue.Earliest(), second); // still pending, in the due order
  EXPECT_FALSE(ledger.IsSounding(0, 71));
}

TEST(UndelayedNoteList, HandOverGivesTheQueueEveryFieldOfTheNoteAsMade) {
  // The list keeps notes in a smaller form: the extremes of every field must come back unchanged.
  TUndelayedNotes list(OwnerBase, 4);
  TMidiEvents queue(4);
  TNoteLedger ledger;
  TMidiEvent high = Pending(127, 127, 12345.5);
  high.Channel = 15;
  high.Velocity = 127;
  high.Position = 4;
  high.SchedulePosition = 12000.0;
  TMidiEvent low = Pending(0, 0, 12345.5);
  low.Channel = 0;
  low.Velocity = 1;
  low.Position = -1; // a trigger without a chord plays its key
  low.SchedulePosition = 12345.5;
  list.Add(high, 7);
  list.Add(low, 7);
  ledger.Start(15, 127, list.NextOwner(), 127);
  list.StartNext();
  list.HandOver(queue, ledger);

  const TMidiEvents::TSlot sounding = queue.FirstOfTrigger(127);
  ASSERT_NE(sounding, TMidiEvents::None);
  const TMidiEvent& first = queue[sounding];
  EXPECT_EQ(first.State, esSounding);
  EXPECT_EQ(first.Channel, 15);
  EXPECT_EQ(first.Note, 127);
  EXPECT_EQ(first.Velocity, 127);
  EXPECT_EQ(first.Position, 4);
  EXPECT_EQ(first.Time, 12345.5);
  EXPECT_EQ(first.SchedulePosition, 12000.0);
  EXPECT_TRUE(ledger.IsOwner(15, 127, sounding));
  const TMidiEvents::TSlot pending = queue.FirstOfTrigger(0);
  ASSERT_NE(pending, TMidiEvents::None);
  const TMidiEvent& second = queue[pending];
  EXPECT_EQ(second.State, esNoteOnPending);
  EXPECT_EQ(second.TriggerNote, 0);
  EXPECT_EQ(second.Velocity, 1);
  EXPECT_EQ(second.Position, -1);
  EXPECT_EQ(second.SchedulePosition, 12345.5);
  EXPECT_EQ(queue.Earliest(), pending);
}

TEST(UndelayedNoteList, TakesNotesOfThePendingTimeOnlyAndUpToItsCapacity) {
  TUndelayedNotes list(OwnerBase, 2);
  EXPECT_TRUE(list.CanTake(3.0));
  list.Add(Pending(60, 64, 3.0), 3);
  EXPECT_TRUE(list.CanTake(3.0));
  EXPECT_FALSE(list.CanTake(4.0)); // a second time would break the due order
  list.Add(Pending(60, 67, 3.0), 3);
  EXPECT_FALSE(list.CanTake(3.0));
  EXPECT_EQ(list.Time(), 3.0);
  EXPECT_EQ(list.Offset(), 3);
}

TEST_F(UndelayedNotes, NotesEndedInTheirPressBlockLeaveOnlyTheSoundingOnesQueued) {
  SetChord(0, {4, 7});
  SetChord(2, {4, 9});
  Play(0);
  NoteOn(60, 90);
  NoteOn(62, 80, 100);
  Block();
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{On(0, 64, 90, 0), On(0, 67, 90, 0), Off(0, 64, 90, 100),
                                               On(0, 64, 80, 100), On(0, 69, 80, 100)}));
  EXPECT_EQ(Plugin.View().QueuedEvents, 3);
  Host.ClearSent();
  NoteOff(60);
  NoteOff(62, 1);
  Block();
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{Off(0, 67, 90, 0), Off(0, 64, 80, 1), Off(0, 69, 80, 1)}));
  EXPECT_EQ(Plugin.View().QueuedEvents, 0);
}

TEST_F(UndelayedNotes, PressAndReleaseAtOneOffsetSendNothing) {
  SetChord(0, {0, 4, 7});
  Play(0);
  NoteOn(60, 100, 10);
  NoteOff(60, 10);
  Block();
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(Plugin.View().QueuedEvents, 0);
}

TEST_F(UndelayedNotes, ReleaseEndsNotesInTheOrderTheyWereMadeWithDelayedOnesBetween) {
  // Relative timing: each note's end delay adds to the one before, so the offsets show the order.
  SetChord(0, {0, 4, 7});
  Plugin.Setup.NoteSetup.RelativeTiming = true;
  Plugin.Setup.NoteSetup[1].Start = 1; // the middle note starts 1 ms later, from the queue
  for (int32_t p = 0; p < 3; ++p) {
    Plugin.Setup.NoteSetup[p].End = 10;
  }
  Play(0);
  NoteOn(60);
  Block();
  Host.ClearSent();
  NoteOff(60);
  Block();
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{Off(0, 60, 100, 441)}));
  Host.ClearSent();
  Blocks(2); // released at 512: the others end at 512 + 882 and 512 + 1323
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{Off(0, 64, 100, 1394 - 1024), Off(0, 67, 100, 1835 - 1536)}));
}

TEST_F(UndelayedNotes, OutputCapCutsTheRunAndTheRestGoesOutFirstInTheNextBlock) {
  SetChord(0, {0, 4, 7, 11, 14});
  Play(0);
  Host.BlockCap = 4;
  NoteOn(60, 100, 5);
  Block();
  Block();
  EXPECT_EQ(SentOfBlock(0), (std::vector<TSentMessage>{On(0, 60, 100, 5), On(0, 64, 100, 5),
                                                       On(0, 67, 100, 5), On(0, 71, 100, 5)}));
  EXPECT_EQ(SentOfBlock(1), (std::vector<TSentMessage>{On(0, 74, 100, 0)}));
  EXPECT_EQ(Plugin.View().QueuedEvents, 5);
}

TEST_F(UndelayedNotes, FullQueueDropsUndelayedNotesAsItDropsDelayedOnes) {
  // Rounds of presses of 96 keys on 8 channels with four notes a second away fill the 4096 slots.
  for (int32_t t = 0; t < TTriggers::Count; ++t) {
    SetChord(t, {t, t + 4, t + 7, t + 11});
  }
  for (int32_t p = 0; p < TNoteSetup::Count; ++p) {
    Plugin.Setup.NoteSetup[p].Start = 1000;
  }
  Play(0);
  for (int32_t round = 0; round < 6 && Plugin.View().QueuedEvents < 4096; ++round) {
    for (int32_t channel = 0; channel < 8; ++channel) {
      for (int32_t key = 0; key < 96; ++key) {
        NoteOn(key, 100, 0, channel);
      }
    }
    Block();
  }
  ASSERT_EQ(Plugin.View().QueuedEvents, 4096);
  for (int32_t p = 0; p < TNoteSetup::Count; ++p) {
    Plugin.Setup.NoteSetup[p].Start = 0;
  }
  NoteOn(60, 100, 0, 9);
  Block();
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(Plugin.View().QueuedEvents, 4096);
}

TEST_F(UndelayedNotes, PanicControllerInThePressBlockEndsTheNotesJustSent) {
  SetChord(0, {0, 4, 7});
  Play(0);
  NoteOn(60, 100, 0);
  Midi(0xB0, 123, 0, 10);
  Block();
  EXPECT_EQ(Sent(), (std::vector<TSentMessage>{On(0, 60, 100, 0),
                                               On(0, 64, 100, 0),
                                               On(0, 67, 100, 0),
                                               Off(0, 60, 100, 10),
                                               Off(0, 64, 100, 10),
                                               Off(0, 67, 100, 10),
                                               {0xB0, 123, 0, 10}}));
  EXPECT_EQ(Plugin.View().QueuedEvents, 0);
  EXPECT_EQ(Plugin.View().SoundingNotes, 0);
}
