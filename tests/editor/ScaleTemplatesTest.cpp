// The scale-template wizard: template lines, captions, the wizard's choice and every "Apply" case.
#include "editor/ScaleTemplates.h"
#include "editor/ChordSetupEdits.h"
#include "editor/FileSetup.h"

#include "engine/TriaxoSetup.h"

#include <gtest/gtest.h>

namespace {

TScaleTemplates DefaultTemplates() {
  TScaleTemplates templates;
  templates.Lines = DecodeTextLines(TFileSetupHolder::DefaultText(TFileSetupHolder::ScaleTemplatesFileName));
  return templates;
}

std::vector<int32_t> NotesOf(const TTriggerItem& trigger) {
  std::vector<int32_t> notes;
  for (int32_t i = 0; i < trigger.Notes.Count(); ++i) {
    notes.push_back(trigger.Notes[i].Note());
  }
  return notes;
}

std::vector<int32_t> Keys(const TTriaxoSetup& setup) {
  std::vector<int32_t> keys;
  for (int32_t i = 0; i < TTriggers::Count; ++i) {
    keys.push_back(setup.Triggers[i].Key);
  }
  return keys;
}

struct TWizardFixture {
  TTriaxoSetup Setup;
  int32_t Notices = 0;
  TChordSetupEdits Edits{Setup, [this] {
                           ++Notices;
                         }};
  TScaleTemplates Templates = DefaultTemplates();

  bool Apply(int32_t line, int32_t tonic, bool easyMode) {
    return Edits.ApplyTemplate(Templates, {line, tonic, easyMode});
  }
};

constexpr int32_t MajorLine = 0;
constexpr int32_t MajorSeventhsLine = 9;
constexpr int32_t ChromaticLine = 27;

} // namespace

TEST(TemplateLines, DegreesAreSortedCappedAtTwelveAndOffsetsOutsideZeroToTwelveSkipped) {
  const TScaleTemplate t =
      ParseTemplateLine("Odd;7,G;0,C,0,4,7; 13,Too high ;x,Bad;-1;2;3;4;5;6;8;9;10;11;12;1");
  EXPECT_EQ(t.Name, "Odd");
  ASSERT_EQ(t.Degrees.size(), 12u);
  std::vector<int32_t> offsets;
  for (const auto& degree : t.Degrees) {
    offsets.push_back(degree.Offset);
  }
  // The first twelve valid degrees (13, x and -1 are skipped, so the trailing 1 is the 13th).
  EXPECT_EQ(offsets, (std::vector<int32_t>{0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(t.Degrees[0].Chord, "C,0,4,7");
  EXPECT_EQ(t.Degrees[6].Chord, "G");
  EXPECT_EQ(t.Degrees[1].Chord, "");
  EXPECT_TRUE(t.Variations.empty());

  const TScaleTemplate v = DefaultTemplates().Template(MajorSeventhsLine);
  EXPECT_EQ(v.Name, "Major - Sevenths");
  EXPECT_EQ(v.Degrees.size(), 7u);
  ASSERT_EQ(v.Variations.size(), 5u);
  EXPECT_EQ(v.Variations[3].Offset, 7);
  EXPECT_EQ(v.Variations[3].Chord, "Dom7,0,4,7,10");
  // Variations keep their written order and stop at five.
  const TScaleTemplate many = ParseTemplateLine("V;0|9,A;2,B;0,C;4;5;7");
  ASSERT_EQ(many.Variations.size(), 5u);
  EXPECT_EQ(many.Variations[0].Offset, 9);
  EXPECT_EQ(many.Variations[4].Offset, 5);
}

TEST(TemplateLines, EasyModeKeysFollowTheTableForEveryScaleSize) {
  const std::vector<std::vector<int32_t>> table = {
      {0},
      {0, 2},
      {0, 2, 4},
      {0, 2, 4, 5},
      {0, 2, 4, 5, 7},
      {0, 2, 4, 5, 7, 9},
      {0, 2, 4, 5, 7, 9, 11},
      {0, 1, 2, 4, 5, 7, 9, 11},
      {0, 1, 2, 3, 4, 5, 7, 9, 11},
      {0, 1, 2, 3, 4, 5, 6, 7, 9, 11},
      {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11},
      {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
  };
  for (int32_t n = 1; n <= 12; ++n) {
    EXPECT_EQ(EasyModeKeys(n), table[static_cast<std::size_t>(n - 1)]) << n << " degrees";
  }
}

TEST(TemplateLines, FindTemplatePrefersTheHintAndCaptionsNameTheirSubmenu) {
  const TScaleTemplates templates = DefaultTemplates();
  EXPECT_EQ(templates.FindTemplate("major", -1), MajorLine);
  EXPECT_EQ(templates.FindTemplate("Major", 28), 28);
  EXPECT_EQ(templates.FindTemplate("Major", 27), MajorLine); // the hint's line is Chromatic
  EXPECT_EQ(templates.FindTemplate("Major", 500), MajorLine);
  EXPECT_EQ(templates.FindTemplate("Nothing", 0), -1);
  EXPECT_EQ(templates.FindLastTemplate("MAJOR"), 28);

  EXPECT_EQ(templates.Caption(MajorLine), "Major");
  EXPECT_EQ(templates.Caption(8), "Variations: Major - Suspended");
  EXPECT_EQ(templates.Caption(14), "Harmonized: Major - Thirds");
  EXPECT_EQ(templates.Caption(28), "Scale Only: Major");
  EXPECT_EQ(templates.Caption(-1), "");
  TScaleTemplates closed;
  closed.Lines = {">Group", "A;0", ">", "B;0"};
  EXPECT_EQ(closed.Caption(3), "B"); // ">" alone ends the group: no prefix
}

TEST(TemplateLines, WizardShowsTheStoredTemplateOrFallsBackToMajor) {
  const TScaleTemplates templates = DefaultTemplates();
  // A fresh setup shows the "Scale Only" Major on C.
  TWizardChoice fresh = WizardChoiceFor(templates, "", -1, 7);
  EXPECT_EQ(fresh.TemplateIndex, 28);
  EXPECT_EQ(fresh.Tonic, 0);
  TWizardChoice stored = WizardChoiceFor(templates, "Minor", 29, 9);
  EXPECT_EQ(stored.TemplateIndex, 29);
  EXPECT_EQ(stored.Tonic, 9);
  TWizardChoice renamed = WizardChoiceFor(templates, "Gone", 5, 14);
  EXPECT_EQ(renamed.TemplateIndex, MajorLine);
  EXPECT_EQ(renamed.Tonic, 2); // a damaged tonic is taken modulo 12
  EXPECT_EQ(WizardChoiceFor(templates, "Gone", 5, -1).Tonic, 11);
  TScaleTemplates other;
  other.Lines = {"Mine;0;5"};
  EXPECT_EQ(WizardChoiceFor(other, "", -1, 0).TemplateIndex, 0);
  EXPECT_EQ(WizardChoiceFor(TScaleTemplates{}, "", -1, 0).TemplateIndex, -1);
}

TEST(ApplyTemplate, MajorOnDWithoutEasyModeUsesTheScaleKeys) {
  TWizardFixture f;
  f.Setup.Triggers.Selected = 5;
  ASSERT_TRUE(f.Apply(MajorLine, 2, false));
  EXPECT_EQ(Keys(f.Setup), (std::vector<int32_t>{-1, 1, 2, -1, 4, -1, 6, 7, -1, 9, -1, 11}));
  EXPECT_EQ(NotesOf(f.Setup.Triggers[2]), (std::vector<int32_t>{2, 6, 9}));
  const std::vector<std::pair<int32_t, std::string>> names = {{2, "Maj"}, {4, "Min"},  {6, "Min"}, {7, "Maj"},
                                                              {9, "Maj"}, {11, "Min"}, {1, "Dim"}};
  for (const auto& [trigger, name] : names) {
    EXPECT_EQ(f.Setup.Triggers[trigger].Name(), name) << trigger;
  }
  EXPECT_EQ(NotesOf(f.Setup.Triggers[1]), (std::vector<int32_t>{1, 4, 7}));
  for (int32_t empty : {0, 3, 5, 8, 10}) {
    EXPECT_EQ(f.Setup.Triggers[empty].Notes.Count(), 0);
    EXPECT_EQ(f.Setup.Triggers[empty].Name(), "");
  }
  EXPECT_EQ(f.Setup.Triggers.Selected, 0);
  EXPECT_EQ(f.Setup.ScaleTemplateName, "Major");
  EXPECT_EQ(f.Setup.ScaleTemplateIndex, MajorLine);
  EXPECT_EQ(f.Setup.Tonic, 2);
  EXPECT_FALSE(f.Setup.EasyMode);
  EXPECT_EQ(f.Notices, 1);
}

TEST(ApplyTemplate, MajorOnDInEasyModePacksTheDegreesOntoTheWhiteKeys) {
  TWizardFixture f;
  f.Setup.EasyMode = false;
  ASSERT_TRUE(f.Apply(MajorLine, 2, true));
  EXPECT_EQ(Keys(f.Setup), (std::vector<int32_t>{2, -1, 4, -1, 6, 7, -1, 9, -1, 11, -1, 1}));
  EXPECT_EQ(NotesOf(f.Setup.Triggers[0]), (std::vector<int32_t>{2, 6, 9}));
  EXPECT_EQ(NotesOf(f.Setup.Triggers[11]), (std::vector<int32_t>{1, 4, 7}));
  EXPECT_EQ(f.Setup.Triggers[11].Name(), "Dim");
  EXPECT_TRUE(f.Setup.EasyMode);
}

TEST(ApplyTemplate, SeventhsVariationsGoOnTheBlackKeysInEasyModeOnly) {
  TWizardFixture f;
  EXPECT_EQ(f.Edits.CheckApply(f.Templates, {MajorSeventhsLine, 0, false}), apcVariationsNeedEasyMode);
  // The refusal leaves the setup as it was.
  EXPECT_FALSE(f.Apply(MajorSeventhsLine, 0, false));
  EXPECT_EQ(Keys(f.Setup),
            (std::vector<int32_t>(TTriggers::DefaultKeys.begin(), TTriggers::DefaultKeys.end())));
  EXPECT_EQ(f.Notices, 0);

  ASSERT_TRUE(f.Apply(MajorSeventhsLine, 0, true));
  EXPECT_EQ(Keys(f.Setup), (std::vector<int32_t>{0, 0, 2, 2, 4, 5, 5, 7, 7, 9, 9, 11}));
  const std::vector<std::tuple<int32_t, std::string, std::vector<int32_t>>> blacks = {
      {1, "Maj7", {0, 4, 7, 11}},
      {3, "Min7", {2, 5, 9, 12}},
      {6, "Maj7", {5, 9, 12, 16}},
      {8, "Dom7", {7, 11, 14, 17}},
      {10, "Min7", {9, 12, 16, 19}}};
  for (const auto& [trigger, name, notes] : blacks) {
    EXPECT_EQ(f.Setup.Triggers[trigger].Name(), name) << trigger;
    EXPECT_EQ(NotesOf(f.Setup.Triggers[trigger]), notes) << trigger;
  }
  EXPECT_EQ(f.Setup.Triggers[4].Name(), "Min");
}

TEST(ApplyTemplate, ChromaticGivesEveryTriggerItsOwnRootAndNoNotesInBothModes) {
  for (const bool easy : {true, false}) {
    TWizardFixture f;
    f.Setup.Triggers[3].SetName("Old");
    f.Setup.Triggers[3].Notes.AddNote(3, true);
    ASSERT_TRUE(f.Apply(ChromaticLine, 0, easy));
    for (int32_t i = 0; i < TTriggers::Count; ++i) {
      EXPECT_EQ(f.Setup.Triggers[i].Key, i) << i;
      EXPECT_EQ(f.Setup.Triggers[i].Notes.Count(), 0) << i;
      EXPECT_EQ(f.Setup.Triggers[i].Name(), "") << i;
    }
    EXPECT_EQ(f.Setup.ScaleTemplateName, "Chromatic");
  }
}

TEST(ApplyTemplate, FourteenDegreesUseTheFirstTwelveValidOnesAndOffsetThirteenIsSkipped) {
  TWizardFixture f;
  f.Templates.Lines = {"Big;0;13;1;2;3;4;5;6;7;8;9;10;11;12;5,Extra"};
  ASSERT_TRUE(f.Apply(0, 0, true));
  // Twelve degrees 0..11 fill all twelve keys; 12 and the second 5 are beyond the twelfth.
  EXPECT_EQ(Keys(f.Setup), (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(f.Setup.Triggers[5].Name(), "");

  // Without Easy Mode two degrees on one pitch class merge on one trigger; the later chord ID wins.
  f.Templates.Lines = {"Merge;0,First,0,4;12,Second,0,7"};
  ASSERT_TRUE(f.Apply(0, 0, false));
  EXPECT_EQ(NotesOf(f.Setup.Triggers[0]), (std::vector<int32_t>{0, 4, 7}));
  EXPECT_EQ(f.Setup.Triggers[0].Name(), "Second");
}

TEST(ApplyTemplate, QuestionAndRefusalsUseTheWizardTexts) {
  TWizardFixture f;
  EXPECT_EQ(f.Edits.CheckApply(f.Templates, {-1, 0, true}), apcNoTemplate);
  EXPECT_FALSE(f.Apply(-1, 0, true));
  EXPECT_EQ(f.Edits.CheckApply(f.Templates, {MajorLine, 0, false}), apcReady);
  EXPECT_EQ(ApplyQuestion("Scale Only: Major", "D", true),
            "Scale template: \"Scale Only: Major\"\r\n\r\nTonic: \"D\"\r\n\r\n\"Easy Mode\"");
  EXPECT_EQ(ApplyQuestion("Major", "C#", false), "Scale template: \"Major\"\r\n\r\nTonic: \"C#\"");
}

TEST(ApplyTemplate, ALargeScaleWithVariationsReplacesTheBlackKeyDegree) {
  TWizardFixture f;
  // Eight degrees put the second one on C#, which the first variation then takes over.
  f.Templates.Lines = {"Eight;0,A,0,4,7;1,B,0,3,7;2;4;5;7;9;11|5,V,0,4,7"};
  ASSERT_TRUE(f.Apply(0, 0, true));
  EXPECT_EQ(f.Setup.Triggers[1].Key, 5);
  EXPECT_EQ(f.Setup.Triggers[1].Name(), "V");
  EXPECT_EQ(NotesOf(f.Setup.Triggers[1]), (std::vector<int32_t>{5, 9, 12}));
}
