// ZelVSTParameterValues: the plug-in's own store of parameter values that the host reads back.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Relaxed.h"

// The module's get-parameter and automated set-parameter path, in the parameter's own units (the
// module maps to and from the host's 0..1 form). Implemented by the module layer.
class TParameterAutomation {
public:
  virtual ~TParameterAutomation() = default;
  virtual float GetParameterValue(int32_t index) = 0;
  // Runs the parameter's change handler, marks the editor for refresh and tells the host.
  virtual void SetParameterAutomated(int32_t index, float value) = 0;
};

class TVSTParameterValues;

// A parameter value taken to the nearest integer, halves to the even neighbour. Values beyond the
// int32 range saturate and NaN gives 0, so no float that reaches a parameter can make the
// conversion undefined. Any thread; no allocation.
int32_t NearestParameterInteger(float value) noexcept;

// One stored value; its index in the owning list is its parameter index.
class TVSTParameterValue {
public:
  TVSTParameterValue(TVSTParameterValues& owner, int32_t index) : FOwner(owner), FIndex(index) {}
  TVSTParameterValue(const TVSTParameterValue&) = delete;
  TVSTParameterValue& operator=(const TVSTParameterValue&) = delete;

  float DefaultValue = 0.0f;
  std::string ParameterName;
  int32_t Tag = 0;
  // Written by whichever thread sets the parameter, read by the host's get-parameter on any thread.
  TRelaxed<float> CurrentValue;

  // Copies the four fields (not the place in the list).
  void Assign(const TVSTParameterValue& source);
  int32_t Index() const noexcept { return FIndex; }
  // CurrentValue to the nearest integer, halves to the even neighbour; saturates at the int32 range
  // and gives 0 for NaN. Any thread; no allocation.
  int32_t RoundedValue() const noexcept;
  // Back to DefaultValue through the automated path; unless forced, a value already at its default
  // is left alone and the host hears nothing.
  void ResetValue(bool force);

private:
  TVSTParameterValues& FOwner;
  int32_t FIndex;
};

// The ordered list of stored values, filled once while the module is created and never reshaped
// afterwards, so reads by index are safe from the audio thread.
class TVSTParameterValues {
public:
  explicit TVSTParameterValues(TParameterAutomation& automation) : FAutomation(automation) {}
  TVSTParameterValues(const TVSTParameterValues&) = delete;
  TVSTParameterValues& operator=(const TVSTParameterValues&) = delete;

  int32_t Count() const noexcept { return static_cast<int32_t>(FItems.size()); }
  // Throws std::out_of_range("List index out of bounds (i)") outside the list.
  TVSTParameterValue& Items(int32_t index);
  const TVSTParameterValue& Items(int32_t index) const;
  // By name through FindByName (throws for an unknown name).
  TVSTParameterValue& Items(std::string_view name);
  // Index of the first item with exactly that name; throws std::runtime_error
  // "TVSTParameterValues.FindByName - No match: " + name when there is none.
  int32_t FindByName(std::string_view name) const;
  // The same look-up for callers that must not throw (the audio thread): -1 when there is none.
  // No allocation.
  int32_t IndexOfName(std::string_view name) const noexcept;
  // The item, or null outside the list. Any thread; no allocation.
  TVSTParameterValue* Find(int32_t index) noexcept;
  const TVSTParameterValue* Find(int32_t index) const noexcept;
  // The host's get-parameter answer: CurrentValue, 0.0 beyond the list. Any thread; no allocation.
  float CurrentValueOf(int32_t index) const noexcept;

  // Appends an item whose DefaultValue and CurrentValue are both defaultValue.
  TVSTParameterValue& AddValue(std::string_view name, int32_t tag, float defaultValue);
  // ResetValue(true) for every item in index order: one automate call per parameter.
  void ResetAll();

  TParameterAutomation& Automation() noexcept { return FAutomation; }

private:
  TParameterAutomation& FAutomation;
  std::vector<std::unique_ptr<TVSTParameterValue>> FItems;
};
