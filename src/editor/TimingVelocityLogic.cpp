#include "editor/TimingVelocityLogic.h"

#include "engine/Plugin.h"
#include "engine/ZelVSTParameterValues.h"
#include "gui/ZelGuiText.h"

namespace TimingVelocity {
namespace {
constexpr int32_t MaxPercent = 100;

int32_t Rounded(float value) {
  return NearestParameterInteger(value);
}

void CheckEntries(TZelMenuItem& parent, int32_t value) {
  for (int32_t i = 0; i < parent.Count(); ++i) {
    TZelMenuItem& item = parent[i];
    if (item.Count() == 0 && !item.IsSeparator()) {
      item.Checked = item.Tag == value;
    }
  }
}
} // namespace

std::string ParameterName(int32_t row, TTimingKind kind) {
  return TVSTPlugin::ParameterName(row, kind);
}

bool ParseParameterName(std::string_view name, int32_t& row, TTimingKind& kind) {
  for (int32_t r = 0; r < RowCount; ++r) {
    for (int32_t k = tkStart; k <= tkVelocityRandom; ++k) {
      if (name == ParameterName(r, static_cast<TTimingKind>(k))) {
        row = r;
        kind = static_cast<TTimingKind>(k);
        return true;
      }
    }
  }
  return false;
}

bool IsRandomParameter(std::string_view name) {
  return name.find("Random") != std::string_view::npos;
}

std::string SliderText(float value, float random) {
  const int32_t v = Rounded(value);
  const int32_t r = Rounded(random);
  std::string text = ZelGuiText::IntToText(v);
  if (r != 0) {
    text += " ms <=> " + ZelGuiText::IntToText(static_cast<int64_t>(v) + r);
  }
  return text + " ms";
}

std::string SignedText(int32_t value) {
  return ZelGuiText::IntToText(value, true);
}

std::string VelocityScaleText(float scale, float velocityRandom) {
  const int32_t s = Rounded(scale);
  int32_t q = Rounded(velocityRandom);
  std::string text = "Velocity Scale: " + SignedText(s) + "%";
  if (q == 0) {
    return text;
  }
  if (static_cast<int64_t>(s) + q > MaxPercent) {
    q = MaxPercent - s;
  }
  return text + " <=> " + SignedText(s + q) + "%";
}

std::string InfoText(TTimingKind kind, float value, float velocityRandom) {
  const std::string number = ZelGuiText::IntToText(Rounded(value));
  switch (kind) {
  case tkStart:
    return "Note Start: " + number + " ms";
  case tkStartRandom:
    return "Note Start Random: " + number + " ms";
  case tkEnd:
    return "Note End: " + number + " ms";
  case tkEndRandom:
    return "Note End Random: " + number + " ms";
  case tkVelocityScale:
    return VelocityScaleText(value, velocityRandom);
  case tkVelocityRandom:
    return "Velocity Random: " + number;
  }
  return {};
}

const std::array<int32_t, MenuValueCount>& MenuValues() {
  static const std::array<int32_t, MenuValueCount> values = [] {
    constexpr int32_t CoarseStep = 50;
    constexpr int32_t CoarseEnd = 250;
    constexpr int32_t FineStep = 25;
    std::array<int32_t, MenuValueCount> result{};
    std::size_t i = 0;
    for (int32_t v = MaxDelayMs; v >= CoarseEnd; v -= CoarseStep) {
      result[i++] = v;
    }
    for (int32_t v = CoarseEnd - FineStep; v >= 0; v -= FineStep) {
      result[i++] = v;
    }
    return result;
  }();
  return values;
}

std::string MenuCaption(int32_t value) {
  return ZelGuiText::PadWithFigureSpaces(ZelGuiText::IntToText(value), MenuCaptionWidth);
}

void BuildValueMenu(TZelPopupMenu& popup, std::function<void(float)> setValue,
                    std::function<void(float)> setRandom) {
  TZelMenuItem& items = popup.Items();
  items.Clear();
  for (const int32_t value : MenuValues()) {
    items.Add(MenuCaption(value), value,
              [setValue](TZelMenuItem& item) { setValue(static_cast<float>(item.Tag)); });
  }
  // Tagged outside every value range, so a check by value never lands on the submenu itself.
  TZelMenuItem& random = items.Add(RandomSubmenuCaption, TZelSliderModel::GroupTag);
  for (const int32_t value : MenuValues()) {
    random.Add(MenuCaption(value), value,
               [setRandom](TZelMenuItem& item) { setRandom(static_cast<float>(item.Tag)); });
  }
}

void CheckValueMenu(TZelPopupMenu& popup, float value, float random) {
  TZelMenuItem& items = popup.Items();
  CheckEntries(items, Rounded(value));
  for (int32_t i = 0; i < items.Count(); ++i) {
    if (items[i].Count() > 0) {
      CheckEntries(items[i], Rounded(random));
    }
  }
}

bool SendSliderRandom(const TVSTParameterValues& values, std::string_view name, const TZelSliderModel& slider,
                      bool updating, const std::function<void(std::string_view, float)>& set) {
  if (updating) {
    return false;
  }
  const int32_t index = values.IndexOfName(name);
  if (index < 0 || values.Items(index).CurrentValue == slider.Random()) {
    return false;
  }
  set(name, slider.Random());
  return true;
}

bool UpdateSliderRandom(const TVSTParameterValues& values, std::string_view name, TZelSliderModel& slider,
                        bool& refreshing) {
  const int32_t index = values.IndexOfName(name);
  if (index < 0) {
    return false;
  }
  const float stored = values.Items(index).CurrentValue;
  if (stored == slider.Random()) {
    return false;
  }
  // Restored on every way out, a throwing change handler included.
  struct TRestore {
    bool& Flag;
    bool Previous;
    ~TRestore() { Flag = Previous; }
  } restore{refreshing, refreshing};
  refreshing = true;
  slider.SetRandom(stored);
  return true;
}
} // namespace TimingVelocity
