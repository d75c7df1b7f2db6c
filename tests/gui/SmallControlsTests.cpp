// The small controls' rules: click gates, popup check marks, integer list, numeric edit typing, dialogs,
// skins.
#include "gui/ZelClickGate.h"
#include "gui/ZelInputDlgModel.h"
#include "gui/ZelIntList.h"
#include "gui/ZelNumericEditModel.h"
#include "gui/ZelPopupMenu.h"
#include "gui/ZelSkin.h"

#include <gtest/gtest.h>

TEST(SpeedButtonClicks, RefusedPressSkipsItsClickAndTheNextPressClicks) {
  TZelSpeedButtonGate gate;
  gate.Press(false);
  EXPECT_FALSE(gate.Click());
  EXPECT_TRUE(gate.AllowClick()); // re-armed
  gate.Press(true);
  EXPECT_TRUE(gate.Click());
}

TEST(CheckBoxClicks, RefusedPressKeepsTheStateForExactlyOneClick) {
  TZelCheckBoxGate gate;
  gate.Press(false);
  EXPECT_TRUE(gate.SkipNextClick());
  EXPECT_FALSE(gate.Click());
  EXPECT_TRUE(gate.Click());
}

namespace {
// Skin menu with a submenu, as the editor's main menu has it.
void BuildMenu(TZelPopupMenu& menu) {
  menu.Items().Add("Init", 100);
  menu.Items().AddSeparator();
  TZelMenuItem& skins = menu.Items().Add("Skin", -1);
  for (int i = 0; i < ZelSkins::Count; ++i) {
    skins.Add(std::string(ZelSkins::MenuCaption(i)), i);
  }
}
} // namespace

TEST(PopupMenuChecks, RecursiveCheckMarksTheSubmenuLeadingToTheEntry) {
  TZelPopupMenu menu;
  BuildMenu(menu);
  TZelMenuItem& skins = menu.Items()[2];
  EXPECT_TRUE(CheckByTag(menu, 3, nullptr, true));
  EXPECT_TRUE(skins.Checked);
  EXPECT_TRUE(skins[3].Checked);
  EXPECT_FALSE(skins[0].Checked);
  EXPECT_FALSE(menu.Items()[0].Checked);
  EXPECT_EQ(skins[1].Caption, "Dark");
}

TEST(PopupMenuChecks, UnknownValueLeavesEverythingUnchecked) {
  TZelPopupMenu menu;
  BuildMenu(menu);
  CheckByTag(menu, 3, nullptr, true);
  EXPECT_FALSE(CheckByTag(menu, 42, nullptr, true));
  TZelMenuItem& skins = menu.Items()[2];
  for (int i = 0; i < skins.Count(); ++i) {
    EXPECT_FALSE(skins[i].Checked);
  }
  EXPECT_FALSE(skins.Checked);
}

TEST(PopupMenuChecks, UncheckAllTouchesOnlyTheDirectEntries) {
  TZelPopupMenu menu;
  BuildMenu(menu);
  TZelMenuItem& skins = menu.Items()[2];
  CheckByTag(menu, 1, &skins);
  menu.Items()[0].Checked = true;
  UncheckAll(menu);
  EXPECT_FALSE(menu.Items()[0].Checked);
  EXPECT_TRUE(skins[1].Checked);
  UncheckAll(menu, &skins);
  EXPECT_FALSE(skins[1].Checked);
}

TEST(PopupMenuItems, DisabledEntriesDoNotClick) {
  TZelPopupMenu menu;
  int clicks = 0;
  TZelMenuItem& item = menu.Items().Add("Go", 1, [&](TZelMenuItem&) { ++clicks; });
  item.Click();
  item.Enabled = false;
  item.Click();
  EXPECT_EQ(clicks, 1);
}

TEST(IntList, SortedListIgnoresDuplicatesAndFindsByHalving) {
  TZelIntList list;
  list.AddValues({7, 3, 9, 3, 1});
  EXPECT_EQ(list.Items(), (std::vector<int32_t>{1, 3, 7, 9}));
  EXPECT_EQ(list.IndexOf(7), 2);
  EXPECT_EQ(list.IndexOf(4), -1);
  EXPECT_TRUE(list.Remove(3));
  EXPECT_FALSE(list.Remove(3));
}

TEST(IntList, UnsortedListAcceptsDuplicatesInOrder) {
  TZelIntList list(false, TZelIntList::dupAccept);
  list.AddValues({5, 2, 5});
  EXPECT_EQ(list.Items(), (std::vector<int32_t>{5, 2, 5}));
  EXPECT_EQ(list.IndexOf(5), 0);
}

TEST(IntList, ShuffleSwapsEachPositionWithADrawnOne) {
  TZelIntList list(false);
  list.AddValues({10, 20, 30, 40});
  std::vector<int32_t> draws = {3, 0, 3, 1};
  size_t next = 0;
  list.Shuffle([&](int32_t n) {
    EXPECT_EQ(n, 4);
    return draws[next++];
  });
  // i=0<->3: 40 20 30 10; i=1<->0: 20 40 30 10; i=2<->3: 20 40 10 30; i=3<->1: 20 30 10 40.
  EXPECT_EQ(list.Items(), (std::vector<int32_t>{20, 30, 10, 40}));
  TZelIntList many(false);
  for (int i = 0; i < 50; ++i) {
    many.Add(i);
  }
  many.Shuffle();
  EXPECT_EQ(many.Count(), 50);
  for (int i = 0; i < 50; ++i) {
    EXPECT_GE(many.IndexOf(i), 0);
  }
}

namespace {
TZelNumericEditModel Edit(int decimals, double minimum, double maximum, double value) {
  TZelNumericEditModel edit;
  edit.SetDecimals(decimals);
  edit.MinValue = minimum;
  edit.MaxValue = maximum;
  edit.SetValue(value);
  return edit;
}
void Type(TZelNumericEditModel& edit, const std::string& keys) {
  for (char c : keys) {
    edit.TypeChar(c);
  }
}
} // namespace

TEST(NumericEditTyping, DigitsReplaceALoneZeroAndInsertInTheIntegerPart) {
  auto edit = Edit(0, 0, 127, 0);
  edit.SetCaret(0);
  Type(edit, "64");
  EXPECT_EQ(edit.Text(), "64");
  EXPECT_DOUBLE_EQ(edit.Value(), 64);
  edit.SetCaret(0);
  EXPECT_FALSE(edit.TypeChar('0')); // no leading zero
  EXPECT_EQ(edit.Text(), "64");
}

TEST(NumericEditTyping, DecimalsAreOverwrittenAndNeverGrow) {
  auto edit = Edit(2, 0, 100, 1.5);
  EXPECT_EQ(edit.Text(), "1.50");
  edit.SetCaret(0);
  EXPECT_TRUE(edit.TypeChar('.'));
  EXPECT_EQ(edit.CaretPos(), 2);
  Type(edit, "27");
  EXPECT_EQ(edit.Text(), "1.27");
  EXPECT_FALSE(edit.TypeChar('9')); // at the very end
  EXPECT_EQ(edit.Text(), "1.27");
}

TEST(NumericEditTyping, MinusTogglesTheSignOnlyWhenNegativesAreAllowed) {
  auto positive = Edit(0, 0, 10, 5);
  EXPECT_FALSE(positive.TypeChar('-'));
  EXPECT_EQ(positive.Text(), "5");
  auto signedEdit = Edit(1, -10, 10, 5);
  signedEdit.SetCaret(3);
  EXPECT_TRUE(signedEdit.TypeChar('-'));
  EXPECT_EQ(signedEdit.Text(), "-5.0");
  EXPECT_EQ(signedEdit.CaretPos(), 4);
  signedEdit.TypeChar('-');
  EXPECT_EQ(signedEdit.Text(), "5.0");
}

TEST(NumericEditTyping, OtherCharactersAndSeparatorWithoutDecimalsAreRefused) {
  auto edit = Edit(0, 0, 10, 3);
  EXPECT_FALSE(edit.TypeChar('x'));
  EXPECT_FALSE(edit.TypeChar('.'));
  EXPECT_FALSE(edit.TypeChar(' '));
  EXPECT_EQ(edit.Text(), "3");
}

TEST(NumericEditTyping, BackspaceAndDeleteKeepTheLayout) {
  auto edit = Edit(2, 0, 1000, 12.34);
  edit.SetCaret(5);
  edit.Backspace();
  EXPECT_EQ(edit.Text(), "12.30");
  edit.SetCaret(3);
  edit.Backspace(); // over the separator
  EXPECT_EQ(edit.Text(), "12.30");
  EXPECT_EQ(edit.CaretPos(), 2);
  edit.Backspace();
  edit.Backspace();
  EXPECT_EQ(edit.Text(), "0.30");
  edit.TypeChar('7');
  EXPECT_EQ(edit.Text(), "7.30");
  edit.SetCaret(2);
  edit.DeleteForward();
  EXPECT_EQ(edit.Text(), "7.00");
  EXPECT_EQ(edit.CaretPos(), 3);
}

TEST(NumericEditTyping, SelectionIsDeletedBeforeATypedDigitAndPasteTypes) {
  auto edit = Edit(0, 0, 127, 100);
  edit.SelectAll();
  edit.TypeChar('5');
  EXPECT_EQ(edit.Text(), "5");
  edit.SelectAll();
  edit.Paste("1a2");
  EXPECT_EQ(edit.Text(), "12");
  edit.SetSelection(0, 1);
  EXPECT_EQ(edit.Cut(), "1");
  EXPECT_EQ(edit.Text(), "2");
}

TEST(NumericEditTyping, MaxLengthLimitsInsertions) {
  auto edit = Edit(0, 0, 1e12, 0);
  edit.MaxLength = 3;
  edit.SetCaret(1);
  Type(edit, "12345");
  EXPECT_EQ(edit.Text(), "123");
}

TEST(NumericEditEvents, ValidChangeOnlyInsideTheRangeAndInvalidEntryOnLeaving) {
  auto edit = Edit(0, 0, 127, 1);
  int valid = 0;
  int invalid = 0;
  edit.OnValidChange = [&](TObject*) {
    ++valid;
  };
  edit.OnInvalidEntry = [&](TObject*) {
    ++invalid;
  };
  edit.SetCaret(1);
  edit.TypeChar('2'); // 12
  edit.TypeChar('9'); // 129: out of range
  EXPECT_EQ(valid, 1);
  edit.Exit();
  EXPECT_EQ(invalid, 1);
  edit.MinValue = edit.MaxValue = 0; // equal bounds: anything goes
  edit.Exit();
  EXPECT_EQ(invalid, 1);
}

TEST(NumericEditValue, UnreadableTextCountsAsZeroAndDecimalsReformat) {
  TZelNumericEditModel edit;
  edit.SetText("");
  EXPECT_DOUBLE_EQ(edit.Value(), 0);
  edit.SetText("abc");
  EXPECT_DOUBLE_EQ(edit.Value(), 0);
  edit.SetValue(2.5);
  edit.SetDecimals(3);
  EXPECT_EQ(edit.Text(), "2.500");
  edit.SetDecimals(0);
  EXPECT_EQ(edit.Text(), "2"); // halves to even
  EXPECT_STREQ(TZelNumericEditModel::Version, "1.00.08");
}

TEST(InputDialogRules, OkNeedsSomethingBesidesBlanksUnlessEmptyIsAllowed) {
  EXPECT_FALSE(ZelInputDlg::OkEnabled("   ", false));
  EXPECT_FALSE(ZelInputDlg::OkEnabled("", false));
  EXPECT_TRUE(ZelInputDlg::OkEnabled(" a ", false));
  EXPECT_TRUE(ZelInputDlg::OkEnabled("   ", true));
  EXPECT_TRUE(ZelInputDlg::OkEnabled("", true));
}

TEST(InputDialogRules, LayoutPutsCancelInTheCornerAndOkLeftOfIt) {
  const auto layout = ZelInputDlg::Arrange(ZelInputDlg::TextDialogDesign(), 300, 102, true);
  EXPECT_EQ(layout.Cancel.Left, 300 - 80 - 6);
  EXPECT_EQ(layout.Cancel.Top, 102 - 26 - 6);
  EXPECT_EQ(layout.Ok.Right, layout.Cancel.Left - 6 - 1);
  EXPECT_EQ(layout.Ok.Top, layout.Cancel.Top);
  EXPECT_EQ(layout.Edit.Left, 6);
  EXPECT_EQ(layout.Edit.Width(), 300 - 12);
  const auto numeric = ZelInputDlg::Arrange(ZelInputDlg::NumericDialogDesign(), 400, 104, false);
  EXPECT_EQ(numeric.Edit.Width(), 75);
  EXPECT_EQ(numeric.Cancel.Left, 400 - 80 - 6);
  EXPECT_TRUE(ZelInputDlg::NumberInRange(200, 5, 5));
  EXPECT_FALSE(ZelInputDlg::NumberInRange(200, 0, 127));
}

TEST(Skins, FiveStylesByIndexAndNameWithCarbonForAnythingElse) {
  const char* names[] = {"Carbon", "Amakrits", "Light", "Luna", "Smokey Quartz Kamri"};
  for (int i = 0; i < ZelSkins::Count; ++i) {
    EXPECT_EQ(ZelSkins::StyleName(i), names[i]);
    ASSERT_NE(ZelSkins::ByName(names[i]), nullptr);
    EXPECT_EQ(ZelSkins::ByName(names[i])->Index, i);
  }
  EXPECT_EQ(ZelSkins::StyleName(7), "Carbon");
  EXPECT_EQ(ZelSkins::StyleName(-1), "Carbon");
  EXPECT_EQ(ZelSkins::ByName("carbon"), nullptr);
  EXPECT_EQ(ZelSkins::ByName("Amakrits")->LineColor, 0x616161u);
  EXPECT_EQ(ZelSkins::ByName("Light")->LineColor, 0xC6C6C6u);
  EXPECT_EQ(ZelSkins::ByName("Carbon")->LineColor, 0x515151u);
}
