// Tests of the chord setup model: mapping and wrap, chord editing, names, reset, chord publication.
#include "engine/TriaxoSetup.h"

#include <gtest/gtest.h>

namespace {
void SetKeys(TTriaxoSetup& setup, std::initializer_list<std::pair<int32_t, int32_t>> keys) {
  for (int32_t i = 0; i < TTriggers::Count; ++i) {
    setup.Triggers[i].Key = -1;
  }
  for (const auto& [trigger, key] : keys) {
    setup.Triggers[trigger].Key = key;
  }
}

std::vector<std::pair<int32_t, int32_t>> NotesOf(const TChordNotes& chord) {
  std::vector<std::pair<int32_t, int32_t>> notes;
  for (int32_t i = 0; i < chord.Count(); ++i) {
    notes.emplace_back(chord[i].Note(), chord[i].Position());
  }
  return notes;
}
} // namespace

TEST(SetupMapping, FreshSetupMapsWhiteKeysToThemselvesAndBlackKeysToNothing) {
  TTriaxoSetup setup;
  EXPECT_EQ(setup.MapTriggerNote(61), -1);
  EXPECT_EQ(setup.MapTriggerNote(62), 62);
  EXPECT_EQ(setup.MapTriggerNote(0), 0);
  EXPECT_EQ(setup.MapTriggerNote(127), 127);
  EXPECT_EQ(setup.MapTriggerNote(70), -1);
  for (int32_t i = 0; i < TTriggers::Count; ++i) {
    EXPECT_EQ(setup.Triggers[i].Key, TTriggers::DefaultKeys[static_cast<std::size_t>(i)]);
    EXPECT_EQ(setup.Triggers[i].Notes.Count(), 0);
  }
}

TEST(SetupMapping, FollowTriggerNotesOffPassesEveryNoteUnchanged) {
  TTriaxoSetup setup;
  setup.FollowTriggerNotes = false;
  EXPECT_EQ(setup.MapTriggerNote(61), 61);
  EXPECT_EQ(setup.MapTriggerNote(30), 30);
}

TEST(SetupMapping, ScaleStartingOnAWrapsUpAnOctavePastB) {
  TTriaxoSetup setup;
  SetKeys(setup, {{0, 9}, {2, 11}, {4, 1}});
  EXPECT_EQ(setup.MapTriggerNote(50), 59);
  EXPECT_EQ(setup.MapTriggerNote(52), 61);
  EXPECT_EQ(setup.MapTriggerNote(64), 73);
  EXPECT_EQ(setup.TriggerOctaveOffset(52), 12);
  EXPECT_EQ(setup.TriggerOctaveOffset(50), 0);
  EXPECT_EQ(setup.TriggerOctaveOffset(49), -1);
}

TEST(SetupMapping, WrapWalkStopsAtFirstKeyedTriggerBelow) {
  TTriaxoSetup setup;
  SetKeys(setup, {{2, 5}, {4, 7}, {5, 0}});
  // F: C and C# have no key, D (5 > 0) adds 12, E's 7 is never looked at.
  EXPECT_EQ(setup.TriggerOctaveOffset(65), 12);
  EXPECT_EQ(setup.MapTriggerNote(65), 0 + 60 + 12);
  SetKeys(setup, {{2, 0}, {4, 7}, {5, 3}});
  // D's 0 is below F's 3: no wrap, even though E's 7 is higher.
  EXPECT_EQ(setup.TriggerOctaveOffset(65), 0);
}

TEST(ChordEditing, AddNotePlacesNotesOnFirstFreePositionAndSharesTheLast) {
  TTriaxoSetup setup;
  TChordNotes& chord = setup.Triggers[0].Notes;
  for (int32_t note : {0, 4, 7, 11}) {
    chord.AddNote(note, true);
  }
  EXPECT_EQ(chord.FirstFreePosition(), 4);
  EXPECT_EQ(chord.AddNote(14, true).Position(), 4);
  EXPECT_EQ(chord.AddNote(17, true).Position(), 4);
  chord.RemoveNote(4); // frees position 1
  EXPECT_EQ(chord.AddNote(5, true).Position(), 1);
  EXPECT_EQ(chord.AddNote(21, false).Position(), 0);
}

TEST(ChordEditing, AddNoteOfPresentPitchReturnsTheExistingNoteUnchanged) {
  TTriaxoSetup setup;
  TChordNotes& chord = setup.Triggers[0].Notes;
  chord.AddNote(0, true);
  TChordNote& e = chord.AddNote(4, true);
  e.SetPosition(3);
  TChordNote& again = chord.AddNote(4, true);
  EXPECT_EQ(&again, &e);
  EXPECT_EQ(again.Position(), 3);
  EXPECT_EQ(chord.Count(), 2);
  EXPECT_FALSE(chord.RemoveNote(9));
  EXPECT_EQ(chord.IndexOfNote(4), 1);
  EXPECT_EQ(chord.IndexOfPosition(3), 1);
  EXPECT_EQ(chord.IndexOfPosition(2), -1);
}

TEST(ChordEditing, PositionSetterClampsToTheFivePositions) {
  TTriaxoSetup setup;
  TChordNote& note = setup.Triggers[0].Notes.Add();
  EXPECT_EQ(note.Note(), 0);
  EXPECT_EQ(note.Position(), 0);
  note.SetPosition(9);
  EXPECT_EQ(note.Position(), 4);
  note.SetPosition(-3);
  EXPECT_EQ(note.Position(), 0);
}

TEST(ChordEditing, TransposeUpOntoCTakesTheChordDownAnOctaveAndDropsNotesOutsideTheKeyboard) {
  TTriaxoSetup setup;
  TTriggerItem& trigger = setup.Triggers[0];
  trigger.Notes.AddNote(-20, false);
  trigger.Notes.AddNote(11, false);
  trigger.Notes.AddNote(35, false);
  trigger.Key = 0; // the caller moved B up to C
  trigger.Notes.Transpose(1);
  // Every note moves by 1 - 12 = -11; -20 becomes -31 and leaves the keyboard.
  EXPECT_EQ(NotesOf(trigger.Notes), (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {24, 0}}));
}

TEST(ChordEditing, TransposeDownOntoBTakesTheChordUpAnOctave) {
  TTriaxoSetup setup;
  TTriggerItem& trigger = setup.Triggers[0];
  trigger.Notes.AddNote(0, false);
  trigger.Notes.AddNote(30, false);
  trigger.Key = 11;
  trigger.Notes.Transpose(-1);
  EXPECT_EQ(NotesOf(trigger.Notes), (std::vector<std::pair<int32_t, int32_t>>{{11, 0}}));
  trigger.Key = 5;
  trigger.Notes.Transpose(2);
  EXPECT_EQ(NotesOf(trigger.Notes), (std::vector<std::pair<int32_t, int32_t>>{{13, 0}}));
}

TEST(TriggerNames, NameIsTrimmedAndCutToSixCharacters) {
  TTriggerItem trigger;
  trigger.SetName("   Cmaj7add9  ");
  EXPECT_EQ(trigger.Name(), "Cmaj7a");
  trigger.SetName("\t\x01"
                  "Dm\r\n");
  EXPECT_EQ(trigger.Name(), "Dm");
  // Six characters, not six bytes: the degree signs are two bytes each.
  trigger.SetName("C\xC2\xB0\xC2\xB0\xC2\xB0\xC2\xB0\xC2\xB0\xC2\xB0");
  EXPECT_EQ(trigger.Name(), "C\xC2\xB0\xC2\xB0\xC2\xB0\xC2\xB0\xC2\xB0");
  trigger.SetName("   ");
  EXPECT_EQ(trigger.Name(), "");
}

TEST(TriggerNames, NameCutBeforeInnerBlanksKeepsNoTrailingBlankAndSetsAgainUnchanged) {
  TTriggerItem trigger;
  for (const char* stored : {"ab    xyz", " a b c   d", "abcde fgh"}) {
    trigger.SetName(stored);
    const std::string first = trigger.Name();
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first.back(), ' ') << stored;
    trigger.SetName(first);
    EXPECT_EQ(trigger.Name(), first) << stored;
  }
}

TEST(SetupReset, ResetRestoresDefaultsInPlace) {
  TTriaxoSetup setup;
  TChordNotes* chord = &setup.Triggers[1].Notes;
  setup.FollowTriggerNotes = false;
  setup.NoteSetup[2].Start = 300;
  setup.NoteSetup.RelativeTiming = true;
  setup.OctaveRangeTo = 4;
  setup.ScaleTemplateName = "Dorian";
  setup.ScaleTemplateIndex = 5;
  setup.Triggers.Selected = 7;
  setup.Triggers[1].Key = 3;
  setup.Triggers[1].SetName("X");
  setup.Triggers[1].Notes.AddNote(5, true);
  setup.Reset();
  EXPECT_TRUE(setup.FollowTriggerNotes);
  EXPECT_FALSE(setup.NoteSetup[2].IsActive());
  EXPECT_FALSE(setup.NoteSetup.RelativeTiming);
  EXPECT_EQ(setup.OctaveRangeTo, 10);
  EXPECT_EQ(setup.ScaleTemplateName, "");
  EXPECT_EQ(setup.ScaleTemplateIndex, -1);
  EXPECT_EQ(setup.Triggers.Selected, 0);
  EXPECT_EQ(setup.Triggers[1].Key, -1);
  EXPECT_EQ(setup.Triggers[1].Name(), "");
  EXPECT_EQ(&setup.Triggers[1].Notes, chord); // references held by the editor stay valid
  EXPECT_EQ(TChordReader(*chord).Count(), 0);
  setup.Triggers.Reset(false);
  EXPECT_EQ(setup.Triggers[0].Key, -1);
}

TEST(SetupReset, SelectedItemStaysInsideTheTwelveTriggers) {
  TTriaxoSetup setup;
  setup.Triggers.Selected = 4;
  EXPECT_EQ(&setup.Triggers.SelectedItem(), &setup.Triggers[4]);
  setup.Triggers.Selected = 40;
  EXPECT_EQ(&setup.Triggers.SelectedItem(), &setup.Triggers[11]);
}

TEST(ChordPublication, AudioReaderSeesEveryEditAfterItIsMade) {
  TTriaxoSetup setup;
  TChordNotes& chord = setup.Triggers[0].Notes;
  {
    TChordReader reader(chord);
    EXPECT_EQ(reader.Count(), 0);
  }
  chord.AddNote(4, true).SetPosition(2);
  chord.AddNote(7, true);
  {
    TChordReader reader(chord);
    ASSERT_EQ(reader.Count(), 2);
    EXPECT_EQ(reader[0].Note, 4);
    EXPECT_EQ(reader[0].Position, 2);
    EXPECT_EQ(reader[1].Note, 7);
    EXPECT_EQ(reader[1].Position, 0);
  }
  chord[1].SetNote(9);
  chord.Transpose(1); // the trigger's key is C: up by 1 - 12
  TChordReader reader(chord);
  ASSERT_EQ(reader.Count(), 2);
  EXPECT_EQ(reader[0].Note, -7);
  EXPECT_EQ(reader[1].Note, -2);
}

TEST(ChordPublication, UpdateBatchPublishesOnceAtTheEnd) {
  TTriaxoSetup setup;
  TChordNotes& chord = setup.Triggers[2].Notes;
  {
    TUpdateScope<TTriaxoSetup> update(setup);
    chord.AddNote(2, true);
    chord.AddNote(5, true);
    {
      TChordReader reader(chord);
      EXPECT_EQ(reader.Count(), 0); // not yet published
    }
  }
  TChordReader reader(chord);
  EXPECT_EQ(reader.Count(), 2);
}

TEST(ChordPublication, AssignCopiesNotesAndPositions) {
  TTriaxoSetup setup;
  TChordNotes& source = setup.Triggers[0].Notes;
  source.AddNote(0, true);
  source.AddNote(4, true);
  TChordNotes& target = setup.Triggers[5].Notes;
  target.AddNote(9, true);
  target.Assign(source);
  EXPECT_EQ(NotesOf(target), NotesOf(source));
  EXPECT_EQ(&target.Trigger(), &setup.Triggers[5]);
  TChordReader reader(target);
  EXPECT_EQ(reader.Count(), 2);
}
