// The timing and velocity rows without widgets: slider and info texts, the value menu, parameter names and
// the random range's own parameter, driven through the real slider model and the plug-in's stored values.
#include "editor/TimingVelocityLogic.h"

#include "gui/ZelGuiText.h"
#include "support/TestHost.h"

#include <gtest/gtest.h>

using namespace TimingVelocity;

namespace {
const std::string Minus = ZelGuiText::MinusSign;
const std::string Fig = ZelGuiText::FigureSpace;
} // namespace

TEST(TimingSliderText, ShowsTheValueAndTheTopOfItsRandomRange) {
  EXPECT_EQ(SliderText(120, 30), "120 ms <=> 150 ms");
  EXPECT_EQ(SliderText(120, 0), "120 ms");
  EXPECT_EQ(SliderText(0, 0), "0 ms");
  // Both numbers are rounded, halves to even, before the range is added.
  EXPECT_EQ(SliderText(120.5f, 0.5f), "120 ms");
  EXPECT_EQ(SliderText(121.5f, 1.5f), "122 ms <=> 124 ms");
}

TEST(TimingSliderText, ASliderAtItsTopHasNoRangeLeft) {
  TZelSliderModel slider;
  slider.SetMaxValue(MaxDelayMs);
  slider.OnGetText = [](TObject*, float value, float random, std::string& text) {
    text = SliderText(value, random);
  };
  slider.SetRandom(300);
  slider.SetValue(1000);
  EXPECT_EQ(slider.Random(), 0.0f);
  EXPECT_EQ(slider.Text(), "1000 ms");
}

TEST(VelocityScaleText, SignsBothEndsAndCapsTheRangeAtPlusHundred) {
  EXPECT_EQ(VelocityScaleText(50, 80), "Velocity Scale: +50% <=> +100%");
  EXPECT_EQ(VelocityScaleText(-30, 40), "Velocity Scale: " + Minus + "30% <=> +10%");
  EXPECT_EQ(VelocityScaleText(0, 0), "Velocity Scale: 0%");
  EXPECT_EQ(VelocityScaleText(-100, 100), "Velocity Scale: " + Minus + "100% <=> 0%");
  EXPECT_EQ(VelocityScaleText(100, 200), "Velocity Scale: +100% <=> +100%");
  EXPECT_EQ(VelocityScaleText(-20, 0), "Velocity Scale: " + Minus + "20%");
}

TEST(TimingInfoText, NamesTheKindButNotTheRow) {
  EXPECT_EQ(InfoText(tkStart, 225, 0), "Note Start: 225 ms");
  EXPECT_EQ(InfoText(tkStartRandom, 40.4f, 0), "Note Start Random: 40 ms");
  EXPECT_EQ(InfoText(tkEnd, 225, 0), "Note End: 225 ms");
  EXPECT_EQ(InfoText(tkEndRandom, 0, 0), "Note End Random: 0 ms");
  EXPECT_EQ(InfoText(tkVelocityScale, 35, 0), "Velocity Scale: +35%");
  EXPECT_EQ(InfoText(tkVelocityScale, 35, 20), "Velocity Scale: +35% <=> +55%");
  EXPECT_EQ(InfoText(tkVelocityRandom, 120, 0), "Velocity Random: 120");
}

TEST(TimingParameterNames, RoundTripEveryRowAndKind) {
  EXPECT_EQ(ParameterName(1, tkStartRandom), "Note2 Start Random");
  EXPECT_EQ(ParameterName(4, tkVelocityRandom), "Note5 Velocity Random");
  for (int32_t row = 0; row < RowCount; ++row) {
    for (int32_t k = tkStart; k <= tkVelocityRandom; ++k) {
      int32_t parsedRow = -1;
      TTimingKind parsedKind = tkStart;
      ASSERT_TRUE(ParseParameterName(ParameterName(row, static_cast<TTimingKind>(k)), parsedRow, parsedKind));
      EXPECT_EQ(parsedRow, row);
      EXPECT_EQ(parsedKind, k);
    }
  }
  int32_t row = 0;
  TTimingKind kind = tkStart;
  EXPECT_FALSE(ParseParameterName("Note 3 End", row, kind)); // the row caption, not the parameter
  EXPECT_FALSE(ParseParameterName("Note6 Start", row, kind));
  EXPECT_FALSE(ParseParameterName("Note1 Start ", row, kind));
  EXPECT_TRUE(IsRandomParameter("Note3 End Random"));
  EXPECT_TRUE(IsRandomParameter("Note3 Velocity Random"));
  EXPECT_FALSE(IsRandomParameter("Note3 Velocity Scale"));
}

TEST(TimingValueMenu, HasTwentySixValuesAndTheSameUnderRandom) {
  TZelSliderModel slider;
  slider.SetMaxValue(MaxDelayMs);
  TZelPopupMenu menu;
  BuildValueMenu(
      menu, [&](float v) { slider.SetValue(v); }, [&](float r) { slider.SetRandom(r); });
  TZelMenuItem& items = menu.Items();
  ASSERT_EQ(items.Count(), MenuValueCount + 1);
  EXPECT_EQ(items[0].Caption, "1000");
  EXPECT_EQ(items[0].Tag, 1000);
  EXPECT_EQ(items[15].Tag, 250);
  EXPECT_EQ(items[16].Tag, 225);
  EXPECT_EQ(items[16].Caption, Fig + "225");
  EXPECT_EQ(items[24].Caption, Fig + Fig + "25");
  EXPECT_EQ(items[25].Caption, Fig + Fig + Fig + "0");
  for (int32_t i = 1; i < MenuValueCount; ++i) {
    EXPECT_LT(items[i].Tag, items[i - 1].Tag);
    EXPECT_EQ(ZelGuiText::CharCount(items[i].Caption), MenuCaptionWidth);
  }
  TZelMenuItem& random = items[MenuValueCount];
  EXPECT_EQ(random.Caption, "Random");
  ASSERT_EQ(random.Count(), MenuValueCount);
  for (int32_t i = 0; i < MenuValueCount; ++i) {
    EXPECT_EQ(random[i].Caption, items[i].Caption);
    EXPECT_EQ(random[i].Tag, items[i].Tag);
  }

  items[16].Click();
  EXPECT_EQ(slider.Value(), 225.0f);
  EXPECT_EQ(slider.Random(), 0.0f);
  random[22].Click(); // 75
  EXPECT_EQ(slider.Value(), 225.0f);
  EXPECT_EQ(slider.Random(), 75.0f);
}

TEST(TimingValueMenu, ChecksTheValueAboveAndTheRangeInRandom) {
  TZelPopupMenu menu;
  BuildValueMenu(
      menu, [](float) {}, [](float) {});
  CheckValueMenu(menu, 225, 75);
  TZelMenuItem& items = menu.Items();
  TZelMenuItem& random = items[MenuValueCount];
  for (int32_t i = 0; i < MenuValueCount; ++i) {
    EXPECT_EQ(items[i].Checked, items[i].Tag == 225) << i;
    EXPECT_EQ(random[i].Checked, random[i].Tag == 75) << i;
  }
  EXPECT_FALSE(random.Checked);
  // A value between the entries checks none.
  CheckValueMenu(menu, 230, 0);
  for (int32_t i = 0; i < MenuValueCount; ++i) {
    EXPECT_FALSE(items[i].Checked);
    EXPECT_EQ(random[i].Checked, random[i].Tag == 0);
  }
}

namespace {
// A slider bound to "Note2 Start" / "Note2 Start Random" of the real stored values, as the row binds it:
// its random change handler runs the random hand-over.
struct TBoundSlider {
  TParameterModule Module;
  TZelSliderModel Slider;
  bool Updating = false;
  int32_t RandomWrites = 0;

  TBoundSlider() {
    Slider.SetMaxValue(MaxDelayMs);
    Slider.OnChangeRandom = [this](TObject*) {
      if (SendSliderRandom(
              Module.Values, "Note2 Start Random", Slider, Updating,
              [this](std::string_view name, float value) { Module.SetParameterByName(name, value); })) {
        ++RandomWrites;
      }
    };
  }
  float Stored(const char* name) { return Module.Values.Items(name).CurrentValue; }
};
} // namespace

TEST(SliderRandomParameter, ADraggedRangeIsWrittenToItsOwnParameterOnce) {
  TBoundSlider bound;
  bound.Slider.SetValue(100);
  bound.Slider.SetRandom(40);
  EXPECT_EQ(bound.RandomWrites, 1);
  EXPECT_EQ(bound.Stored("Note2 Start Random"), 40.0f);
  EXPECT_EQ(bound.Module.Plugin.Setup.NoteSetup[1].StartRandom, 40);
  ASSERT_EQ(bound.Module.AutomateCalls.size(), 1u);
  EXPECT_EQ(bound.Module.AutomateCalls[0].first, 7); // 6 * (2 - 1) + 1
  // Refreshing from the stored value finds them equal and writes nothing back.
  EXPECT_FALSE(UpdateSliderRandom(bound.Module.Values, "Note2 Start Random", bound.Slider, bound.Updating));
  EXPECT_EQ(bound.Module.AutomateCalls.size(), 1u);
}

TEST(SliderRandomParameter, HostValuesReachTheSliderWithoutAnAutomateCallBack) {
  TBoundSlider bound;
  bound.Module.Set(7, 250);
  EXPECT_TRUE(UpdateSliderRandom(bound.Module.Values, "Note2 Start Random", bound.Slider, bound.Updating));
  EXPECT_EQ(bound.Slider.Random(), 250.0f);
  // The random change handler ran, found the stored value equal and sent nothing.
  EXPECT_EQ(bound.RandomWrites, 0);
  EXPECT_TRUE(bound.Module.AutomateCalls.empty());
}

TEST(SliderRandomParameter, ARangeClampedByARefreshedValueIsNotSentToTheHost) {
  TBoundSlider bound;
  bound.Module.Set(6, 900); // Note2 Start
  bound.Module.Set(7, 300); // Note2 Start Random, beyond what the slider can show above 900
  bound.Updating = true;    // the refresh pushes the value under the updating flag
  bound.Slider.SetValue(900);
  bound.Updating = false;
  UpdateSliderRandom(bound.Module.Values, "Note2 Start Random", bound.Slider, bound.Updating);
  EXPECT_EQ(bound.Slider.Random(), 100.0f);
  EXPECT_EQ(bound.Stored("Note2 Start Random"), 300.0f);
  EXPECT_TRUE(bound.Module.AutomateCalls.empty());
  // Moved by the user, the value does pull the range down, and that is written.
  bound.Slider.SetValue(950);
  EXPECT_EQ(bound.Stored("Note2 Start Random"), 50.0f);
  EXPECT_EQ(bound.RandomWrites, 1);
}
