// VSTPluginBaseDM: TVSTPluginBase, the plug-in base: state, presets, stored values, CC learn, settings.
#pragma once

#include "engine/PluginHandlers.h"
#include "engine/ZelVSTParameterValues.h"
#include "host/MemoryStreamChunk.h"
#include "host/SettingsStore.h"

#include "TriaxoVersion.h"
#include "host/UiServices.h"
#include "host/VSTModule.h"
#include "host/ZelMidiCC.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// The module of one plug-in instance. It owns the plug-in object (the chord engine, made by the
// factory the library entry passes in) and calls it after its own part of each module event.
// Threads: the MIDI and block handlers run on the host's audio thread; everything else here is for
// the host's user-interface thread unless it says otherwise. docs/threading.md has the crossings.
class TVSTPluginBase : public TVSTModule, public TParameterAutomation, private TMidiCCTarget {
public:
  using TPluginFactory = std::function<std::unique_ptr<TPluginHandlers>(TPluginHost& host)>;

  // Creation in the order the plug-in expects: the plug-in object, then the CC list, the folders and
  // settings, the stored parameter values and the start state (init preset or defaults). A failure
  // part-way is reported to the user and creation continues with the state reached.
  explicit TVSTPluginBase(const TPluginFactory& factory, TModuleIdentity identity = {});
  ~TVSTPluginBase() override;

  TPluginHandlers& Plugin() { return *FPlugin; }

  // Fixed texts of this product.
  std::string VersionText = TriaxoVersion::Text;
  std::string UserGuideFileName = "Triaxo User Guide.pdf";
  static constexpr const char* PresetExtension = ".ventrakisp";
  static constexpr const char* InitPresetName = "init";

  // The stored value of each parameter, in parameter order.
  TVSTParameterValues ParameterValues;
  // The CC assignments. After changing them call MidiCCListChanged so that the audio thread applies
  // the new ones.
  TMidiCCList MidiCCList;
  void MidiCCListChanged();

  // The per-user folders and settings.
  TSettingsStore& Settings() { return FSettings; }
  const std::string& DataFolder() const { return FSettings.DataFolder(); }
  const std::string& PresetsFolder() const { return FSettings.PresetsFolder(); }
  const std::string& SettingsFile() const { return FSettings.SettingsFile(); }

  // Current preset name, empty for none. Setting a different name tells an open editor.
  const std::string& PresetName() const { return FPresetName; }
  void SetPresetName(const std::string& name);

  // CC modes. Any thread; leaving ccmLearn forgets the learn target.
  TMidiCCMode CCMode() const override { return FCCHandler.Mode(); }
  void SetCCMode(TMidiCCMode mode) override;
  // The parameter the next controller is assigned to in ccmLearn; empty when none.
  const std::string& LearnTarget();
  void SetLearnTarget(const std::string& parameterName);
  int32_t TeachCC() const { return FTeachCC; }
  void SetTeachCC(int32_t number);

  // The payload of a chunk: header list, setup section, CC list. Error boxes over `owner`.
  bool StoreToChunk(TMemoryStreamChunk& chunk, TUiOwner owner);
  bool LoadFromChunk(TMemoryStreamChunk& chunk, bool checkPresetFile, TUiOwner owner);
  // The preset "init" from the presets folder, else the defaults. A file that is no container
  // throws (the caller reports it).
  void LoadInitPreset();
  // The plug-in's part first, then the preset name, the stored values and the CC assignments.
  virtual void ResetToDefaults();
  // The file of a preset name.
  std::string PresetFileName(const std::string& presetName) const;

  // The automated path by display name; throws std::runtime_error("Unknown parameter name: X").
  void SetParameterByName(std::string_view name, float value) override;
  // Tells the host the project changed (an automate call for parameter 0 with its own value).
  void NotifyHostChanged();
  // Tells the host which parameter the user touches; nothing for an unknown name.
  void TouchParameter(std::string_view name);

  // TParameterAutomation, TMidiCCTarget, TPluginHost: in the parameter's own units. Any thread.
  float GetParameterValue(int32_t index) override { return TVSTModule::GetParameterValue(index); }
  void SetParameterAutomated(int32_t index, float value) override {
    TVSTModule::SetParameterAutomated(index, value);
  }
  void SetEditorNeedsUpdate() override { TVSTModule::SetEditorNeedsUpdate(); }

  // Hands a controller learned on the audio thread to the CC list (and the host, and the editor).
  // Runs at the start of user-interface requests; the editor may call it too.
  void ServiceLearnedController();

protected:
  void VSTModuleProcessMidi(const TMidiInEvent& event) override;
  void VSTModuleProcess32Replacing(float* const* inputs, float* const* outputs, int32_t frames) override;
  void VSTModuleSuspend() override;
  void VSTModuleEditIdle() override;
  float VSTModuleGetChunkParameter(int32_t index) override;
  void VSTModuleParameterChange(int32_t index, float value) override;
  std::string VSTModuleParameterDisplay(int32_t index) override;
  void VSTModuleStoreChunk(std::vector<uint8_t>& programStream) override;
  void VSTModuleLoadChunk(const std::vector<uint8_t>& programStream) override;
  void VSTModuleRejectChunk(const std::string& errorText) override;
  void ApplySkin() override;
  std::unique_ptr<TModuleEditor> CreateEditor(void* parentWindow) override;
  void EditorAttached(TModuleEditor* editor) override;
  void ServiceUserInterface() override { ServiceLearnedController(); }

private:
  void ReadCCList(TTaggedReader& reader);
  void WriteCCList(TTaggedWriter& writer) const;

  TSettingsStore FSettings;
  TMidiCCHandler FCCHandler;
  std::unique_ptr<TPluginHandlers> FPlugin;
  std::string FPresetName;
  std::string FLearnTarget;
  int32_t FTeachCC = -1;
  // Counters of the teach command; zeroed whenever TeachCC is set.
  int32_t FTeachCounters[2] = {0, 0};
};
