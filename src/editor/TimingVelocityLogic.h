// TimingVelocityLogic: the rules of the timing and velocity rows without widgets: texts, value menus,
// parameter names and the random-range hand-over between a slider and its own parameter.
#pragma once

#include "gui/ZelPopupMenu.h"
#include "gui/ZelSliderModel.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class TVSTParameterValues;

namespace TimingVelocity {
inline constexpr int32_t RowCount = 5;
inline constexpr int32_t MaxDelayMs = 1000;
inline constexpr int32_t MenuValueCount = 26;
// Caption width of the value menu in characters; figure spaces pad the shorter numbers.
inline constexpr int32_t MenuCaptionWidth = 4;
inline constexpr const char* RandomSubmenuCaption = "Random";

// The kinds of the six parameters of one row, in parameter order.
enum TTimingKind : int32_t {
  tkStart = 0,
  tkStartRandom = 1,
  tkEnd = 2,
  tkEndRandom = 3,
  tkVelocityScale = 4,
  tkVelocityRandom = 5
};

// "Note" + (row + 1) + the kind's suffix, e.g. "Note2 Start Random" (row 0..4).
std::string ParameterName(int32_t row, TTimingKind kind);
// The row (0..4) and kind of a timing parameter's name; false for any other name.
bool ParseParameterName(std::string_view name, int32_t& row, TTimingKind& kind);
// A slider's random range travels as a parameter of its own; its name says so.
bool IsRandomParameter(std::string_view name);

// "120 ms", or "120 ms <=> 150 ms" with a range; both numbers rounded, halves to even.
std::string SliderText(float value, float random);
// A whole number with "+" before positives, U+2212 before negatives, 0 plain.
std::string SignedText(int32_t value);
// "Velocity Scale: +50% <=> +100%": the range is capped so that its top never passes +100%.
std::string VelocityScaleText(float scale, float velocityRandom);
// The info line for a parameter of the kind: value is the slider's value for Start/End, its range for
// the random kinds, the dial's value for the velocity kinds; velocityRandom is the row's stored
// velocity random (only the scale text uses it).
std::string InfoText(TTimingKind kind, float value, float velocityRandom);

// 1000, 950 .. 250 in fifties, then 225, 200 .. 0 in quarters of a hundred.
const std::array<int32_t, MenuValueCount>& MenuValues();
// The number padded on the left with U+2007 to four characters, so the column lines up.
std::string MenuCaption(int32_t value);
// Fills a slider's menu: the 26 values (choosing one calls setValue), then the submenu "Random"
// with the same 26 (choosing one calls setRandom).
void BuildValueMenu(TZelPopupMenu& popup, std::function<void(float)> setValue,
                    std::function<void(float)> setRandom);
// Before the menu opens: the value entry of round(value) and the random entry of round(random) are
// checked, everything else unchecked.
void CheckValueMenu(TZelPopupMenu& popup, float value, float random);

// The slider's random range moved (by the user): writes it to its parameter through set when the
// stored value differs. Nothing while the editor itself pushes plug-in values into its controls
// (updating): a stored range wider than the slider can show above its value stays as the host set it.
// True when something was written.
bool SendSliderRandom(const TVSTParameterValues& values, std::string_view name, const TZelSliderModel& slider,
                      bool updating, const std::function<void(std::string_view, float)>& set);
// The refresh of a slider's random range from its stored parameter value; true when it was set.
// refreshing is set while the slider takes the value, so that its random change handler (which passes
// it to SendSliderRandom as updating) never sends back a range the slider had to clamp.
bool UpdateSliderRandom(const TVSTParameterValues& values, std::string_view name, TZelSliderModel& slider,
                        bool& refreshing);
} // namespace TimingVelocity
