// The piano keyboard's rules: geometry, hit test, pin modes, Ctrl-clicks, events and palette.
#include "gui/CustomGuiMidiKeys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// A keyboard with recorded events, sized like the editor's chord keyboard.
struct TRecordedKeys {
  TCustomGuiMidiKeys Keys;
  std::vector<std::string> Events;

  explicit TRecordedKeys(TPinMode mode, uint8_t baseOctave = 3, uint8_t octaves = 3, int width = 421,
                         int height = 80) {
    Keys.SetBaseOctave(baseOctave);
    Keys.SetNumOctaves(octaves);
    Keys.SetBounds(width, height);
    Keys.SetPinMode(mode);
    auto record = [this](const char* what) {
      return [this, what](TObject*, int32_t key) {
        Events.push_back(std::string(what) + std::to_string(key));
      };
    };
    Keys.OnKeyPressed = record("pressed ");
    Keys.OnKeyReleased = record("released ");
    Keys.OnKeyPinned = record("pinned ");
    Keys.OnKeyUnpinned = record("unpinned ");
    Keys.OnMouseDownOnMidiKey = [this](TObject*, uint8_t key, TMouseButton, TShiftState, int, int) {
      Events.push_back("down " + std::to_string(key));
    };
    Keys.OnMouseUpOnMidiKey = [this](TObject*, uint8_t key, TMouseButton, TShiftState, int, int) {
      Events.push_back("up " + std::to_string(key));
    };
  }
  // The middle of a key's area, away from black keys for white ones.
  std::pair<int, int> PointOn(int key) const {
    const TRect& a = Keys.Key(key).Area;
    const int y = Keys.Key(key).IsBlack() ? (a.Top + a.Bottom) / 2 : a.Bottom - 3;
    return {(a.Left + a.Right) / 2, y};
  }
  void Click(int key, TShiftState shift = 0, TMouseButton button = mbLeft) {
    auto [x, y] = PointOn(key);
    Keys.MouseDown(button, shift | ssLeft, x, y);
    Keys.MouseUp(button, shift, x, y);
  }
  std::vector<std::string> Take() {
    std::vector<std::string> taken;
    taken.swap(Events);
    return taken;
  }
};

using Strings = std::vector<std::string>;
} // namespace

TEST(MidiKeysGeometry, WhiteKeysSplitTheWidthWithOnePixelGaps) {
  TCustomGuiMidiKeys keys;
  keys.SetBounds(211, 60); // 3 octaves from C3: 21 white keys, f = 10
  const TRect& c = keys.Key(36).Area;
  const TRect& d = keys.Key(38).Area;
  EXPECT_EQ(c.Left, 1);
  EXPECT_EQ(c.Right, 9);
  EXPECT_EQ(d.Left, 11);
  EXPECT_EQ(d.Right, 19);
  EXPECT_EQ(c.Top, 1);
  EXPECT_EQ(c.Bottom, 59);
  EXPECT_EQ(keys.Key(71).Area.Right, 209); // the last B ends at round(21 * 10) - 1
}

TEST(MidiKeysGeometry, BlackKeysSitOnTheWhiteKeyBelowByTheirOffset) {
  TCustomGuiMidiKeys keys;
  keys.SetBounds(211, 60);
  const double b = (211 - 2) / 36.0 + 3; // black width
  const TRect& cSharp = keys.Key(37).Area;
  EXPECT_EQ(cSharp.Left, static_cast<int>(9 - b * 2.0 / 3.0));
  EXPECT_EQ(cSharp.Right, static_cast<int>(RoundHalfEven(cSharp.Left + b)));
  EXPECT_EQ(cSharp.Bottom, static_cast<int>(RoundHalfEven(59 * 0.63 + 1)));
  const TRect& dSharp = keys.Key(39).Area;
  EXPECT_EQ(dSharp.Left, static_cast<int>(19 - b / 3.0));
  const TRect& gSharp = keys.Key(44).Area;
  EXPECT_EQ(gSharp.Left, static_cast<int>(keys.Key(43).Area.Right - b / 2.0));
}

TEST(MidiKeysGeometry, OnlyTheRangeIsVisibleAndIncludeLastOctaveAddsOneWhiteKey) {
  TCustomGuiMidiKeys keys;
  keys.SetBounds(211, 60);
  EXPECT_FALSE(keys.Key(35).IsVisible());
  EXPECT_TRUE(keys.Key(36).IsVisible());
  EXPECT_TRUE(keys.Key(71).IsVisible());
  EXPECT_FALSE(keys.Key(72).IsVisible());
  EXPECT_TRUE(keys.Key(72).Area.IsEmpty());
  keys.SetIncludeLastOctave(true);
  EXPECT_TRUE(keys.Key(72).IsVisible());
  EXPECT_FALSE(keys.Key(73).IsVisible());
  EXPECT_EQ(keys.Key(72).Area.Right, 209); // 22 white keys now share the same width
}

TEST(MidiKeysGeometry, RangeBeyondTheTopOctaveIsIgnored) {
  TCustomGuiMidiKeys keys;
  keys.SetBaseOctave(0);
  keys.SetNumOctaves(11);
  EXPECT_EQ(keys.NumOctaves(), 3);
  keys.SetNumOctaves(10);
  EXPECT_EQ(keys.NumOctaves(), 10);
  keys.SetBaseOctave(1);
  EXPECT_EQ(keys.BaseOctave(), 0);
}

TEST(MidiKeysHitTest, BlackKeysWinOverTheirNeighboursAndEdgesHitNothing) {
  TRecordedKeys k(pmdNone);
  const TRect& cSharp = k.Keys.Key(37).Area;
  // The part of C# over the C key belongs to C#; below the black keys the white key hits.
  EXPECT_EQ(k.Keys.KeyAt(cSharp.Left, cSharp.Top + 2), 37);
  EXPECT_EQ(k.Keys.KeyAt(cSharp.Right, cSharp.Bottom), 37);
  EXPECT_EQ(k.Keys.KeyAt(cSharp.Left, cSharp.Bottom + 1), 36);
  EXPECT_EQ(k.Keys.KeyAt(cSharp.Right, cSharp.Bottom + 1), 38);
  EXPECT_EQ(k.Keys.KeyAt(0, 70), -1);
  EXPECT_EQ(k.Keys.KeyAt(420, 70), -1);
  // The gap between two white keys belongs to neither.
  EXPECT_EQ(k.Keys.KeyAt(k.Keys.Key(36).Area.Right + 1, 75), -1);
}

TEST(MidiKeysMouse, ClicksOnTheOutermostRowsChangeNothing) {
  TRecordedKeys k(pmdMulti);
  auto [x, y] = k.PointOn(40);
  k.Keys.MouseDown(mbLeft, ssLeft, x, 0);
  k.Keys.MouseDown(mbLeft, ssLeft, x, 79);
  k.Keys.MouseDown(mbLeft, ssLeft, 0, y);
  EXPECT_TRUE(k.Take().empty());
  EXPECT_EQ(k.Keys.PinnedKeys().Count(), 0);
}

TEST(MidiKeysPinning, SingleModeMovesThePinAndIgnoresTheSameKey) {
  TRecordedKeys k(pmdSingle);
  k.Click(40);
  EXPECT_EQ(k.Take(), (Strings{"pinned 40", "down 40", "up 40"}));
  k.Click(40);
  EXPECT_EQ(k.Take(), (Strings{"down 40", "up 40"}));
  k.Click(43);
  // The old key goes silently; only the new pin is reported.
  EXPECT_EQ(k.Take(), (Strings{"pinned 43", "down 43", "up 43"}));
  EXPECT_EQ(k.Keys.PinnedKeys().Items(), (std::vector<int32_t>{43}));
  EXPECT_FALSE(k.Keys.Key(40).Has(kfDown));
  EXPECT_TRUE(k.Keys.Key(43).Has(kfPinned));
}

TEST(MidiKeysPinning, MultiModeTogglesEachKey) {
  TRecordedKeys k(pmdMulti);
  k.Click(40);
  k.Click(44);
  k.Click(40);
  EXPECT_EQ(k.Take(), (Strings{"pinned 40", "down 40", "up 40", "pinned 44", "down 44", "up 44",
                               "unpinned 40", "down 40", "up 40"}));
  EXPECT_EQ(k.Keys.PinnedKeys().Items(), (std::vector<int32_t>{44}));
}

TEST(MidiKeysPinning, ProgramPinInSingleModeLeavesExactlyOnePinnedKey) {
  TRecordedKeys k(pmdSingle);
  k.Keys.PinKey(40, false);
  k.Keys.PinKey(45, false);
  k.Keys.PinKey(47, false);
  EXPECT_EQ(k.Keys.PinnedKeys().Items(), (std::vector<int32_t>{47}));
  EXPECT_TRUE(k.Take().empty());
  EXPECT_TRUE(k.Keys.RepaintPending());
  EXPECT_TRUE(k.Keys.TakeRepaint());
  EXPECT_FALSE(k.Keys.TakeRepaint());
}

TEST(MidiKeysPinning, CtrlClickPressesOnlyWhileHeldAndRestoresThePin) {
  TRecordedKeys k(pmdSingle);
  k.Keys.PinKey(40, false);
  auto [x, y] = k.PointOn(40);
  k.Keys.MouseDown(mbLeft, ssLeft | ssCtrl, x, y);
  EXPECT_TRUE(k.Keys.PressedKeys().Contains(40));
  EXPECT_EQ(k.Keys.Key(40).DownColor, k.Keys.Palette().Pressed);
  k.Keys.MouseUp(mbLeft, ssCtrl, x, y);
  EXPECT_EQ(k.Take(), (Strings{"pressed 40", "down 40", "released 40", "pinned 40", "up 40"}));
  EXPECT_FALSE(k.Keys.PressedKeys().Contains(40));
  EXPECT_TRUE(k.Keys.Key(40).Has(kfPinned));
  EXPECT_EQ(k.Keys.Key(40).DownColor, k.Keys.Palette().Pinned);
}

TEST(MidiKeysPinning, CtrlClickReleasedOutsideTheKeysStillReleases) {
  TRecordedKeys k(pmdMulti);
  auto [x, y] = k.PointOn(41);
  k.Keys.MouseDown(mbLeft, ssLeft | ssCtrl, x, y);
  k.Keys.MouseUp(mbLeft, ssCtrl, -20, y);
  EXPECT_EQ(k.Take(), (Strings{"pressed 41", "down 41", "released 41"}));
  EXPECT_EQ(k.Keys.PinnedKeys().Count(), 0);
}

TEST(MidiKeysPinning, VetoedCtrlClickChangesNothing) {
  TRecordedKeys k(pmdSingle);
  k.Keys.OnAllowKeyDown = [](TObject*, int32_t, bool& proceed) {
    proceed = false;
  };
  k.Click(40, ssCtrl);
  EXPECT_EQ(k.Take(), (Strings{"down 40", "up 40"}));
  EXPECT_EQ(k.Keys.PressedKeys().Count(), 0);
  EXPECT_FALSE(k.Keys.Key(40).Has(kfDown));
}

TEST(MidiKeysPinning, RightAndMiddleButtonsOnlyReportTheirClicks) {
  TRecordedKeys k(pmdMulti);
  k.Click(40, 0, mbRight);
  k.Click(41, 0, mbMiddle);
  EXPECT_EQ(k.Take(), (Strings{"down 40", "up 40", "down 41", "up 41"}));
  EXPECT_EQ(k.Keys.PinnedKeys().Count(), 0);
  EXPECT_EQ(k.Keys.PressedKeys().Count(), 0);
}

TEST(MidiKeysPinning, UnpinningAPressedKeyLeavesItPressed) {
  TRecordedKeys k(pmdMulti);
  k.Keys.PressKey(45, false);
  k.Keys.PinKey(45, false);
  k.Keys.UnpinKey(45, false);
  EXPECT_TRUE(k.Keys.PressedKeys().Contains(45));
  EXPECT_TRUE(k.Keys.Key(45).Has(kfDown));
  EXPECT_FALSE(k.Keys.Key(45).Has(kfPinned));
  EXPECT_EQ(k.Keys.Key(45).DownColor, k.Keys.Palette().Pressed);
}

TEST(MidiKeysDragging, DragInNoneModeGlidesFromKeyToKey) {
  TRecordedKeys k(pmdNone);
  auto [x1, y1] = k.PointOn(36);
  auto [x2, y2] = k.PointOn(38);
  k.Keys.MouseDown(mbLeft, ssLeft, x1, y1);
  k.Keys.MouseMove(ssLeft, x1 + 1, y1); // same key: no retrigger
  k.Keys.MouseMove(ssLeft, x2, y2);
  k.Keys.MouseUp(mbLeft, 0, x2, y2);
  EXPECT_EQ(k.Take(),
            (Strings{"pressed 36", "down 36", "released 36", "pressed 38", "released 38", "up 38"}));
  EXPECT_EQ(k.Keys.PressedKeys().Count(), 0);
}

TEST(MidiKeysHover, PointerEntersAndLeavesKeys) {
  TRecordedKeys k(pmdMulti);
  std::vector<std::string> hover;
  k.Keys.OnKeyMouseEnter = [&](TObject*, uint8_t key, TShiftState, int, int) {
    hover.push_back("enter " + std::to_string(key));
  };
  k.Keys.OnKeyMouseLeave = [&](TObject*, uint8_t key) {
    hover.push_back("leave " + std::to_string(key));
  };
  auto [x1, y1] = k.PointOn(36);
  auto [x2, y2] = k.PointOn(37);
  k.Keys.MouseMove(0, x1, y1);
  k.Keys.MouseMove(0, x1, y1 - 1);
  k.Keys.MouseMove(0, x2, y2);
  EXPECT_EQ(hover, (Strings{"enter 36", "leave 36", "enter 37"}));
  k.Keys.MouseLeave();
  EXPECT_FALSE(k.Keys.Key(37).Has(kfHover));
}

TEST(MidiKeysPalette, StylesGiveTheirColoursAndBlackKeysDarkenThePressedColour) {
  TCustomGuiMidiKeys keys;
  keys.SetBounds(211, 60);
  keys.SetStyle(&ZelSkins::ByIndex(0));
  EXPECT_EQ(keys.Palette().Pressed, 0x618D23u);
  EXPECT_EQ(keys.Palette().Pinned, 0x2C708Eu);
  EXPECT_EQ(keys.Palette().Border, 0x3A3A3Au);
  EXPECT_EQ(keys.KeyFillColor(36), 0xF8F8F8u);
  EXPECT_EQ(keys.KeyFillColor(37), 0x333333u);
  keys.Key(37).Flags |= kfDown; // down without an override: the darkened default
  EXPECT_EQ(keys.KeyFillColor(37), DarkenColor(0x618D23, 15));
  EXPECT_EQ(DarkenColor(0x618D23, 15), RGBColor(0x52, 0x78, 0x1E));
  keys.SetStyle(nullptr);
  EXPECT_EQ(keys.Palette().Pressed, 0x808080u);
  keys.SetStyle(ZelSkins::ByName("Smokey Quartz Kamri"));
  EXPECT_EQ(keys.Palette().Pinned, 0xF28A60u);
}

TEST(MidiKeysPalette, KeyTextFollowsPressedPinnedAndKeyColour) {
  TCustomGuiMidiKeys keys;
  keys.SetStyle(&ZelSkins::ByIndex(2));
  keys.SetBounds(211, 60);
  EXPECT_EQ(keys.KeyTextColor(36), 0x333333u);
  EXPECT_EQ(keys.KeyTextColor(37), DarkenColor(0xF8F8F8, 10));
  keys.PinKey(37, false);
  EXPECT_EQ(keys.KeyTextColor(37), 0x333333u);
}
