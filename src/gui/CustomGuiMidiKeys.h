// CustomGuiMidiKeys: the piano keyboard's rules without a display: key records, geometry, hit test, pin
// modes.
#pragma once

#include "gui/ZelIntList.h"
#include "gui/ZelSkin.h"
#include "gui/ZelTypes.h"

#include <array>
#include <cstdint>
#include <functional>

enum TPinMode : int32_t { pmdNone = 0, pmdSingle = 1, pmdMulti = 2 };

using TGuiKeyFlags = uint8_t;
inline constexpr TGuiKeyFlags kfBlack = 1u << 0;
inline constexpr TGuiKeyFlags kfVisible = 1u << 1;
inline constexpr TGuiKeyFlags kfDown = 1u << 2;
inline constexpr TGuiKeyFlags kfHover = 1u << 3;
inline constexpr TGuiKeyFlags kfMouseDown = 1u << 4; // held by the mouse
inline constexpr TGuiKeyFlags kfPinned = 1u << 5;

struct TGuiSingleKey {
  uint8_t KeyNo = 0;
  TGuiKeyFlags Flags = 0;
  TRect Area;
  TColor NormalColor = clNone;
  TColor DownColor = clNone;
  TColor HoverColor = clNone;
  float Level = 1.0f;

  bool Has(TGuiKeyFlags flag) const { return (Flags & flag) != 0; }
  bool IsBlack() const { return Has(kfBlack); }
  bool IsVisible() const { return Has(kfVisible); }
};

// The general keyboard control's behaviour as this program uses it: flat keys, no key-zone bar. The
// component around it translates mouse events and paints; everything that decides is here.
class TCustomGuiMidiKeys : public TObject {
public:
  static constexpr int32_t KeyCount = 134;
  static constexpr int32_t RedrawIntervalMs = 50;

  using TKeyEvent = std::function<void(TObject* sender, int32_t keyNo)>;
  using TAllowKeyDownEvent = std::function<void(TObject* sender, int32_t keyNo, bool& Continue)>;
  using TKeyMouseEnterEvent =
      std::function<void(TObject* sender, uint8_t keyNr, TShiftState shift, int x, int y)>;
  using TKeyMouseLeaveEvent = std::function<void(TObject* sender, uint8_t keyNr)>;
  using TMouseOnKeyEvent = std::function<void(TObject* sender, uint8_t keyNr, TMouseButton button,
                                              TShiftState shift, int x, int y)>;
  using TGetKeyColorEvent =
      std::function<void(TObject* sender, uint8_t keyNr, TColor& keyColor, bool isBlackKey)>;

  TCustomGuiMidiKeys();

  TAllowKeyDownEvent OnAllowKeyDown;
  TKeyEvent OnKeyPressed;
  TKeyEvent OnKeyReleased;
  TKeyEvent OnKeyPinned;
  TKeyEvent OnKeyUnpinned;
  TGetKeyColorEvent OnGetKeyColor;
  TKeyMouseEnterEvent OnKeyMouseEnter;
  TKeyMouseLeaveEvent OnKeyMouseLeave;
  TMouseOnKeyEvent OnMouseDownOnMidiKey;
  TMouseOnKeyEvent OnMouseUpOnMidiKey;
  // Called when the control must repaint now (mouse presses and releases).
  std::function<void()> OnRepaintNow;

  // The object handed to event handlers as Sender (the component that owns this model).
  void SetSender(TObject* sender) { FSender = sender; }

  void SetBounds(int32_t width, int32_t height);
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }

  uint8_t BaseOctave() const { return FBaseOctave; }
  uint8_t NumOctaves() const { return FNumOctaves; }
  bool IncludeLastOctave() const { return FIncludeLastOctave; }
  float BlackKeyHeight() const { return FBlackKeyHeight; }
  // A value that would make BaseOctave + NumOctaves 11 or more is ignored.
  void SetBaseOctave(uint8_t value);
  void SetNumOctaves(uint8_t value);
  void SetIncludeLastOctave(bool value);
  void SetBlackKeyHeight(float value);
  float Height3D() const { return 0.0f; }

  TPinMode PinMode() const { return FPinMode; }
  void SetPinMode(TPinMode mode) { FPinMode = mode; }
  bool DragAllowed() const { return FPinMode == pmdNone; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool enabled) { FEnabled = enabled; }

  const TGuiSingleKey& Key(int32_t keyNo) const { return FKeys[static_cast<size_t>(keyNo)]; }
  TGuiSingleKey& Key(int32_t keyNo) { return FKeys[static_cast<size_t>(keyNo)]; }
  const TZelIntList& PressedKeys() const { return FPressed; }
  const TZelIntList& PinnedKeys() const { return FPinned; }

  // Notify = true: the action counts as the user's own and its events fire.
  void PinKey(int32_t key, bool notify);
  bool PressKey(int32_t key, bool notify);
  void ReleaseKey(int32_t key, bool notify);
  void UnpinKey(int32_t key, bool notify);
  void UnpinAll();

  // The key under a point, or -1.
  int32_t KeyAt(int32_t x, int32_t y) const;

  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  void MouseMove(TShiftState shift, int32_t x, int32_t y);
  void MouseLeave();
  bool Dragging() const { return FDragging; }

  // Palette from the active style; null is the system look.
  void SetStyle(const TZelSkin* skin);
  const TZelKeysPalette& Palette() const { return FPalette; }
  // The fill colour of a key for its state, before OnGetKeyColor.
  TColor KeyFillColor(int32_t keyNo) const;
  // The fill colour after OnGetKeyColor.
  TColor KeyPaintColor(int32_t keyNo);
  // The font colour for text drawn on a key.
  TColor KeyTextColor(int32_t keyNo) const;

  // Programmatic changes only mark a repaint; the 50 ms timer carries it out.
  bool RepaintPending() const { return FRepaintPending; }
  void RequestRepaint() { FRepaintPending = true; }
  // Timer tick: true when a pending repaint is due now (and the flag is cleared).
  bool TakeRepaint();

private:
  void ComputeGeometry();
  void ReleaseMouseKeys(int32_t except);
  void RepaintNow();
  void SetFlag(int32_t key, TGuiKeyFlags flag, bool on);
  bool ValidKey(int32_t key) const { return key >= 0 && key < KeyCount; }

  TObject* FSender = this;
  std::array<TGuiSingleKey, KeyCount> FKeys;
  TZelIntList FPressed;
  TZelIntList FPinned;
  int32_t FCtrlKey = -1; // held by a Ctrl-click, -1 when none
  TPinMode FPinMode = pmdNone;
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  uint8_t FBaseOctave = 3;
  uint8_t FNumOctaves = 3;
  bool FIncludeLastOctave = false;
  float FBlackKeyHeight = 0.63f;
  bool FEnabled = true;
  bool FDragging = false;
  TMouseButton FDragButton = mbLeft;
  bool FRepaintPending = false;
  TZelKeysPalette FPalette;
};
