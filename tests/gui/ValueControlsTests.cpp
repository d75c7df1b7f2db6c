// The value controls' rules: slider value and random range, drags and wheel; numeric input; dial.
#include "gui/ZelDialModel.h"
#include "gui/ZelGuiText.h"
#include "gui/ZelNumericInputModel.h"
#include "gui/ZelSliderModel.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {
struct TCountingSlider {
  TZelSliderModel Slider;
  int Changes = 0;
  int RandomChanges = 0;
  TCountingSlider() {
    Slider.SetBounds(102, 24); // a 100-pixel track: one pixel per unit
    Slider.OnChange = [this](TObject*) {
      ++Changes;
    };
    Slider.OnChangeRandom = [this](TObject*) {
      ++RandomChanges;
    };
  }
};
} // namespace

TEST(SliderValues, ValueNearTheTopShrinksTheRandomRangeAndReportsBoth) {
  TCountingSlider s;
  s.Slider.SetValue(50);
  s.Slider.SetRandom(40);
  s.Changes = s.RandomChanges = 0;
  s.Slider.SetValue(80);
  EXPECT_FLOAT_EQ(s.Slider.Random(), 20);
  EXPECT_EQ(s.Changes, 1);
  EXPECT_EQ(s.RandomChanges, 1);
}

TEST(SliderValues, ValuesAreClampedAndRepeatsAreSilent) {
  TCountingSlider s;
  s.Slider.SetValue(150);
  EXPECT_FLOAT_EQ(s.Slider.Value(), 100);
  s.Slider.SetValue(100);
  s.Slider.SetRandom(-5);
  EXPECT_EQ(s.Changes, 1);
  EXPECT_EQ(s.RandomChanges, 0);
  s.Slider.SetValue(-3);
  EXPECT_FLOAT_EQ(s.Slider.Value(), 0);
}

TEST(SliderMouse, PressAndDragSetWholeValues) {
  TCountingSlider s;
  s.Slider.MouseDown(mbLeft, ssLeft, 31, 5);
  EXPECT_FLOAT_EQ(s.Slider.Value(), 30);
  s.Slider.MouseMove(ssLeft, 61, 5);
  EXPECT_FLOAT_EQ(s.Slider.Value(), 60);
  s.Slider.MouseUp();
  s.Slider.MouseMove(0, 90, 5); // no button: nothing
  EXPECT_FLOAT_EQ(s.Slider.Value(), 60);
}

TEST(SliderMouse, AltPressLeftOfTheValueBarClearsTheRandomRange) {
  TCountingSlider s;
  s.Slider.SetValue(50);
  s.Slider.SetRandom(30);
  s.Slider.MouseDown(mbLeft, ssLeft | ssAlt, 21, 5);
  EXPECT_FLOAT_EQ(s.Slider.Random(), 0);
  EXPECT_FLOAT_EQ(s.Slider.Value(), 50);
  s.Slider.MouseMove(ssLeft | ssAlt, 71, 5); // a random drag
  EXPECT_FLOAT_EQ(s.Slider.Random(), 20);
}

TEST(SliderMouse, ShiftDuringADragSlowsTheValueFromThatPoint) {
  TCountingSlider s;
  s.Slider.MouseDown(mbLeft, ssLeft, 41, 5);
  s.Slider.MouseMove(ssLeft | ssShift, 51, 5);
  EXPECT_FLOAT_EQ(s.Slider.Value(), 50); // the fine anchor is where Shift began
  s.Slider.MouseMove(ssLeft | ssShift, 91, 5);
  // 40 pixels at 25/100 speed.
  EXPECT_FLOAT_EQ(s.Slider.Value(), 60);
}

TEST(SliderMouse, ConsumedPressBlocksTheDragUntilTheNextPress) {
  TCountingSlider s;
  s.Slider.OnBeforeMouseDown = [](TObject*, TMouseButton, TShiftState, int, int, bool& proceed) {
    proceed = false;
  };
  s.Slider.MouseDown(mbLeft, ssLeft, 31, 5);
  s.Slider.MouseMove(ssLeft, 61, 5);
  EXPECT_FLOAT_EQ(s.Slider.Value(), 0);
  s.Slider.OnBeforeMouseDown = nullptr;
  s.Slider.MouseDown(mbLeft, ssLeft, 31, 5);
  EXPECT_FLOAT_EQ(s.Slider.Value(), 30);
}

TEST(SliderWheel, StepsAQuarterAndAltMovesTheRandomRange) {
  TCountingSlider s;
  s.Slider.SetValue(10);
  s.Slider.MouseWheel(120, 0);
  EXPECT_FLOAT_EQ(s.Slider.Value(), 10.25f);
  s.Slider.MouseWheel(-120, 0);
  s.Slider.MouseWheel(-120, 0);
  EXPECT_FLOAT_EQ(s.Slider.Value(), 9.75f);
  s.Slider.MouseWheel(120, ssAlt);
  EXPECT_FLOAT_EQ(s.Slider.Random(), 0.25f);
}

TEST(SliderDrawing, BarsAndTextFollowTheValues) {
  TCountingSlider s;
  s.Slider.UseRandom = true;
  s.Slider.SetValue(25);
  s.Slider.SetRandom(10);
  EXPECT_EQ(s.Slider.ValueBarRight(), 26);
  EXPECT_EQ(s.Slider.RandomBarRight(), 36);
  EXPECT_EQ(s.Slider.Text(), "25");
  s.Slider.SetValue(0.1f);
  EXPECT_EQ(s.Slider.Text(), "0.100000001490116");
  s.Slider.OnGetText = [](TObject*, float value, float random, std::string& text) {
    text = std::to_string(static_cast<int>(value)) + "+" + std::to_string(static_cast<int>(random));
  };
  EXPECT_EQ(s.Slider.Text(), "0+10");
}

TEST(SliderStyles, StylesSetTheTableColours) {
  TZelSliderModel slider;
  slider.BorderWidth = 3;
  slider.SetStyle(ZelSkins::ByName("Luna"));
  EXPECT_EQ(slider.BorderWidth, 1);
  EXPECT_EQ(slider.BorderColor, 0x939393u);
  EXPECT_EQ(slider.Color, 0xD2E0F1u);
  EXPECT_EQ(slider.FontColor, 0x333333u);
  EXPECT_EQ(slider.RandomColor, 0xFAD56Eu);
  EXPECT_EQ(slider.ValueColor, 0xF8C12Au);
}

TEST(SliderPopup, EntriesGroupAndSetTheValue) {
  TZelSliderModel slider;
  slider.SetMaxValue(20);
  slider.OnGetPopupGroup = [](TObject*, int32_t value, std::string& group) {
    group = value < 10 ? "" : "Tens";
  };
  TZelPopupMenu popup;
  slider.BuildPopup(popup);
  ASSERT_EQ(popup.Items().Count(), 11); // 0..9, then the group
  EXPECT_EQ(popup.Items()[10].Caption, "Tens");
  EXPECT_EQ(popup.Items()[10].Count(), 11);
  popup.Items()[10][2].Click();
  EXPECT_FLOAT_EQ(slider.Value(), 12);
  slider.PreparePopup(popup);
  EXPECT_TRUE(popup.Items()[10].Checked);
  EXPECT_TRUE(popup.Items()[10][2].Checked);
  EXPECT_FALSE(popup.Items()[2].Checked);
}

TEST(NumericInputPopup, EntriesRunDownAndLineUpWithFigureSpaces) {
  TZelNumericInputModel input;
  TZelPopupMenu popup;
  input.BuildPopupMenu(popup);
  ASSERT_EQ(popup.Items().Count(), 101);
  EXPECT_EQ(popup.Items()[0].Caption, "100");
  EXPECT_EQ(popup.Items()[100].Tag, 0);
  EXPECT_EQ(popup.Items()[95].Caption, std::string(ZelGuiText::FigureSpace) + ZelGuiText::FigureSpace + "5");
}

TEST(NumericInputPopup, EachRunOfAGroupCaptionGetsItsOwnSubmenu) {
  TZelNumericInputModel input;
  input.SetMaxValue(5);
  input.OnGetPopupGroup = [](TObject*, int32_t value, std::string& group) {
    group = value == 3 ? "" : value == 0 ? "Low" : "High";
  };
  TZelPopupMenu popup;
  input.BuildPopupMenu(popup);
  ASSERT_EQ(popup.Items().Count(), 4); // High (5, 4), 3, High again (2, 1), Low (0)
  EXPECT_EQ(popup.Items()[0].Caption, "High");
  EXPECT_EQ(popup.Items()[0].Tag, TZelNumericInputModel::GroupTag);
  EXPECT_EQ(popup.Items()[0].Count(), 2);
  EXPECT_EQ(popup.Items()[1].Tag, 3);
  EXPECT_EQ(popup.Items()[2].Caption, "High");
  EXPECT_EQ(popup.Items()[2].Count(), 2);
  EXPECT_EQ(popup.Items()[2][0].Tag, 2);
  EXPECT_EQ(popup.Items()[3].Caption, "Low");
  ASSERT_EQ(popup.Items()[3].Count(), 1);
  popup.Items()[3][0].Click();
  EXPECT_EQ(input.ValueAsInteger(), 0);
  input.PreparePopup(popup);
  EXPECT_TRUE(popup.Items()[3].Checked);
  EXPECT_FALSE(popup.Items()[0].Checked);
  EXPECT_FALSE(popup.Items()[2].Checked);
}

TEST(NumericInputPopup, NegativeEntriesUseTheMinusSignWhileTheFieldUsesHyphen) {
  TZelNumericInputModel input;
  input.SetMinValue(-3);
  input.SetMaxValue(3);
  TZelPopupMenu popup;
  input.BuildPopupMenu(popup);
  EXPECT_EQ(popup.Items()[6].Caption, std::string(ZelGuiText::MinusSign) + "3");
  popup.Items()[6].Click();
  EXPECT_EQ(input.Text(), "-3");
  input.PreparePopup(popup);
  EXPECT_TRUE(popup.Items()[6].Checked);
  EXPECT_EQ(ZelGuiText::IntToText(5, true), "+5");
  EXPECT_EQ(ZelGuiText::IntToText(0, true), "0");
}

TEST(NumericInputMouse, VerticalDragStepsOncePerMoveAndShiftIsFine) {
  TZelNumericInputModel input;
  int changes = 0;
  input.OnChange = [&](TObject*) {
    ++changes;
  };
  input.SetValue(10);
  EXPECT_TRUE(input.MouseDown(mbLeft, ssLeft, 5, 10));
  input.MouseMove(ssLeft, 2); // up by 8 pixels: one step
  EXPECT_FLOAT_EQ(input.Value(), 10.25f);
  input.MouseMove(ssLeft | ssShift, 9);
  EXPECT_FLOAT_EQ(input.Value(), 10.2f);
  input.MouseMove(ssLeft, 9); // no movement: nothing
  EXPECT_FLOAT_EQ(input.Value(), 10.2f);
  input.MouseUp();
  EXPECT_EQ(input.AnchorY(), -1);
  input.MouseWheel(-120);
  EXPECT_FLOAT_EQ(input.Value(), 10.075f);
  EXPECT_EQ(input.ValueAsInteger(), 10);
  EXPECT_EQ(changes, 4);
}

TEST(NumericInputMouse, ConsumedPressStartsNoDrag) {
  TZelNumericInputModel input;
  input.OnBeforeMouseDown = [](TObject*, TMouseButton, TShiftState, int, int, bool& proceed) {
    proceed = false;
  };
  EXPECT_FALSE(input.MouseDown(mbLeft, ssLeft, 5, 10));
  input.MouseMove(ssLeft, 0);
  EXPECT_FLOAT_EQ(input.Value(), 0);
}

TEST(DialMouse, CtrlRightClickReturnsToTheDefault) {
  TZelDialModel dial;
  dial.SetMin(-100);
  dial.SetMax(100);
  dial.SetDefaultValue(0);
  dial.SetValue(70);
  dial.MouseDown(mbRight, ssRight | ssCtrl, 10, 10);
  EXPECT_FLOAT_EQ(dial.Value(), 0);
  EXPECT_EQ(dial.Frame(), 50);
}

TEST(DialMouse, DragMovesTwoScrollRangesPerPixelAndShiftIsFine) {
  TZelDialModel dial;
  dial.ScrollRange = 400;
  dial.MouseDown(mbLeft, ssLeft, 10, 100);
  dial.MouseMove(ssLeft, 10, 90); // 10 pixels up
  EXPECT_NEAR(dial.Position(), 20.0 / 400.0, 1e-9);
  EXPECT_NEAR(dial.Value(), 5.0, 1e-4);
  dial.MouseMove(ssLeft | ssShift, 10, 80);
  EXPECT_NEAR(dial.Position(), 22.0 / 400.0, 1e-9);
}

TEST(DialMouse, ClampsAtEachHalfStep) {
  TZelDialModel dial;
  dial.SetValue(99.9f);
  dial.MouseDown(mbLeft, ssLeft, 0, 100);
  dial.MouseMove(ssLeft, 0, 0);
  EXPECT_FLOAT_EQ(dial.Value(), 100);
  EXPECT_EQ(dial.Frame(), 100);
}

TEST(DialWheel, OneNotchWithTheEditorsSettingsMovesAFifteenHundredth) {
  TZelDialModel dial;
  dial.SetMax(200);
  dial.ScrollRange = 600;
  dial.WheelStep = 0.2f;
  dial.MouseWheel(120, 0);
  EXPECT_NEAR(dial.Position(), 1.0 / 1500.0, 1e-9); // WheelStep is a single
}

TEST(DialRange, InvertingTheRangeThrowsAndChangesNothing) {
  TZelDialModel dial;
  EXPECT_THROW(dial.SetMin(150), std::invalid_argument);
  EXPECT_THROW(dial.SetMax(-1), std::invalid_argument);
  EXPECT_FLOAT_EQ(dial.Min(), 0);
  EXPECT_FLOAT_EQ(dial.Max(), 100);
  dial.SetValue(500);
  EXPECT_FLOAT_EQ(dial.Value(), 100);
}

TEST(DialMouse, ConsumedPressStillFollowsADragFromThePressPoint) {
  TZelDialModel dial;
  dial.OnBeforeMouseDown = [](TObject*, TMouseButton, TShiftState, int, int, bool& proceed) {
    proceed = false;
  };
  dial.MouseDown(mbLeft, ssLeft, 0, 50);
  dial.MouseMove(ssLeft, 0, 40);
  EXPECT_NEAR(dial.Position(), 20.0 / 400.0, 1e-9);
}
