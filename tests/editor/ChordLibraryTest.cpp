// The chord library: the menu grammar, chord lines, picking a chord, re-rooting and suggestions.
#include "editor/ChordLibrary.h"
#include "editor/ChordSetupEdits.h"
#include "editor/FileSetup.h"

#include "engine/TriaxoSetup.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TChordLibrary DefaultLibrary() {
  TChordLibrary library;
  library.Lines = DecodeTextLines(TFileSetupHolder::DefaultText(TFileSetupHolder::ChordsFileName));
  return library;
}

std::vector<int32_t> NotesOf(const TTriggerItem& trigger) {
  std::vector<int32_t> notes;
  for (int32_t i = 0; i < trigger.Notes.Count(); ++i) {
    notes.push_back(trigger.Notes[i].Note());
  }
  return notes;
}

std::vector<int32_t> PositionsOf(const TTriggerItem& trigger) {
  std::vector<int32_t> positions;
  for (int32_t i = 0; i < trigger.Notes.Count(); ++i) {
    positions.push_back(trigger.Notes[i].Position());
  }
  return positions;
}

// The setup edits with a counter standing in for the host's change notice.
struct TEditFixture {
  TTriaxoSetup Setup;
  int32_t Notices = 0;
  TChordSetupEdits Edits{Setup, [this] {
                           ++Notices;
                         }};
};

} // namespace

TEST(MenuGrammar, LinesBecomeEntriesSeparatorsAndOneLevelOfSubmenus) {
  const TTextLines lines = {"  Top;T,0  ", "",  "-",          ">Group", "\"In a;b\";X,0", "-", ">Next",
                            "Last",        ">", "\tBack;B,0", ">"};
  const std::vector<TMenuNode> menu = BuildMenu(lines);
  ASSERT_EQ(menu.size(), 5u);
  EXPECT_EQ(menu[0].Caption, "Top");
  EXPECT_EQ(menu[0].Tag, 0);
  EXPECT_EQ(menu[1].Kind, mlkSeparator);
  EXPECT_EQ(menu[1].Tag, TMenuNode::SeparatorTag);
  // A new ">" starts a new top-level submenu; submenus never nest.
  ASSERT_EQ(menu[2].Kind, mlkSubmenu);
  EXPECT_EQ(menu[2].Caption, "Group");
  ASSERT_EQ(menu[2].Children.size(), 2u);
  // Quotes protect the separator inside the caption and the enclosing pair is removed.
  EXPECT_EQ(menu[2].Children[0].Caption, "In a;b");
  EXPECT_EQ(menu[2].Children[0].Tag, 4);
  EXPECT_EQ(menu[2].Children[1].Kind, mlkSeparator);
  ASSERT_EQ(menu[3].Children.size(), 1u);
  EXPECT_EQ(menu[3].Children[0].Caption, "Last");
  // ">" alone closes the submenu.
  EXPECT_EQ(menu[4].Caption, "Back");
  EXPECT_EQ(menu[4].Tag, 9);
  EXPECT_EQ(ReadMenuLine("\"Quoted;Name\";Q,0").Caption, "Quoted;Name");

  EXPECT_EQ(FindMenuMark(menu, 4).Submenu, 3);
  EXPECT_EQ(FindMenuMark(menu, 4).Entry, 4);
  EXPECT_EQ(FindMenuMark(menu, 0).Submenu, -1);
  EXPECT_EQ(FindMenuMark(menu, 3).Entry, -1); // a submenu line is no entry
  EXPECT_EQ(FindMenuMark(menu, -1).Entry, -1);
}

TEST(MenuGrammar, DefaultLibraryHasTenTopEntriesAndSevenGroups) {
  const std::vector<TMenuNode> menu = DefaultLibrary().Menu();
  std::vector<std::string> submenus;
  int32_t topEntries = 0;
  for (const TMenuNode& node : menu) {
    if (node.Kind == mlkSubmenu) {
      submenus.push_back(node.Caption);
    } else if (node.Kind == mlkEntry) {
      ++topEntries;
    }
  }
  EXPECT_EQ(topEntries, 10);
  EXPECT_EQ(submenus, (std::vector<std::string>{"Suspended", "Added", "Sixth", "Seventh", "Ninth", "Eleventh",
                                                "Thirteenth"}));
  EXPECT_EQ(FindMenuMark(menu, 34).Submenu, 32); // Minor 7 sits in "Seventh"
}

TEST(ChordLines, DefinitionGivesChordIdAndTheIntervalsInRange) {
  TChordDefinition plain = ParseChordDefinition("Maj,0,4,7");
  EXPECT_TRUE(plain.HasName);
  EXPECT_EQ(plain.Name, "Maj");
  EXPECT_EQ(plain.Intervals, (std::vector<int32_t>{0, 4, 7}));
  // Values outside -24..35 and fields that are no integers are skipped.
  TChordDefinition wide = ParseChordDefinition("\"Wide\",-25,-24,x,35,36, 12 ,$10");
  EXPECT_EQ(wide.Name, "Wide");
  EXPECT_EQ(wide.Intervals, (std::vector<int32_t>{-24, 35, 12, 16}));
  // A definition that starts with an integer has no chord ID.
  TChordDefinition bare = ParseChordDefinition("0,3,7");
  EXPECT_FALSE(bare.HasName);
  EXPECT_EQ(bare.Intervals, (std::vector<int32_t>{0, 3, 7}));

  TChordLibrary library;
  library.Lines = {"Name;Id,0,4;ignored,9", "\"Semi;colon\";SC,0,5", "NoDefinition", "-"};
  EXPECT_EQ(library.Definition(0), "Id,0,4");
  EXPECT_EQ(library.Definition(1), "SC,0,5");
  EXPECT_EQ(library.LineName(1), "Semi;colon");
  EXPECT_EQ(library.Definition(2), "");
  EXPECT_EQ(library.Definition(7), "");
}

TEST(ChordLines, PickingAChordReplacesTheSelectedChordOnItsRoot) {
  TEditFixture f;
  TChordLibrary library;
  library.Lines = {"Minor 7;Min7,0,3,7,10", "Long;VeryLongName,0,4", "Intervals only;0,7,12",
                   "Out of range;Far,-30,0,40"};
  f.Setup.Triggers.Selected = 2; // D, Key 2
  TTriggerItem& d = f.Setup.Triggers[2];
  d.Notes.AddNote(20, true);

  ASSERT_TRUE(f.Edits.SetChordFromLine(library, 0));
  EXPECT_EQ(d.Name(), "Min7");
  EXPECT_EQ(NotesOf(d), (std::vector<int32_t>{2, 5, 9, 12}));
  EXPECT_EQ(PositionsOf(d), (std::vector<int32_t>{0, 1, 2, 3}));
  EXPECT_EQ(f.Notices, 1);

  // A chord ID longer than 6 characters is cut to 6.
  f.Edits.SetChordFromLine(library, 1);
  EXPECT_EQ(d.Name(), "VeryLo");
  // No chord ID: the notes change, the name stays.
  f.Edits.SetChordFromLine(library, 2);
  EXPECT_EQ(d.Name(), "VeryLo");
  EXPECT_EQ(NotesOf(d), (std::vector<int32_t>{2, 9, 14}));
  f.Edits.SetChordFromLine(library, 3);
  EXPECT_EQ(NotesOf(d), (std::vector<int32_t>{2}));
  EXPECT_EQ(f.Notices, 4);

  // A trigger without a root takes no library chord.
  f.Setup.Triggers.Selected = 1;
  EXPECT_FALSE(f.Edits.SetChordFromLine(library, 0));
  EXPECT_EQ(f.Setup.Triggers[1].Notes.Count(), 0);
  EXPECT_FALSE(f.Edits.SetChordFromLine(library, 99));
  EXPECT_EQ(f.Notices, 4);
}

TEST(ChordLines, CheckedEntryIsTheFirstLineWithThatChordIdExactly) {
  const TChordLibrary library = DefaultLibrary();
  EXPECT_EQ(library.IndexOfChordID("Min7"), 34);
  EXPECT_EQ(library.IndexOfChordID("min7"), -1);
  EXPECT_EQ(library.IndexOfChordID("Oct 2"), 5);
  EXPECT_EQ(library.IndexOfChordID("Nothing"), -1);
  // Lines without ";...," carry an empty chord ID, so an unnamed chord checks the first of them.
  EXPECT_EQ(library.IndexOfChordID(""), 6);
}

TEST(TriggerRoots, MovingARootTakesTheChordAlongWithinTheFiveOctaves) {
  TEditFixture f;
  TTriggerItem& d = f.Setup.Triggers[2];
  for (int32_t note : {2, 5, 9}) {
    d.Notes.AddNote(note, true);
  }
  f.Edits.SetTriggerKey(2, 4); // D -> E
  EXPECT_EQ(d.Key, 4);
  EXPECT_EQ(NotesOf(d), (std::vector<int32_t>{4, 7, 11}));
  EXPECT_EQ(PositionsOf(d), (std::vector<int32_t>{0, 1, 2}));

  TTriggerItem& b = f.Setup.Triggers[11];
  b.Notes.AddNote(30, true);
  b.Notes.AddNote(-20, true);
  f.Edits.SetTriggerKey(11, 0); // B -> C: down by 11
  EXPECT_EQ(NotesOf(b), (std::vector<int32_t>{19}));

  TTriggerItem& g = f.Setup.Triggers[7];
  g.Notes.AddNote(35, true);
  g.Notes.AddNote(30, true);
  f.Edits.SetTriggerKey(7, 8); // up by one: 35 leaves the keyboard
  EXPECT_EQ(NotesOf(g), (std::vector<int32_t>{31}));
  EXPECT_EQ(f.Notices, 3);
}

TEST(TriggerRoots, ClearForgetsRootNameAndNotesAndANewRootKeepsNotesOfARootlessTrigger) {
  TEditFixture f;
  TTriggerItem& c = f.Setup.Triggers[0];
  c.SetName("Maj");
  c.Notes.AddNote(0, true);
  f.Edits.SetTriggerKey(0, -1);
  EXPECT_EQ(c.Key, -1);
  EXPECT_EQ(c.Name(), "");
  EXPECT_EQ(c.Notes.Count(), 0);

  TTriggerItem& cs = f.Setup.Triggers[1]; // no root by default
  cs.Notes.AddNote(13, true);
  f.Edits.SetTriggerKey(1, 3);
  EXPECT_EQ(cs.Key, 3);
  EXPECT_EQ(NotesOf(cs), (std::vector<int32_t>{13}));

  // Nonsense from a caller changes nothing and tells the host nothing.
  const int32_t notices = f.Notices;
  f.Edits.SetTriggerKey(-1, 2);
  f.Edits.SetTriggerKey(12, 2);
  f.Edits.SetTriggerKey(3, 12);
  EXPECT_EQ(f.Notices, notices);
}

TEST(ChordKeyboardEdits, NotesTakeTheFirstFreePositionAndPositionsAreClamped) {
  TEditFixture f;
  f.Setup.Triggers.Selected = 4;
  for (int32_t note : {4, 7, 11, 16, 19, 23}) {
    f.Edits.AddChordNote(note);
  }
  EXPECT_EQ(PositionsOf(f.Setup.Triggers[4]), (std::vector<int32_t>{0, 1, 2, 3, 4, 4}));
  f.Edits.RemoveChordNote(7);
  f.Edits.AddChordNote(-5);
  EXPECT_EQ(f.Setup.Triggers[4].Notes[f.Setup.Triggers[4].Notes.IndexOfNote(-5)].Position(), 1);
  EXPECT_TRUE(f.Edits.SetNotePosition(4, 9));
  EXPECT_EQ(f.Setup.Triggers[4].Notes[0].Position(), 4);
  EXPECT_FALSE(f.Edits.SetNotePosition(8, 2));
  f.Edits.SetChordName(4, "  Chord ID  ");
  EXPECT_EQ(f.Setup.Triggers[4].Name(), "Chord ");
  EXPECT_EQ(f.Notices, 10);
}

TEST(Suggestions, DMinorChordsFitTheDefaultRootsAndTwoNoteChordsNeverDo) {
  TTriaxoSetup setup;
  setup.Triggers.Selected = 2;
  EXPECT_EQ(TChordLibrary::ScaleSet(setup.Triggers),
            (1u << 0) | (1u << 2) | (1u << 3) | (1u << 5) | (1u << 7) | (1u << 9) | (1u << 10));
  const TChordLibrary::TSuggestions suggestions = DefaultLibrary().Suggest(setup.Triggers);
  EXPECT_FALSE(suggestions.NoRootNote);
  std::vector<std::string> captions;
  for (const auto& item : suggestions.Items) {
    captions.push_back(item.Caption);
  }
  const auto has = [&](const std::string& caption) {
    return std::find(captions.begin(), captions.end(), caption) != captions.end();
  };
  EXPECT_TRUE(has("D Minor"));
  EXPECT_TRUE(has("D Sus 2"));
  EXPECT_TRUE(has("D Sus 4"));
  EXPECT_TRUE(has("D Minor 7"));
  EXPECT_FALSE(has("D Major"));
  EXPECT_FALSE(has("D Fifth"));
  EXPECT_FALSE(has("D Octave"));
  ASSERT_FALSE(suggestions.Items.empty());
  EXPECT_EQ(suggestions.Items.front().Caption, "D Minor"); // line order
  EXPECT_EQ(suggestions.Items.front().Tag, TChordLibrary::SuggestionTagBase + 8);

  // Negative intervals count by their pitch class (-5 is 7).
  TChordLibrary low;
  low.Lines = {"Low minor;lm,-12,-9,-5", ">Skip;0,3,7", "-"};
  EXPECT_EQ(low.Suggest(setup.Triggers).Items.size(), 1u);

  setup.Triggers.Selected = 1; // C#: no root
  EXPECT_TRUE(DefaultLibrary().Suggest(setup.Triggers).NoRootNote);
}
