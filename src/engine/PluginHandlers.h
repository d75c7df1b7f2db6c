// PluginHandlers: the module events a plug-in implements; the module layer calls them by these names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TTaggedWriter;
class TTaggedReader;
class TVSTParameterValues;
class TEditorView;

// One incoming MIDI event as the host delivered it: the first three data bytes and the sample offset
// inside the coming block.
struct TMidiInEvent {
  uint8_t Data[3] = {0, 0, 0};
  int32_t DeltaFrames = 0;
};

// The fixed properties of one automatable parameter, in the parameter's own units.
struct TParameterDefinition {
  std::string DisplayName; // "Note1 Start"
  std::string ShortLabel;  // "Note1 S"
  float Min = 0.0f;
  float Max = 1.0f;
  float StepFloat = 1.0f;
  float SmallStepFloat = 0.1f;
  float LargeStepFloat = 1.0f;
  int32_t LargeStepInteger = 1;
  float CurveFactor = 1.0f;
  bool CanBeAutomated = true;
};

// The module layer owns one object of this interface (the concrete plug-in) and calls it after its own
// part of each event: CC handling before VSTModuleProcessMidi, silent outputs before
// VSTModuleProcess32Replacing, the editor's UpdateFromPlugin before VSTModuleEditIdle.
class TPluginHandlers {
public:
  virtual ~TPluginHandlers() = default;

  // Audio thread; no allocation, no locks.
  virtual void VSTModuleProcessMidi(const TMidiInEvent& event) = 0;
  virtual void VSTModuleProcess32Replacing(float* const* inputs, float* const* outputs, int32_t frames) = 0;
  // User-interface thread (effMainsChanged 0): processing stops until the host resumes. The audio
  // side finds out at its next block.
  virtual void VSTModuleSuspend() {}

  // User-interface thread. The editor is attached after it is created and detached before it is
  // destroyed; null detaches.
  virtual void AttachEditor(TEditorView* editor) = 0;
  virtual void VSTModuleEditIdle() = 0;

  // The parameters and their state hooks are empty here; a plug-in with parameters or a setup
  // stream overrides them.

  // The parameter table, in parameter order.
  virtual const std::vector<TParameterDefinition>& ParameterDefinitions() const {
    static const std::vector<TParameterDefinition> none;
    return none;
  }
  // Creation: adds the stored parameter values in parameter order.
  virtual void RegisterParameterValues(TVSTParameterValues& /*values*/) {}
  // Any thread (host automation, CC mapping, editor): the parameter change handler.
  virtual void ParameterChange(int32_t /*index*/, float /*value*/) {}
  // User-interface thread: the text the host shows for a parameter.
  virtual std::string ParameterDisplay(int32_t /*index*/) const { return {}; }

  // User-interface thread: the setup stream and the plug-in's own part of a reset to defaults.
  virtual void WriteSetup(TTaggedWriter& /*writer*/) {}
  virtual void ReadSetup(TTaggedReader& /*reader*/, const std::string& /*versionText*/) {}
  virtual void ResetToDefaults() {}
};
