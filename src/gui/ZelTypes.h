// ZelTypes: the small types every one of the maker's controls shares (colours, mouse, shift state, hooks).
#pragma once

#include "engine/ZelMidi.h" // RoundHalfEven: one rounding rule for the engine and the controls

#include <cmath>
#include <cstdint>
#include <functional>

// Base of every object that raises events, so handlers can tell which control called them.
class TObject {
public:
  virtual ~TObject() = default;
};

// 0xRRGGBB; clNone marks "no colour set".
using TColor = uint32_t;
inline constexpr TColor clNone = 0xFFFFFFFFu;
constexpr TColor RGBColor(uint32_t r, uint32_t g, uint32_t b) {
  return (r << 16) | (g << 8) | b;
}
constexpr uint32_t RedOf(TColor c) {
  return (c >> 16) & 0xFF;
}
constexpr uint32_t GreenOf(TColor c) {
  return (c >> 8) & 0xFF;
}
constexpr uint32_t BlueOf(TColor c) {
  return c & 0xFF;
}

// Each of red, green and blue reduced by percent of itself, rounded.
TColor DarkenColor(TColor color, int percent);

enum TMouseButton : int32_t { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// Modifier keys and mouse buttons held during an event.
using TShiftState = uint32_t;
inline constexpr TShiftState ssShift = 1u << 0;
inline constexpr TShiftState ssAlt = 1u << 1;
inline constexpr TShiftState ssCtrl = 1u << 2;
inline constexpr TShiftState ssLeft = 1u << 3;
inline constexpr TShiftState ssRight = 1u << 4;
inline constexpr TShiftState ssMiddle = 1u << 5;
inline constexpr TShiftState ssDouble = 1u << 6;
constexpr bool InShift(TShiftState shift, TShiftState flag) {
  return (shift & flag) != 0;
}

// The pre-click hook of the maker's controls: a handler that sets Continue to false consumes the press.
using TZelBeforeMouseDownEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift,
                                                    int x, int y, bool& Continue)>;
using TNotifyEvent = std::function<void(TObject* sender)>;

// Runs the pre-click hook when one is set; true when the press goes on.
inline bool AskBeforeMouseDown(const TZelBeforeMouseDownEvent& hook, TObject* sender, TMouseButton button,
                               TShiftState shift, int x, int y) {
  bool proceed = true;
  if (hook) {
    hook(sender, button, shift, x, y, proceed);
  }
  return proceed;
}

// Pixel rectangle with inclusive edges, as the keyboard geometry describes its keys.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = -1;
  int Bottom = -1;
  bool IsEmpty() const { return Right < Left || Bottom < Top; }
  bool Contains(int x, int y) const { return x >= Left && x <= Right && y >= Top && y <= Bottom; }
  int Width() const { return Right - Left + 1; }
  int Height() const { return Bottom - Top + 1; }
};
