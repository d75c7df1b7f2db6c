// ZelVSTParameterValues: the plug-in's own store of parameter values that the host reads back.
#include "engine/ZelVSTParameterValues.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include "engine/ZelMidi.h"

int32_t NearestParameterInteger(float value) noexcept {
  if (std::isnan(value))
    return 0;
  // 2^31 is exact in float; every float below it in magnitude converts without overflow.
  constexpr float Limit = 2147483648.0f;
  if (value >= Limit)
    return std::numeric_limits<int32_t>::max();
  if (value <= -Limit)
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(RoundHalfEven(value));
}

void TVSTParameterValue::Assign(const TVSTParameterValue& source) {
  DefaultValue = source.DefaultValue;
  ParameterName = source.ParameterName;
  Tag = source.Tag;
  CurrentValue = source.CurrentValue.Load();
}

int32_t TVSTParameterValue::RoundedValue() const noexcept {
  return NearestParameterInteger(CurrentValue.Load());
}

void TVSTParameterValue::ResetValue(bool force) {
  if (!force && CurrentValue.Load() == DefaultValue)
    return;
  CurrentValue = DefaultValue;
  // The value goes out through the module's own get and automated set, so the change handler
  // updates the setup, the editor refreshes and the host records the reset.
  TParameterAutomation& automation = FOwner.Automation();
  automation.SetParameterAutomated(FIndex, automation.GetParameterValue(FIndex));
}

TVSTParameterValue& TVSTParameterValues::Items(int32_t index) {
  if (TVSTParameterValue* item = Find(index))
    return *item;
  throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

const TVSTParameterValue& TVSTParameterValues::Items(int32_t index) const {
  if (const TVSTParameterValue* item = Find(index))
    return *item;
  throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

TVSTParameterValue& TVSTParameterValues::Items(std::string_view name) {
  return *FItems[FindByName(name)];
}

int32_t TVSTParameterValues::FindByName(std::string_view name) const {
  const int32_t index = IndexOfName(name);
  if (index < 0)
    throw std::runtime_error("TVSTParameterValues.FindByName - No match: " + std::string(name));
  return index;
}

int32_t TVSTParameterValues::IndexOfName(std::string_view name) const noexcept {
  for (std::size_t i = 0; i < FItems.size(); ++i) {
    if (FItems[i]->ParameterName == name)
      return static_cast<int32_t>(i);
  }
  return -1;
}

TVSTParameterValue* TVSTParameterValues::Find(int32_t index) noexcept {
  if (index < 0 || index >= Count())
    return nullptr;
  return FItems[static_cast<std::size_t>(index)].get();
}

const TVSTParameterValue* TVSTParameterValues::Find(int32_t index) const noexcept {
  if (index < 0 || index >= Count())
    return nullptr;
  return FItems[static_cast<std::size_t>(index)].get();
}

float TVSTParameterValues::CurrentValueOf(int32_t index) const noexcept {
  const TVSTParameterValue* item = Find(index);
  return item != nullptr ? item->CurrentValue.Load() : 0.0f;
}

TVSTParameterValue& TVSTParameterValues::AddValue(std::string_view name, int32_t tag, float defaultValue) {
  auto item = std::make_unique<TVSTParameterValue>(*this, Count());
  item->ParameterName = std::string(name);
  item->Tag = tag;
  item->DefaultValue = defaultValue;
  item->CurrentValue = defaultValue;
  FItems.push_back(std::move(item));
  return *FItems.back();
}

void TVSTParameterValues::ResetAll() {
  for (const auto& item : FItems)
    item->ResetValue(true);
}
