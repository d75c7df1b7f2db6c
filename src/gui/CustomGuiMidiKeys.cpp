#include "gui/CustomGuiMidiKeys.h"

#include <cmath>

namespace {
bool IsBlackKeyNo(int32_t keyNo) {
  switch (keyNo % 12) {
  case 1:
  case 3:
  case 6:
  case 8:
  case 10:
    return true;
  default:
    return false;
  }
}

// Where a black key's left edge sits on the white key below it, as a fraction of the black width.
double BlackKeyOffset(int32_t keyNo) {
  switch (keyNo % 12) {
  case 1:
  case 6:
    return 2.0 / 3.0;
  case 3:
  case 10:
    return 1.0 / 3.0;
  default:
    return 0.5;
  }
}
} // namespace

TCustomGuiMidiKeys::TCustomGuiMidiKeys() {
  for (int32_t i = 0; i < KeyCount; ++i) {
    FKeys[static_cast<size_t>(i)].KeyNo = static_cast<uint8_t>(i);
    FKeys[static_cast<size_t>(i)].Flags = IsBlackKeyNo(i) ? kfBlack : 0;
  }
  ComputeGeometry();
}

void TCustomGuiMidiKeys::SetBounds(int32_t width, int32_t height) {
  FWidth = width;
  FHeight = height;
  ComputeGeometry();
}

void TCustomGuiMidiKeys::SetBaseOctave(uint8_t value) {
  if (value + FNumOctaves >= 11 || value == FBaseOctave) {
    return;
  }
  FBaseOctave = value;
  ComputeGeometry();
  RequestRepaint();
}

void TCustomGuiMidiKeys::SetNumOctaves(uint8_t value) {
  if (FBaseOctave + value >= 11 || value == FNumOctaves) {
    return;
  }
  FNumOctaves = value;
  ComputeGeometry();
  RequestRepaint();
}

void TCustomGuiMidiKeys::SetIncludeLastOctave(bool value) {
  if (value == FIncludeLastOctave) {
    return;
  }
  FIncludeLastOctave = value;
  ComputeGeometry();
  RequestRepaint();
}

void TCustomGuiMidiKeys::SetBlackKeyHeight(float value) {
  if (value == FBlackKeyHeight) {
    return;
  }
  FBlackKeyHeight = value;
  ComputeGeometry();
  RequestRepaint();
}

void TCustomGuiMidiKeys::ComputeGeometry() {
  const int32_t first = 12 * FBaseOctave;
  const int32_t lastOctaveKey = FIncludeLastOctave ? 1 : 0;
  const int32_t last = first + 12 * FNumOctaves + lastOctaveKey - 1;
  const int32_t whiteCount = 7 * FNumOctaves + lastOctaveKey;
  const int32_t top = 1;
  const double whiteWidth = whiteCount > 0 ? (FWidth - 1) / static_cast<double>(whiteCount) : 0.0;
  const double blackWidth = FNumOctaves > 0 ? (FWidth - 2) / (12.0 * FNumOctaves) + 3.0 : 0.0;
  const int32_t blackBottom = static_cast<int32_t>(RoundHalfEven((FHeight - 1) * FBlackKeyHeight + 1.0));

  int32_t whiteIndex = 0;
  int32_t previousWhiteRight = -1; // so the first white key starts at x = 1
  for (int32_t keyNo = 0; keyNo < KeyCount; ++keyNo) {
    TGuiSingleKey& key = FKeys[static_cast<size_t>(keyNo)];
    const bool visible = keyNo >= first && keyNo <= last;
    key.Flags = static_cast<TGuiKeyFlags>(visible ? (key.Flags | kfVisible) : (key.Flags & ~kfVisible));
    if (!visible) {
      // Empty areas: keys below the range at the left edge, keys above it at the right edge.
      int32_t x = keyNo < first ? 0 : FWidth;
      key.Area = TRect{x, 0, x - 1, -1};
      continue;
    }
    if (!key.IsBlack()) {
      ++whiteIndex;
      key.Area.Left = previousWhiteRight + 2;
      key.Area.Right = static_cast<int32_t>(RoundHalfEven(whiteIndex * whiteWidth)) - 1;
      key.Area.Top = top;
      key.Area.Bottom = FHeight - 1;
      previousWhiteRight = key.Area.Right;
    } else {
      // The white key just below a black key is always the one before it.
      const double left = std::trunc(previousWhiteRight - blackWidth * BlackKeyOffset(keyNo));
      key.Area.Left = static_cast<int32_t>(left);
      key.Area.Right = static_cast<int32_t>(RoundHalfEven(left + blackWidth));
      key.Area.Top = top;
      key.Area.Bottom = blackBottom;
    }
  }
}

int32_t TCustomGuiMidiKeys::KeyAt(int32_t x, int32_t y) const {
  if (x <= 0 || x >= FWidth - 1) {
    return -1;
  }
  for (int32_t keyNo = 0; keyNo < KeyCount; ++keyNo) {
    const TGuiSingleKey& key = FKeys[static_cast<size_t>(keyNo)];
    if (!key.IsVisible() || !key.Area.Contains(x, y)) {
      continue;
    }
    if (!key.IsBlack() && keyNo + 1 < KeyCount) {
      const TGuiSingleKey& above = FKeys[static_cast<size_t>(keyNo + 1)];
      if (above.IsBlack() && above.IsVisible() && above.Area.Contains(x, y)) {
        continue;
      }
    }
    return keyNo;
  }
  return -1;
}

void TCustomGuiMidiKeys::SetFlag(int32_t key, TGuiKeyFlags flag, bool on) {
  TGuiSingleKey& k = FKeys[static_cast<size_t>(key)];
  k.Flags = static_cast<TGuiKeyFlags>(on ? (k.Flags | flag) : (k.Flags & ~flag));
}

void TCustomGuiMidiKeys::PinKey(int32_t key, bool notify) {
  if (!ValidKey(key)) {
    return;
  }
  if (!notify && FPinMode == pmdSingle) {
    UnpinAll();
  }
  FKeys[static_cast<size_t>(key)].DownColor = FPalette.Pinned;
  FPinned.Add(key);
  SetFlag(key, kfDown, true);
  SetFlag(key, kfPinned, true);
  if (notify) {
    SetFlag(key, kfMouseDown, true);
    if (OnKeyPinned) {
      OnKeyPinned(FSender, key);
    }
  } else {
    RequestRepaint();
  }
}

bool TCustomGuiMidiKeys::PressKey(int32_t key, bool notify) {
  if (!ValidKey(key)) {
    return false;
  }
  if (notify && OnAllowKeyDown) {
    bool allow = true;
    OnAllowKeyDown(FSender, key, allow);
    if (!allow) {
      return false;
    }
  }
  FKeys[static_cast<size_t>(key)].DownColor = FPalette.Pressed;
  FPressed.Add(key);
  SetFlag(key, kfDown, true);
  if (notify) {
    SetFlag(key, kfMouseDown, true);
    if (OnKeyPressed) {
      OnKeyPressed(FSender, key);
    }
  } else {
    RequestRepaint();
  }
  return true;
}

void TCustomGuiMidiKeys::ReleaseKey(int32_t key, bool notify) {
  if (!ValidKey(key)) {
    return;
  }
  // A program release leaves a key alone while the mouse still holds it.
  if (notify || !Key(key).Has(kfMouseDown)) {
    SetFlag(key, kfDown, false);
    SetFlag(key, kfMouseDown, false);
    SetFlag(key, kfPinned, false);
  }
  FPressed.Remove(key);
  if (notify) {
    if (OnKeyReleased) {
      OnKeyReleased(FSender, key);
    }
  } else {
    RequestRepaint();
  }
  if (FPinned.Contains(key)) {
    PinKey(key, notify);
  }
}

void TCustomGuiMidiKeys::UnpinKey(int32_t key, bool notify) {
  if (!ValidKey(key)) {
    return;
  }
  SetFlag(key, kfDown, false);
  SetFlag(key, kfMouseDown, false);
  SetFlag(key, kfPinned, false);
  FPinned.Remove(key);
  if (notify) {
    if (OnKeyUnpinned) {
      OnKeyUnpinned(FSender, key);
    }
  } else {
    RequestRepaint();
  }
  if (FPressed.Contains(key)) {
    PressKey(key, false);
  }
}

void TCustomGuiMidiKeys::UnpinAll() {
  for (int32_t i = FPinned.Count() - 1; i >= 0; --i) {
    if (i < FPinned.Count()) {
      UnpinKey(FPinned[i], false);
    }
  }
  FPinned.Clear();
}

void TCustomGuiMidiKeys::ReleaseMouseKeys(int32_t except) {
  for (int32_t keyNo = 0; keyNo < KeyCount; ++keyNo) {
    const TGuiSingleKey& key = FKeys[static_cast<size_t>(keyNo)];
    if (keyNo != except && key.Has(kfDown) && key.Has(kfMouseDown) && !key.Has(kfPinned)) {
      ReleaseKey(keyNo, true);
    }
  }
}

void TCustomGuiMidiKeys::RepaintNow() {
  FRepaintPending = false;
  if (OnRepaintNow) {
    OnRepaintNow();
  }
}

void TCustomGuiMidiKeys::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  if (!FEnabled || x <= 0 || x >= FWidth - 1 || y <= 0 || y >= FHeight - 1) {
    return;
  }
  const int32_t key = KeyAt(x, y);
  if (key < 0) {
    return;
  }
  if (button == mbLeft) {
    const bool ctrl = InShift(shift, ssCtrl);
    const TGuiSingleKey& k = Key(key);
    switch (FPinMode) {
    case pmdNone:
      PressKey(key, true);
      break;
    case pmdSingle:
      if (ctrl) {
        if (PressKey(key, true)) {
          FCtrlKey = key;
        }
      } else if (!(k.Has(kfDown) && k.Has(kfPinned))) {
        UnpinAll();
        PinKey(key, true);
      }
      break;
    case pmdMulti:
      if (ctrl) {
        if (PressKey(key, true)) {
          FCtrlKey = key;
        }
      } else if (k.Has(kfDown) && k.Has(kfPinned)) {
        UnpinKey(key, true);
      } else {
        PinKey(key, true);
      }
      break;
    }
  }
  if (OnMouseDownOnMidiKey) {
    OnMouseDownOnMidiKey(FSender, static_cast<uint8_t>(key), button, shift, x, y);
  }
  if (FPinMode == pmdNone) {
    FDragging = true;
    FDragButton = button;
  }
  RepaintNow();
}

void TCustomGuiMidiKeys::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  if (FDragging && button == FDragButton) {
    FDragging = false;
    ReleaseMouseKeys(-1);
  }
  const bool insideBorder = x > 0 && x < FWidth - 1 && y > 0 && y < FHeight - 1;
  const int32_t key = insideBorder ? KeyAt(x, y) : -1;
  if (key >= 0) {
    if (FCtrlKey >= 0) {
      int32_t held = FCtrlKey;
      FCtrlKey = -1;
      ReleaseKey(held, true);
    }
    if (OnMouseUpOnMidiKey) {
      OnMouseUpOnMidiKey(FSender, static_cast<uint8_t>(key), button, shift, x, y);
    }
  }
  if (FCtrlKey >= 0) {
    int32_t held = FCtrlKey;
    FCtrlKey = -1;
    ReleaseKey(held, true);
  }
  RepaintNow();
}

void TCustomGuiMidiKeys::MouseMove(TShiftState shift, int32_t x, int32_t y) {
  const int32_t key = KeyAt(x, y);
  if (FDragging && FPinMode == pmdNone && FDragButton != mbRight) {
    ReleaseMouseKeys(key);
    // A key the drag already holds is not pressed again, so it does not retrigger on every move.
    if (key >= 0 && !(Key(key).Has(kfDown) && Key(key).Has(kfMouseDown))) {
      PressKey(key, true);
    }
    RequestRepaint();
    return;
  }
  bool changed = false;
  for (int32_t keyNo = 0; keyNo < KeyCount; ++keyNo) {
    if (keyNo != key && Key(keyNo).Has(kfHover)) {
      SetFlag(keyNo, kfHover, false);
      changed = true;
      if (OnKeyMouseLeave) {
        OnKeyMouseLeave(FSender, static_cast<uint8_t>(keyNo));
      }
    }
  }
  if (key >= 0 && !Key(key).Has(kfHover)) {
    SetFlag(key, kfHover, true);
    changed = true;
    if (OnKeyMouseEnter) {
      OnKeyMouseEnter(FSender, static_cast<uint8_t>(key), shift, x, y);
    }
  }
  if (changed) {
    RequestRepaint();
  }
}

void TCustomGuiMidiKeys::MouseLeave() {
  bool changed = false;
  for (int32_t keyNo = 0; keyNo < KeyCount; ++keyNo) {
    if (Key(keyNo).Has(kfHover)) {
      SetFlag(keyNo, kfHover, false);
      changed = true;
    }
  }
  if (changed) {
    RequestRepaint();
  }
}

void TCustomGuiMidiKeys::SetStyle(const TZelSkin* skin) {
  const TZelKeysPalette previous = FPalette;
  FPalette = KeysPaletteFor(skin);
  // Keys pressed or pinned before the palette arrived take its colours.
  for (TGuiSingleKey& key : FKeys) {
    if (key.DownColor == previous.Pinned && key.Has(kfPinned)) {
      key.DownColor = FPalette.Pinned;
    } else if (key.DownColor == previous.Pressed) {
      key.DownColor = FPalette.Pressed;
    }
  }
  RequestRepaint();
}

TColor TCustomGuiMidiKeys::KeyFillColor(int32_t keyNo) const {
  const TGuiSingleKey& key = Key(keyNo);
  const TColor base = key.IsBlack() ? FPalette.BlackKey : FPalette.WhiteKey;
  if (key.Has(kfDown)) {
    if (key.DownColor != clNone) {
      return key.DownColor;
    }
    return key.IsBlack() ? DarkenColor(FPalette.Pressed, 15) : FPalette.Pressed;
  }
  if (key.Has(kfHover)) {
    return key.HoverColor != clNone ? key.HoverColor : base;
  }
  return key.NormalColor != clNone ? key.NormalColor : base;
}

TColor TCustomGuiMidiKeys::KeyPaintColor(int32_t keyNo) {
  TColor color = KeyFillColor(keyNo);
  if (OnGetKeyColor) {
    OnGetKeyColor(FSender, static_cast<uint8_t>(keyNo), color, Key(keyNo).IsBlack());
  }
  return color;
}

TColor TCustomGuiMidiKeys::KeyTextColor(int32_t keyNo) const {
  if (FPressed.Contains(keyNo) || FPinned.Contains(keyNo)) {
    return FPalette.KeyText;
  }
  return Key(keyNo).IsBlack() ? DarkenColor(FPalette.WhiteKey, 10) : FPalette.BlackKey;
}

bool TCustomGuiMidiKeys::TakeRepaint() {
  if (!FRepaintPending) {
    return false;
  }
  FRepaintPending = false;
  return true;
}
