// HighlightedNotes: the trigger keys the editor shows pressed, marked by the engine, drawn by the editor.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace HighlightState {
constexpr uint8_t Drawn = 0;
constexpr uint8_t NewlyPressed = 1;
constexpr uint8_t Released = 2;
} // namespace HighlightState

struct THighlightedNote {
  int32_t Note = 0; // pitch class 0..11
  uint8_t State = HighlightState::NewlyPressed;
};

// Owned by the editor window; user-interface thread only.
class THighlightedNotes {
public:
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  const THighlightedNote& Items(int32_t index) const { return FItems[static_cast<std::size_t>(index)]; }
  THighlightedNote& Items(int32_t index) { return FItems[static_cast<std::size_t>(index)]; }

  void Add(int32_t note);
  int32_t IndexOf(int32_t note) const;
  int32_t IndexOfPitchClass(int32_t pitchClass) const;
  void Delete(int32_t index);
  void Clear() { FItems.clear(); }

  // The engine's two editor calls. True when the trigger key needs drawing.
  bool HighlightTrigger(int32_t note);
  bool ReleaseTrigger(int32_t note);
  // Marks every entry released (the keys are drawn up at the next refresh).
  void ReleaseAll();
  // The editor's idle walk, from the last entry to the first: newly pressed keys are drawn pressed,
  // released keys are drawn up and their entries deleted. showKey(pitchClass, pressed).
  void Refresh(const std::function<void(int32_t, bool)>& showKey);

private:
  std::vector<THighlightedNote> FItems;
};
