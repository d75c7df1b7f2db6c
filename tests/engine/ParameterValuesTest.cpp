// Tests of the stored parameter values: look-ups, rounding and resets through the automated path.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "engine/ZelVSTParameterValues.h"

namespace {

// Plays the module: get-parameter answers from the stored values, the automated set runs a change
// handler that stores the value again (as the plug-in's handlers do) and records the automate call.
class TRecordingAutomation : public TParameterAutomation {
public:
  TVSTParameterValues* Values = nullptr;
  std::vector<std::pair<int32_t, float>> AutomateCalls;

  float GetParameterValue(int32_t index) override { return Values->CurrentValueOf(index); }
  void SetParameterAutomated(int32_t index, float value) override {
    Values->Items(index).CurrentValue = value;
    AutomateCalls.emplace_back(index, value);
  }
};

class ParameterValues : public ::testing::Test {
protected:
  ParameterValues() {
    Automation.Values = &Values;
    const char* suffixes[] = {" Start",      " Start Random",   " End",
                              " End Random", " Velocity Scale", " Velocity Random"};
    for (int32_t position = 0; position < 5; ++position) {
      for (const char* suffix : suffixes)
        Values.AddValue("Note" + std::to_string(position + 1) + suffix, position, 0.0f);
    }
  }

  TRecordingAutomation Automation;
  TVSTParameterValues Values{Automation};
};

} // namespace

TEST_F(ParameterValues, AFreshListAnswersZeroForEveryParameter) {
  ASSERT_EQ(Values.Count(), 30);
  for (int32_t i = 0; i < 30; ++i) {
    EXPECT_EQ(Values.CurrentValueOf(i), 0.0f);
    EXPECT_EQ(Values.Items(i).Index(), i);
  }
  EXPECT_EQ(Values.Items(0).ParameterName, "Note1 Start");
  EXPECT_EQ(Values.Items(29).ParameterName, "Note5 Velocity Random");
  EXPECT_EQ(Values.Items(29).Tag, 4);
  EXPECT_TRUE(Automation.AutomateCalls.empty());
}

TEST_F(ParameterValues, GetParameterBeyondTheListIsZero) {
  Values.Items(29).CurrentValue = 5.0f;
  EXPECT_EQ(Values.CurrentValueOf(30), 0.0f);
  EXPECT_EQ(Values.CurrentValueOf(-1), 0.0f);
  EXPECT_EQ(Values.CurrentValueOf(std::numeric_limits<int32_t>::max()), 0.0f);
  EXPECT_EQ(Values.Find(30), nullptr);
  EXPECT_THROW(Values.Items(30), std::out_of_range);
}

TEST_F(ParameterValues, NamesAreFoundExactly) {
  EXPECT_EQ(Values.FindByName("Note3 End"), 14);
  EXPECT_EQ(&Values.Items("Note3 End"), &Values.Items(14));
  EXPECT_EQ(Values.FindByName("Note1 Start"), 0);
  EXPECT_EQ(Values.IndexOfName("Note3 end"), -1);
  EXPECT_EQ(Values.IndexOfName("Note3 End "), -1);
  try {
    Values.FindByName("Note6 Start");
    FAIL() << "no error for an unknown name";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "TVSTParameterValues.FindByName - No match: Note6 Start");
  }
  EXPECT_THROW(Values.Items("Note3"), std::runtime_error);
}

TEST_F(ParameterValues, TheFirstOfTwoEqualNamesWins) {
  Values.AddValue("Note1 Start", 7, 3.0f);
  EXPECT_EQ(Values.FindByName("Note1 Start"), 0);
}

TEST_F(ParameterValues, RoundedValueTakesHalvesToEven) {
  TVSTParameterValue& item = Values.Items(0);
  const std::pair<float, int32_t> cases[] = {
      {2.5f, 2}, {3.5f, 4},  {-2.5f, -2},    {-3.5f, -4},    {0.5f, 0},   {1.5f, 2},  {2.4f, 2},
      {2.6f, 3}, {-0.4f, 0}, {999.5f, 1000}, {-99.5f, -100}, {12.5f, 12}, {13.5f, 14}};
  for (const auto& [value, expected] : cases) {
    item.CurrentValue = value;
    EXPECT_EQ(item.RoundedValue(), expected) << value;
  }
}

TEST_F(ParameterValues, RoundingNeverOverflows) {
  EXPECT_EQ(NearestParameterInteger(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(NearestParameterInteger(std::numeric_limits<float>::infinity()),
            std::numeric_limits<int32_t>::max());
  EXPECT_EQ(NearestParameterInteger(-std::numeric_limits<float>::infinity()),
            std::numeric_limits<int32_t>::min());
  EXPECT_EQ(NearestParameterInteger(1e20f), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(NearestParameterInteger(-1e20f), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(NearestParameterInteger(2147483520.0f), 2147483520);
}

TEST_F(ParameterValues, ResetValueSendsTheDefaultThroughTheAutomatedPath) {
  Values.Items(9).CurrentValue = 12.5f;
  Values.Items(9).ResetValue(false);
  EXPECT_EQ(Values.Items(9).CurrentValue, 0.0f);
  ASSERT_EQ(Automation.AutomateCalls.size(), 1u);
  EXPECT_EQ(Automation.AutomateCalls[0], std::make_pair(9, 0.0f));
}

TEST_F(ParameterValues, ResetValueAtTheDefaultSendsNothingUnlessForced) {
  Values.Items(3).ResetValue(false);
  EXPECT_TRUE(Automation.AutomateCalls.empty());
  Values.Items(3).ResetValue(true);
  ASSERT_EQ(Automation.AutomateCalls.size(), 1u);
  EXPECT_EQ(Automation.AutomateCalls[0].first, 3);
}

TEST_F(ParameterValues, ResetAllSendsOneAutomateCallPerParameterInOrder) {
  Values.Items(4).CurrentValue = -40.0f;
  Values.Items(29).CurrentValue = 200.0f;
  Values.ResetAll();
  ASSERT_EQ(Automation.AutomateCalls.size(), 30u);
  for (int32_t i = 0; i < 30; ++i) {
    EXPECT_EQ(Automation.AutomateCalls[static_cast<std::size_t>(i)], std::make_pair(i, 0.0f));
    EXPECT_EQ(Values.CurrentValueOf(i), 0.0f);
  }
}

TEST_F(ParameterValues, ResetReturnsToTheItemsOwnDefault) {
  TVSTParameterValue& item = Values.AddValue("Gain", 9, 0.75f);
  EXPECT_EQ(item.CurrentValue, 0.75f);
  EXPECT_EQ(item.Tag, 9);
  item.CurrentValue = 0.1f;
  item.ResetValue(false);
  EXPECT_EQ(item.CurrentValue, 0.75f);
  ASSERT_EQ(Automation.AutomateCalls.size(), 1u);
  EXPECT_EQ(Automation.AutomateCalls[0], std::make_pair(30, 0.75f));
}

TEST_F(ParameterValues, AssignCopiesAllFourFields) {
  TVSTParameterValue& source = Values.AddValue("Source", 3, 1.5f);
  source.CurrentValue = 7.0f;
  TVSTParameterValue& target = Values.Items(0);
  target.Assign(source);
  EXPECT_EQ(target.ParameterName, "Source");
  EXPECT_EQ(target.Tag, 3);
  EXPECT_EQ(target.DefaultValue, 1.5f);
  EXPECT_EQ(target.CurrentValue, 7.0f);
  EXPECT_EQ(target.Index(), 0);
}
