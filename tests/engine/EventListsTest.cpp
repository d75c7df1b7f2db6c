// Tests of the event queue, the sounding-note list and the highlighted trigger keys.
#include "engine/HighlightedNotes.h"
#include "engine/ZelMidi.h"
#include "engine/ZelMidiEvents.h"
#include "engine/ZelMidiNoteList.h"

#include <gtest/gtest.h>

TEST(EventQueue, RemovingPendingNoteOnsOfATriggerKeepsItsOtherEventsInOrder) {
  TMidiEvents events;
  events.Add(EventState::NoteOnPending, 60, 0, 0, 60, 100, 10, 0);
  events.Add(EventState::Sounding, 60, 0, 0, 64, 100, 10, 1);
  events.Add(EventState::NoteOnPending, 62, 0, 0, 62, 100, 10, 0);
  events.Add(EventState::NoteOffPending, 60, 0, 0, 67, 100, 10, 2);
  events.Add(EventState::NoteOnPending, 60, 0, 0, 72, 100, 10, 3);
  events.RemoveTriggerEvents(60, EventState::NoteOnPending);
  ASSERT_EQ(events.Count(), 3);
  EXPECT_EQ(events[0].Note, 64);
  EXPECT_EQ(events[1].Note, 62);
  EXPECT_EQ(events[2].Note, 67);
}

TEST(EventQueue, IndexOfNoteFindsTheFirstMatchFromTheFront) {
  TMidiEvents events;
  events.Add(EventState::Sounding, 60, 0, 3, 64, 100, 0, 0);
  events.Add(EventState::NoteOffPending, 60, 0, 0, 64, 100, 0, 0);
  events.Add(EventState::Sounding, 62, 0, 5, 64, 100, 0, 0);
  EXPECT_EQ(events.IndexOfNote(64, EventState::Sounding), 0);
  EXPECT_EQ(events.IndexOfNote(64, EventState::NoteOffPending), 1);
  EXPECT_EQ(events.IndexOfNote(65, EventState::Sounding), -1);
  events[0].State = EventState::Done;
  events.PurgeDone();
  EXPECT_EQ(events.IndexOfNote(64, EventState::Sounding), 1);
}

TEST(EventQueue, FullQueueRefusesNewEventsWithoutHarm) {
  TMidiEvents events(3);
  EXPECT_TRUE(events.Add(EventState::NoteOnPending, 1, 0, 0, 1, 1, 0, 0));
  EXPECT_TRUE(events.Add(EventState::NoteOnPending, 2, 0, 0, 2, 1, 0, 0));
  EXPECT_TRUE(events.Add(EventState::NoteOnPending, 3, 0, 0, 3, 1, 0, 0));
  EXPECT_FALSE(events.Add(EventState::NoteOnPending, 4, 0, 0, 4, 1, 0, 0));
  EXPECT_EQ(events.Count(), 3);
  EXPECT_EQ(events[2].Note, 3);
  events.Delete(0);
  events.Delete(7);
  EXPECT_EQ(events[0].Note, 2);
  EXPECT_TRUE(events.Add(EventState::NoteOnPending, 4, 0, 0, 4, 1, 0, 0));
  EXPECT_EQ(events.DefaultCapacity, 4096u);
}

class SoundingNoteText : public ::testing::Test {
protected:
  void SetUp() override { SetDisplayOctaveOffset(-2); }
  void TearDown() override { SetDisplayOctaveOffset(0); }
};

TEST_F(SoundingNoteText, GroupsByTriggerInPositionOrder) {
  TMidiNoteList list;
  list.AllowDuplicates = true;
  EXPECT_EQ(list.BuildText(), "");
  list.Add(60, 64, 1, 100);
  list.Add(60, 60, 0, 100);
  list.Add(60, 67, 2, 100);
  list.Add(30, 30, 0, 90);
  EXPECT_EQ(list.BuildText(), "F#0 => F#0 / C3 => C3 - E3 - G3");
  list.Add(72, 55, 4, 100);
  list.Add(72, 79, 0, 100);
  EXPECT_EQ(list.BuildText(), "F#0 => F#0 / C3 => C3 - E3 - G3 / C4 => G4 - G2");
}

TEST_F(SoundingNoteText, NegativeOctavesCarryTheMinusSign) {
  TMidiNoteList list;
  list.Add(0, 1, 0, 1);
  EXPECT_EQ(list.BuildText(), "C\xE2\x88\x92"
                              "2 => C#\xE2\x88\x92"
                              "2");
}

TEST(SoundingNotes, DuplicatesOnlyWhenAllowedAndRemovalByTrigger) {
  TMidiNoteList list;
  list.Add(60, 64, 0, 100);
  list.Add(62, 64, 1, 100);
  EXPECT_EQ(list.Count(), 1);
  list.AllowDuplicates = true;
  list.Add(62, 64, 1, 100);
  list.Add(62, 65, 2, 100);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.IndexOfNote(65), 2);
  EXPECT_TRUE(list.RemoveTrigger(62));
  EXPECT_FALSE(list.RemoveTrigger(62));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list[0].TriggerNote, 60);
}

TEST(TriggerHighlights, OnePitchClassIsHighlightedOnceAcrossOctaves) {
  THighlightedNotes highlights;
  EXPECT_TRUE(highlights.HighlightTrigger(61));
  EXPECT_FALSE(highlights.HighlightTrigger(73));
  ASSERT_EQ(highlights.Count(), 1);
  EXPECT_EQ(highlights.Items(0).Note, 1);
  EXPECT_EQ(highlights.Items(0).State, HighlightState::NewlyPressed);
}

TEST(TriggerHighlights, ReleasingAKeyThatIsNotLitChangesNothing) {
  THighlightedNotes highlights;
  highlights.HighlightTrigger(60);
  EXPECT_FALSE(highlights.ReleaseTrigger(62));
  EXPECT_EQ(highlights.Items(0).State, HighlightState::NewlyPressed);
  EXPECT_TRUE(highlights.ReleaseTrigger(72));
  EXPECT_EQ(highlights.Items(0).State, HighlightState::Released);
}

TEST(TriggerHighlights, RefreshDrawsNewKeysAndClearsReleasedOnes) {
  THighlightedNotes highlights;
  highlights.HighlightTrigger(60);
  highlights.HighlightTrigger(64);
  std::vector<std::pair<int32_t, bool>> shown;
  auto show = [&](int32_t key, bool pressed) {
    shown.emplace_back(key, pressed);
  };
  highlights.Refresh(show);
  EXPECT_EQ(shown, (std::vector<std::pair<int32_t, bool>>{{4, true}, {0, true}}));
  shown.clear();
  highlights.ReleaseTrigger(64);
  highlights.Refresh(show);
  EXPECT_EQ(shown, (std::vector<std::pair<int32_t, bool>>{{4, false}}));
  EXPECT_EQ(highlights.Count(), 1);
  EXPECT_EQ(highlights.Items(0).State, HighlightState::Drawn);
}
