// PluginParameters: the 30 timing and velocity parameters of TVSTPlugin and their stored values.
#include "engine/Plugin.h"

#include <array>

#include "engine/ZelMidi.h"
#include "engine/ZelVSTParameterValues.h"

namespace {

// The six parameters of each chord-note position, in parameter order (index = 6 * position + kind).
struct TKindFormat {
  const char* Suffix;
  char LabelLetter;
  float Min;
  float Max;
  const char* Unit;
  bool Plus;
};

constexpr std::array<TKindFormat, TVSTPlugin::ParametersPerPosition> Kinds = {{
    {" Start", 'S', 0.0f, 1000.0f, " ms", false},
    {" Start Random", 'S', 0.0f, 1000.0f, " ms", false},
    {" End", 'E', 0.0f, 1000.0f, " ms", false},
    {" End Random", 'E', 0.0f, 1000.0f, " ms", false},
    {" Velocity Scale", 'V', -100.0f, 100.0f, "%", true},
    {" Velocity Random", 'V', 0.0f, 200.0f, "", false},
}};

std::vector<TParameterDefinition> BuildDefinitions() {
  std::vector<TParameterDefinition> definitions;
  for (int32_t position = 0; position < TNoteSetup::Count; ++position) {
    for (int32_t kind = 0; kind < TVSTPlugin::ParametersPerPosition; ++kind) {
      TParameterDefinition definition;
      definition.DisplayName = TVSTPlugin::ParameterName(position, kind);
      definition.ShortLabel = "Note" + IntToText(position + 1) + " " + Kinds[kind].LabelLetter;
      definition.Min = Kinds[kind].Min;
      definition.Max = Kinds[kind].Max;
      definition.StepFloat = 1.0f;
      definition.SmallStepFloat = 0.1f;
      definition.LargeStepFloat = 1.0f;
      definition.LargeStepInteger = 1;
      definition.CurveFactor = 1.0f;
      definition.CanBeAutomated = true;
      definitions.push_back(std::move(definition));
    }
  }
  return definitions;
}

} // namespace

std::string TVSTPlugin::ParameterName(int32_t position, int32_t kind) {
  return "Note" + IntToText(position + 1) + Kinds[static_cast<std::size_t>(kind)].Suffix;
}

const std::vector<TParameterDefinition>& TVSTPlugin::ParameterDefinitions() const {
  static const std::vector<TParameterDefinition> definitions = BuildDefinitions();
  return definitions;
}

void TVSTPlugin::RegisterParameterValues(TVSTParameterValues& values) {
  FParameterValues = &values;
  for (int32_t position = 0; position < TNoteSetup::Count; ++position) {
    for (int32_t kind = 0; kind < ParametersPerPosition; ++kind)
      values.AddValue(ParameterName(position, kind), position, 0.0f);
  }
}

void TVSTPlugin::ParameterChange(int32_t index, float value) {
  if (index < 0 || index >= ParameterCount)
    return;
  switch (static_cast<TParameterKind>(index % ParametersPerPosition)) {
  case pkStart:
    Note1Start_ParameterChange(index, value);
    break;
  case pkStartRandom:
    Note1StartRandom_ParameterChange(index, value);
    break;
  case pkEnd:
    Note1End_ParameterChange(index, value);
    break;
  case pkEndRandom:
    Note1EndRandom_ParameterChange(index, value);
    break;
  case pkVelocityScale:
    Note1Velocity_ParameterChange(index, value);
    break;
  case pkVelocityRandom:
    Note1VelocityRandom_ParameterChange(index, value);
    break;
  }
}

std::string TVSTPlugin::ParameterDisplay(int32_t index) const {
  if (index < 0 || index >= ParameterCount)
    return {};
  switch (static_cast<TParameterKind>(index % ParametersPerPosition)) {
  case pkStart:
    return Note1Start_ParameterDisplay(index);
  case pkStartRandom:
    return Note1StartRandom_ParameterDisplay(index);
  case pkEnd:
    return Note1End_ParameterDisplay(index);
  case pkEndRandom:
    return Note1EndRandom_ParameterDisplay(index);
  case pkVelocityScale:
    return Note1Velocity_ParameterDisplay(index);
  case pkVelocityRandom:
    return Note1VelocityRandom_ParameterDisplay(index);
  }
  return {};
}

TNoteSetupItem* TVSTPlugin::StoreParameterValue(int32_t index, float value) {
  TVSTParameterValue* stored = FParameterValues != nullptr ? FParameterValues->Find(index) : nullptr;
  if (stored == nullptr)
    return nullptr;
  stored->CurrentValue = value;
  // The position is the stored value's tag, so a list registered in another order still reaches
  // the right note setup.
  const int32_t position = stored->Tag;
  if (position < 0 || position >= TNoteSetup::Count)
    return nullptr;
  return &Setup.NoteSetup[position];
}

void TVSTPlugin::Note1Start_ParameterChange(int32_t index, float value) {
  if (TNoteSetupItem* item = StoreParameterValue(index, value))
    item->Start = NearestParameterInteger(value);
}

void TVSTPlugin::Note1StartRandom_ParameterChange(int32_t index, float value) {
  if (TNoteSetupItem* item = StoreParameterValue(index, value))
    item->StartRandom = NearestParameterInteger(value);
}

void TVSTPlugin::Note1End_ParameterChange(int32_t index, float value) {
  if (TNoteSetupItem* item = StoreParameterValue(index, value))
    item->End = NearestParameterInteger(value);
}

void TVSTPlugin::Note1EndRandom_ParameterChange(int32_t index, float value) {
  if (TNoteSetupItem* item = StoreParameterValue(index, value))
    item->EndRandom = NearestParameterInteger(value);
}

void TVSTPlugin::Note1Velocity_ParameterChange(int32_t index, float value) {
  if (TNoteSetupItem* item = StoreParameterValue(index, value))
    item->VelocityScale = NearestParameterInteger(value);
}

void TVSTPlugin::Note1VelocityRandom_ParameterChange(int32_t index, float value) {
  if (TNoteSetupItem* item = StoreParameterValue(index, value))
    item->VelocityRandom = NearestParameterInteger(value);
}

std::string TVSTPlugin::DisplayStoredValue(int32_t index, int32_t kind) const {
  const TVSTParameterValue* stored = FParameterValues != nullptr ? FParameterValues->Find(index) : nullptr;
  const TKindFormat& format = Kinds[static_cast<std::size_t>(kind)];
  const int32_t value = stored != nullptr ? stored->RoundedValue() : 0;
  return IntToText(value, format.Plus) + format.Unit;
}

std::string TVSTPlugin::Note1Start_ParameterDisplay(int32_t index) const {
  return DisplayStoredValue(index, pkStart);
}

std::string TVSTPlugin::Note1StartRandom_ParameterDisplay(int32_t index) const {
  return DisplayStoredValue(index, pkStartRandom);
}

std::string TVSTPlugin::Note1End_ParameterDisplay(int32_t index) const {
  return DisplayStoredValue(index, pkEnd);
}

std::string TVSTPlugin::Note1EndRandom_ParameterDisplay(int32_t index) const {
  return DisplayStoredValue(index, pkEndRandom);
}

std::string TVSTPlugin::Note1Velocity_ParameterDisplay(int32_t index) const {
  return DisplayStoredValue(index, pkVelocityScale);
}

std::string TVSTPlugin::Note1VelocityRandom_ParameterDisplay(int32_t index) const {
  return DisplayStoredValue(index, pkVelocityRandom);
}
