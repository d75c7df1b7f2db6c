// Tests of the event queue, the sounding-note list and the highlighted trigger keys.
#include "engine/HighlightedNotes.h"
#include "engine/ZelMidi.h"
#include "engine/ZelMidiEvents.h"
#include "engine/ZelMidiNoteList.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
TMidiEvent Event(TEventState state, int32_t trigger, int32_t note, double time) {
  TMidiEvent event;
  event.State = state;
  event.TriggerNote = trigger;
  event.Note = note;
  event.Time = time;
  event.Velocity = 100;
  return event;
}

std::vector<int32_t> NotesInOrder(const TMidiEvents& events) {
  std::vector<int32_t> notes;
  for (TMidiEvents::TSlot slot = events.First(); slot != TMidiEvents::None; slot = events.Next(slot)) {
    notes.push_back(events[slot].Note);
  }
  return notes;
}

std::vector<int32_t> NotesOfTrigger(const TMidiEvents& events, int32_t trigger) {
  std::vector<int32_t> notes;
  for (TMidiEvents::TSlot slot = events.FirstOfTrigger(trigger); slot != TMidiEvents::None;
       slot = events.NextOfTrigger(slot)) {
    notes.push_back(events[slot].Note);
  }
  return notes;
}

// Takes the pending events in due order, removing each.
std::vector<int32_t> DrainDueOrder(TMidiEvents& events) {
  std::vector<int32_t> notes;
  for (TMidiEvents::TSlot slot = events.Earliest(); slot != TMidiEvents::None; slot = events.Earliest()) {
    notes.push_back(events[slot].Note);
    events.Remove(slot);
  }
  return notes;
}
} // namespace

TEST(EventQueue, RemovingPendingNoteOnsOfATriggerKeepsItsOtherEventsInOrder) {
  TMidiEvents events;
  events.Add(Event(esNoteOnPending, 60, 60, 10));
  events.Add(Event(esSounding, 60, 64, 10));
  events.Add(Event(esNoteOnPending, 62, 62, 10));
  events.Add(Event(esNoteOffPending, 60, 67, 10));
  events.Add(Event(esNoteOnPending, 60, 72, 10));
  events.RemoveTriggerEvents(60, esNoteOnPending);
  EXPECT_EQ(events.Count(), 3);
  EXPECT_EQ(NotesInOrder(events), (std::vector<int32_t>{64, 62, 67}));
  EXPECT_EQ(NotesOfTrigger(events, 60), (std::vector<int32_t>{64, 67}));
  EXPECT_EQ(NotesOfTrigger(events, 62), (std::vector<int32_t>{62}));
  EXPECT_EQ(DrainDueOrder(events), (std::vector<int32_t>{62, 67})); // the sounding one is not due
}

TEST(EventQueue, DueOrderFollowsTimeThenTheOrderEventsBecamePending) {
  TMidiEvents events;
  const TMidiEvents::TSlot late = events.Add(Event(esNoteOnPending, 1, 1, 300));
  events.Add(Event(esNoteOnPending, 2, 2, 100));
  events.Add(Event(esNoteOnPending, 3, 3, 200));
  const TMidiEvents::TSlot sounding = events.Add(Event(esSounding, 4, 4, 0));
  events.Add(Event(esNoteOnPending, 5, 5, 100));
  EXPECT_EQ(events[events.Earliest()].Note, 2);
  // Releasing moves the sounding event into the due order; re-timing moves the late one forward.
  events.SetState(sounding, esNoteOffPending, 150);
  events.SetState(late, esNoteOnPending, 50);
  EXPECT_EQ(DrainDueOrder(events), (std::vector<int32_t>{1, 2, 5, 4, 3}));
  EXPECT_EQ(events.Count(), 0);
}

TEST(EventQueue, DueOrderSurvivesManyRandomChanges) {
  TMidiEvents events(512);
  std::vector<TMidiEvents::TSlot> live;
  uint32_t state = 12345;
  auto next = [&state](uint32_t range) {
    state = state * 1103515245u + 12345u;
    return (state >> 8) % range;
  };
  for (int round = 0; round < 20000; ++round) {
    const uint32_t action = next(4);
    if (action < 2 || live.empty()) {
      const TMidiEvents::TSlot slot =
          events.Add(Event(next(3) == 0 ? esSounding : esNoteOnPending, static_cast<int32_t>(next(128)), 0,
                           static_cast<double>(next(1000))));
      if (slot != TMidiEvents::None) {
        live.push_back(slot);
      }
    } else if (action == 2) {
      const std::size_t index = next(static_cast<uint32_t>(live.size()));
      events.Remove(live[index]);
      live.erase(live.begin() + static_cast<std::ptrdiff_t>(index));
    } else {
      events.SetState(live[next(static_cast<uint32_t>(live.size()))], esNoteOffPending,
                      static_cast<double>(next(1000)));
    }
    // The earliest is the smallest pending time.
    double smallest = 1e9;
    for (const TMidiEvents::TSlot slot : live) {
      if (events[slot].State != esSounding && events[slot].Time < smallest) {
        smallest = events[slot].Time;
      }
    }
    const TMidiEvents::TSlot earliest = events.Earliest();
    ASSERT_EQ(earliest == TMidiEvents::None, smallest == 1e9);
    if (earliest != TMidiEvents::None) {
      ASSERT_EQ(events[earliest].Time, smallest);
    }
  }
  EXPECT_EQ(events.Count(), static_cast<int32_t>(live.size()));
}

// Against a plain model of the due order, (time, order it became pending), with few distinct times
// so that most events tie: the queue must name exactly the model's next event after every change,
// including removals from inside a run of equal times and re-timing everything at once.
TEST(EventQueue, DueOrderMatchesTimeThenPendingOrderExactlyThroughTiesAndRetiming) {
  constexpr std::size_t capacity = 256;
  TMidiEvents events(capacity);
  struct TModel {
    bool Pending = false;
    double Time = 0.0;
    uint64_t Order = 0;
  };
  std::vector<TModel> model(capacity);
  std::vector<TMidiEvents::TSlot> live;
  uint64_t order = 0;
  uint32_t state = 777;
  auto next = [&state](uint32_t range) {
    state = state * 1103515245u + 12345u;
    return (state >> 8) % range;
  };
  // -0.0 and 0.0 are one time.
  auto time = [&next]() {
    return next(5) == 0 ? -0.0 : static_cast<double>(next(4));
  };
  for (int round = 0; round < 30000; ++round) {
    const uint32_t action = next(10);
    if (action < 4 || live.empty()) {
      const bool pending = next(4) != 0;
      const double t = time();
      const TMidiEvents::TSlot slot =
          events.Add(Event(pending ? esNoteOnPending : esSounding, static_cast<int32_t>(next(4)), 0, t));
      if (slot != TMidiEvents::None) {
        live.push_back(slot);
        model[static_cast<std::size_t>(slot)] = {pending, t, order++};
      }
    } else if (action < 6) {
      const std::size_t index = next(static_cast<uint32_t>(live.size()));
      events.Remove(live[index]);
      model[static_cast<std::size_t>(live[index])].Pending = false;
      live.erase(live.begin() + static_cast<std::ptrdiff_t>(index));
    } else if (action < 8) {
      const TMidiEvents::TSlot slot = live[next(static_cast<uint32_t>(live.size()))];
      const bool pending = next(3) != 0;
      const double t = time();
      events.SetState(slot, pending ? esNoteOffPending : esSounding, t);
      model[static_cast<std::size_t>(slot)] = {pending, t, order++};
    } else if (action == 8) {
      events.RemoveTriggerEvents(static_cast<int32_t>(next(4)), esNoteOnPending);
      for (std::size_t i = live.size(); i > 0; --i) {
        if (events[live[i - 1]].State == esDone) {
          model[static_cast<std::size_t>(live[i - 1])].Pending = false;
          live.erase(live.begin() + static_cast<std::ptrdiff_t>(i - 1));
        }
      }
    } else if (next(20) == 0) {
      events.RetimePending([&](TMidiEvents::TSlot slot, const TMidiEvent& event) {
        const double t = next(2) == 0 ? event.Time : time();
        model[static_cast<std::size_t>(slot)].Time = t;
        return t;
      });
    }
    TMidiEvents::TSlot expected = TMidiEvents::None;
    for (const TMidiEvents::TSlot slot : live) {
      const TModel& m = model[static_cast<std::size_t>(slot)];
      if (!m.Pending) {
        continue;
      }
      const TModel* best =
          expected == TMidiEvents::None ? nullptr : &model[static_cast<std::size_t>(expected)];
      if (best == nullptr || m.Time < best->Time || (m.Time == best->Time && m.Order < best->Order)) {
        expected = slot;
      }
    }
    ASSERT_EQ(events.Earliest(), expected) << "round " << round;
  }
  // Draining follows the model to the end.
  while (events.Earliest() != TMidiEvents::None) {
    const TMidiEvents::TSlot slot = events.Earliest();
    for (const TMidiEvents::TSlot other : live) {
      const TModel& m = model[static_cast<std::size_t>(other)];
      const TModel& s = model[static_cast<std::size_t>(slot)];
      if (m.Pending && other != slot) {
        ASSERT_TRUE(s.Time < m.Time || (s.Time == m.Time && s.Order < m.Order));
      }
    }
    model[static_cast<std::size_t>(slot)].Pending = false;
    events.Remove(slot);
  }
}

// A full queue of pending events of one time drains in the order they were added, and the groups
// of equal times are given back: refilling to the full capacity works again and again.
TEST(EventQueue, FullQueueOfEqualTimesDrainsInOrderAndRefills) {
  TMidiEvents events(64);
  for (int pass = 0; pass < 3; ++pass) {
    for (int32_t i = 0; i < 64; ++i) {
      // Alternating times: every event begins a new run of its time.
      ASSERT_NE(events.Add(Event(esNoteOnPending, i % 128, i, pass == 1 ? (i % 2) * 10.0 : 5.0)),
                TMidiEvents::None);
    }
    const std::vector<int32_t> drained = DrainDueOrder(events);
    ASSERT_EQ(drained.size(), 64u);
    std::vector<int32_t> expected;
    for (int32_t i = 0; i < 64; ++i) {
      if (pass != 1 || i % 2 == 0) {
        expected.push_back(i);
      }
    }
    if (pass == 1) {
      for (int32_t i = 1; i < 64; i += 2) {
        expected.push_back(i);
      }
    }
    EXPECT_EQ(drained, expected);
  }
}

TEST(EventQueue, FullQueueRefusesNewEventsWithoutHarm) {
  TMidiEvents events(3);
  const TMidiEvents::TSlot first = events.Add(Event(esNoteOnPending, 1, 1, 0));
  EXPECT_NE(events.Add(Event(esNoteOnPending, 2, 2, 0)), TMidiEvents::None);
  EXPECT_NE(events.Add(Event(esNoteOnPending, 3, 3, 0)), TMidiEvents::None);
  EXPECT_EQ(events.Add(Event(esNoteOnPending, 4, 4, 0)), TMidiEvents::None);
  EXPECT_EQ(events.Add(Event(esNoteOnPending, 200, 4, 0)), TMidiEvents::None); // no such trigger note
  EXPECT_EQ(events.Count(), 3);
  events.Remove(first);
  EXPECT_NE(events.Add(Event(esNoteOnPending, 4, 4, 0)), TMidiEvents::None);
  EXPECT_EQ(NotesInOrder(events), (std::vector<int32_t>{2, 3, 4}));
  events.Clear();
  EXPECT_EQ(events.Count(), 0);
  EXPECT_EQ(events.Earliest(), TMidiEvents::None);
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
