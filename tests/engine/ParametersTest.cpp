// Tests of the 30 timing and velocity parameters: table, change handlers, displays and resets.
#include <gtest/gtest.h>

#include "support/TestHost.h"

#include <limits>
#include <string>
#include <vector>

#include "engine/Plugin.h"
#include "engine/ZelVSTParameterValues.h"

namespace {

const std::string Minus = "\xE2\x88\x92"; // U+2212

class Parameters : public ::testing::Test {
protected:
  TParameterModule Module;
  TNoteSetup& NoteSetup = Module.Plugin.Setup.NoteSetup;
};

} // namespace

TEST_F(Parameters, TheTableHasThirtyNamedParametersWithTheirRanges) {
  const std::vector<TParameterDefinition>& table = Module.Plugin.ParameterDefinitions();
  ASSERT_EQ(table.size(), 30u);
  EXPECT_EQ(table[0].DisplayName, "Note1 Start");
  EXPECT_EQ(table[1].DisplayName, "Note1 Start Random");
  EXPECT_EQ(table[2].DisplayName, "Note1 End");
  EXPECT_EQ(table[3].DisplayName, "Note1 End Random");
  EXPECT_EQ(table[4].DisplayName, "Note1 Velocity Scale");
  EXPECT_EQ(table[5].DisplayName, "Note1 Velocity Random");
  EXPECT_EQ(table[9].DisplayName, "Note2 End Random");
  EXPECT_EQ(table[14].DisplayName, "Note3 End");
  EXPECT_EQ(table[29].DisplayName, "Note5 Velocity Random");

  const char* labels[] = {"S", "S", "E", "E", "V", "V"};
  const float minima[] = {0, 0, 0, 0, -100, 0};
  const float maxima[] = {1000, 1000, 1000, 1000, 100, 200};
  for (std::size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(table[i].ShortLabel, "Note" + std::to_string(i / 6 + 1) + " " + labels[i % 6]) << i;
    EXPECT_EQ(table[i].Min, minima[i % 6]) << i;
    EXPECT_EQ(table[i].Max, maxima[i % 6]) << i;
    EXPECT_EQ(table[i].StepFloat, 1.0f);
    EXPECT_EQ(table[i].SmallStepFloat, 0.1f);
    EXPECT_EQ(table[i].LargeStepFloat, 1.0f);
    EXPECT_EQ(table[i].LargeStepInteger, 1);
    EXPECT_EQ(table[i].CurveFactor, 1.0f);
    EXPECT_TRUE(table[i].CanBeAutomated);
  }
  // Every name fits the host's 32-byte buffer with its terminator.
  for (const TParameterDefinition& definition : table)
    EXPECT_LT(definition.DisplayName.size(), 32u);
}

TEST_F(Parameters, StoredValuesAreRegisteredInParameterOrder) {
  ASSERT_EQ(Module.Values.Count(), 30);
  const std::vector<TParameterDefinition>& table = Module.Plugin.ParameterDefinitions();
  for (int32_t i = 0; i < 30; ++i) {
    const TVSTParameterValue& value = Module.Values.Items(i);
    EXPECT_EQ(value.ParameterName, table[static_cast<std::size_t>(i)].DisplayName);
    EXPECT_EQ(value.Tag, i / 6);
    EXPECT_EQ(value.DefaultValue, 0.0f);
    EXPECT_EQ(value.CurrentValue, 0.0f);
  }
  EXPECT_EQ(Module.Values.FindByName("Note3 End"), 14);
}

TEST_F(Parameters, EachKindSetsItsOwnNoteSetupField) {
  Module.Set(6, 250.0f);  // Note2 Start
  Module.Set(7, 30.0f);   // Note2 Start Random
  Module.Set(8, 400.0f);  // Note2 End
  Module.Set(9, 50.0f);   // Note2 End Random
  Module.Set(10, -60.0f); // Note2 Velocity Scale
  Module.Set(11, 70.0f);  // Note2 Velocity Random
  const TNoteSetupItem& item = NoteSetup[1];
  EXPECT_EQ(item.Start, 250);
  EXPECT_EQ(item.StartRandom, 30);
  EXPECT_EQ(item.End, 400);
  EXPECT_EQ(item.EndRandom, 50);
  EXPECT_EQ(item.VelocityScale, -60);
  EXPECT_EQ(item.VelocityRandom, 70);
  for (int32_t position : {0, 2, 3, 4})
    EXPECT_FALSE(NoteSetup[position].IsActive()) << position;
}

TEST_F(Parameters, FractionalValuesRoundHalfToEvenButAreStoredWhole) {
  Module.Set(9, 12.5f);
  EXPECT_EQ(Module.Values.Items(9).CurrentValue, 12.5f);
  EXPECT_EQ(NoteSetup[1].EndRandom, 12);
  EXPECT_EQ(Module.Display(9), "12 ms");
  Module.Set(9, 13.5f);
  EXPECT_EQ(NoteSetup[1].EndRandom, 14);
  EXPECT_EQ(Module.Display(9), "14 ms");
  Module.Set(0, 0.4f);
  EXPECT_EQ(NoteSetup[0].Start, 0);
  EXPECT_EQ(Module.Values.Items(0).CurrentValue, 0.4f);
}

TEST_F(Parameters, VelocityScaleAndRandomAtTheirLimits) {
  Module.Set(28, -40.0f);
  EXPECT_EQ(NoteSetup[4].VelocityScale, -40);
  EXPECT_EQ(Module.Display(28), Minus + "40%");
  Module.Set(29, 200.0f);
  EXPECT_EQ(NoteSetup[4].VelocityRandom, 200);
  EXPECT_EQ(Module.Display(29), "200");
  Module.Set(28, -100.0f);
  EXPECT_EQ(NoteSetup[4].VelocityScale, -100);
  Module.Set(28, 100.0f);
  EXPECT_EQ(NoteSetup[4].VelocityScale, 100);
}

TEST_F(Parameters, DisplaysShowUnitsAndASignOnlyForVelocityScale) {
  Module.Set(0, 250.0f);
  EXPECT_EQ(Module.Display(0), "250 ms");
  Module.Set(3, 1000.0f);
  EXPECT_EQ(Module.Display(3), "1000 ms");
  Module.Set(4, 35.0f);
  EXPECT_EQ(Module.Display(4), "+35%");
  Module.Set(10, 0.0f);
  EXPECT_EQ(Module.Display(10), "0%");
  Module.Set(5, 120.0f);
  EXPECT_EQ(Module.Display(5), "120");
  EXPECT_EQ(Module.Display(1), "0 ms");
  // A display shows the stored value rounded, not the note setup field.
  Module.Set(16, 34.5f);
  EXPECT_EQ(Module.Display(16), "+34%");
}

TEST_F(Parameters, HandlersDoNotClamp) {
  Module.Set(0, 1500.0f);
  EXPECT_EQ(NoteSetup[0].Start, 1500);
  EXPECT_EQ(Module.Display(0), "1500 ms");
  Module.Set(4, -250.0f);
  EXPECT_EQ(NoteSetup[0].VelocityScale, -250);
}

TEST_F(Parameters, AbsurdValuesSaturateInsteadOfOverflowing) {
  Module.Set(0, 1e20f);
  EXPECT_EQ(NoteSetup[0].Start, std::numeric_limits<int32_t>::max());
  Module.Set(4, -std::numeric_limits<float>::infinity());
  EXPECT_EQ(NoteSetup[0].VelocityScale, std::numeric_limits<int32_t>::min());
  Module.Set(5, std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(NoteSetup[0].VelocityRandom, 0);
  EXPECT_EQ(Module.Display(5), "0");
}

TEST_F(Parameters, ThePositionComesFromTheStoredTag) {
  Module.Values.Items(0).Tag = 3;
  Module.Set(0, 100.0f);
  EXPECT_EQ(NoteSetup[3].Start, 100);
  EXPECT_EQ(NoteSetup[0].Start, 0);
  // A tag outside the five positions stores the value but touches no note setup.
  Module.Values.Items(1).Tag = 7;
  Module.Set(1, 100.0f);
  EXPECT_EQ(Module.Values.Items(1).CurrentValue, 100.0f);
  for (int32_t position = 0; position < 5; ++position)
    EXPECT_EQ(NoteSetup[position].StartRandom, 0);
}

TEST_F(Parameters, IndicesOutsideTheTableAreIgnored) {
  Module.Set(-1, 500.0f);
  Module.Set(30, 500.0f);
  Module.Set(std::numeric_limits<int32_t>::min(), 500.0f);
  for (int32_t position = 0; position < 5; ++position)
    EXPECT_FALSE(NoteSetup[position].IsActive());
  EXPECT_EQ(Module.Display(-1), "");
  EXPECT_EQ(Module.Display(30), "");
}

TEST_F(Parameters, ResetAllReturnsEveryValueAndNoteSetupToZero) {
  for (int32_t i = 0; i < 30; ++i)
    Module.Set(i, static_cast<float>(i + 1) * 3.5f);
  Module.AutomateCalls.clear();
  Module.Values.ResetAll();
  EXPECT_EQ(Module.AutomateCalls.size(), 30u);
  for (int32_t i = 0; i < 30; ++i)
    EXPECT_EQ(Module.Values.CurrentValueOf(i), 0.0f);
  for (int32_t position = 0; position < 5; ++position)
    EXPECT_FALSE(NoteSetup[position].IsActive()) << position;
  EXPECT_EQ(Module.Display(4), "0%");
}
