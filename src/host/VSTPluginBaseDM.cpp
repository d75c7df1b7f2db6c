#include "host/VSTPluginBaseDM.h"

#include "engine/TaggedStream.h"
#include "engine/ZelMidi.h"
#include "host/ZelCommon.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

constexpr char PayloadSignature[4] = {'T', 'P', 'F', '0'};

constexpr const char* LoadPresetCaption = "Load Preset";
constexpr const char* LoadPresetSentence = "Error loading preset.";
constexpr const char* SavePresetCaption = "Save Preset";
constexpr const char* SavePresetSentence = "Error saving preset.";
constexpr const char* LoadSkinCaption = "Load Skin";
constexpr const char* LoadSkinSentence = "Error loading skin.";

// Holds the module's automate calls for the life of a load.
class TAutomationHold {
public:
  explicit TAutomationHold(TVSTModule& module) : FModule(module) { FModule.HoldAutomation(); }
  ~TAutomationHold() { FModule.ReleaseAutomation(); }
  TAutomationHold(const TAutomationHold&) = delete;
  TAutomationHold& operator=(const TAutomationHold&) = delete;

private:
  TVSTModule& FModule;
};

} // namespace

TVSTPluginBase::TVSTPluginBase(const TPluginFactory& factory, TModuleIdentity identity)
    : TVSTModule(std::move(identity)), ParameterValues(*this), FSettings(Identity().ProductName),
      FCCHandler(*this) {
  // The plug-in's own part comes first (its setup and queue), then the base's.
  FPlugin = factory ? factory(*this) : nullptr;
  if (FPlugin == nullptr)
    throw std::runtime_error("No plug-in object");

  SetCCMode(ccmNone);
  FTeachCC = -1;
  try {
    FSettings.LoadSettings();
  } catch (const std::exception& e) {
    ShowMessage(nullptr, e.what(), "", mbOK, miError);
  }
  SetParameterTable(FPlugin->ParameterDefinitions());
  FPlugin->RegisterParameterValues(ParameterValues);
  MidiCCListChanged();
  try {
    LoadInitPreset();
  } catch (const std::exception& e) {
    // A start-up preset whose container cannot be read: the instance keeps its new state.
    ShowErrorMessage(nullptr, LoadPresetSentence, e.what(), LoadPresetCaption);
  }
}

TVSTPluginBase::~TVSTPluginBase() {
  // The editor goes first: it may still talk to the plug-in and this base while it closes.
  CloseEditor();
  FPlugin.reset();
}

void TVSTPluginBase::MidiCCListChanged() {
  FCCHandler.Publish(MidiCCList, [this](std::string_view name, TMidiCCAssignment& assignment) {
    const int32_t index = ParameterValues.IndexOfName(name);
    if (index < 0 || index >= ParameterCount())
      return false;
    assignment.ParameterIndex = index;
    assignment.Min = ParameterDefinition(index).Min;
    assignment.Max = ParameterDefinition(index).Max;
    return true;
  });
}

void TVSTPluginBase::SetPresetName(const std::string& name) {
  if (name == FPresetName)
    return;
  FPresetName = name;
  if (Editor() != nullptr)
    Editor()->UpdatePresetName();
}

void TVSTPluginBase::SetCCMode(TMidiCCMode mode) {
  // Any thread (the audio thread ends learn modes when the transport starts): the mode and the
  // armed flag are atomics; the target's name is dropped on the user-interface thread (LearnTarget).
  FCCHandler.SetMode(mode);
}

const std::string& TVSTPluginBase::LearnTarget() {
  ServiceLearnedController();
  if (!FCCHandler.Armed())
    FLearnTarget.clear();
  return FLearnTarget;
}

void TVSTPluginBase::SetLearnTarget(const std::string& parameterName) {
  ServiceLearnedController();
  FLearnTarget = parameterName;
  FCCHandler.SetArmed(!parameterName.empty() && CCMode() == ccmLearn);
}

void TVSTPluginBase::SetTeachCC(int32_t number) {
  FTeachCC = number;
  FTeachCounters[0] = 0;
  FTeachCounters[1] = 0;
}

void TVSTPluginBase::ServiceLearnedController() {
  const int32_t number = FCCHandler.TakeLearned();
  if (number < 0)
    return;
  const std::string target = FLearnTarget;
  FLearnTarget.clear();
  if (target.empty())
    return;
  MidiCCList.AddOrUpdate(target, number);
  MidiCCListChanged();
  NotifyHostChanged();
  if (Editor() != nullptr)
    Editor()->ShowCCLearned(target + " = CC# " + IntToText(number));
}

std::string TVSTPluginBase::PresetFileName(const std::string& presetName) const {
  return PresetsFolder() + presetName + PresetExtension;
}

void TVSTPluginBase::WriteCCList(TTaggedWriter& writer) const {
  writer.WriteListBegin();
  for (int32_t i = 0; i < MidiCCList.Count(); ++i) {
    writer.WriteListBegin();
    writer.WriteString(MidiCCList.Items(i).ParameterName);
    writer.WriteInteger(MidiCCList.Items(i).CCNumber);
    writer.WriteListEnd();
  }
  writer.WriteListEnd();
}

void TVSTPluginBase::ReadCCList(TTaggedReader& reader) {
  // A payload that ends its setup list with no CC list after it keeps the list empty.
  if (reader.PeekTag() == StreamTag::EndOfList)
    return;
  MidiCCList.Clear();
  reader.ReadListBegin();
  while (!reader.EndOfList()) {
    reader.ReadListBegin();
    const std::string name = reader.ReadString();
    const int32_t number = reader.ReadInteger();
    reader.ReadListEnd();
    MidiCCList.AddOrUpdate(name, number);
  }
  reader.ReadListEnd();
}

bool TVSTPluginBase::StoreToChunk(TMemoryStreamChunk& chunk, TUiOwner owner) {
  std::vector<uint8_t>& payload = chunk.Payload();
  payload.clear();
  try {
    TTaggedWriter writer(payload);
    writer.WriteRaw(PayloadSignature, sizeof(PayloadSignature));
    writer.WriteListBegin();
    writer.WriteString(VersionText);
    writer.WriteString(FPresetName);
    writer.WriteString("");
    writer.WriteString("");
    writer.WriteListEnd();
    writer.WriteListBegin();
    FPlugin->WriteSetup(writer);
    writer.WriteListEnd();
    WriteCCList(writer);
    return true;
  } catch (const std::exception& e) {
    ShowErrorMessage(owner, SavePresetSentence, e.what(), SavePresetCaption);
    return false;
  }
}

bool TVSTPluginBase::LoadFromChunk(TMemoryStreamChunk& chunk, bool checkPresetFile, TUiOwner owner) {
  // The reset and the loaded values reach the host as one automate call per parameter.
  TAutomationHold hold(*this);
  bool loaded = true;
  try {
    ResetToDefaults();
    const std::vector<uint8_t>& payload = chunk.Payload();
    TTaggedReader reader(payload.data(), payload.size());
    char signature[sizeof(PayloadSignature)];
    reader.ReadRaw(signature, sizeof(signature));
    if (std::memcmp(signature, PayloadSignature, sizeof(signature)) != 0)
      throw EStreamError(StreamErrorText::InvalidStreamFormat);
    reader.ReadListBegin();
    const std::string versionText = reader.ReadString();
    SetPresetName(reader.ReadString());
    reader.ReadString(); // reserved
    reader.ReadString(); // reserved
    reader.ReadListEnd();
    reader.ReadListBegin();
    FPlugin->ReadSetup(reader, versionText);
    reader.ReadListEnd();
    ReadCCList(reader);
  } catch (const std::exception& e) {
    ShowErrorMessage(owner, LoadPresetSentence, e.what(), LoadPresetCaption);
    loaded = false;
  }
  // Also after a failure part-way: a name that stays from a damaged chunk must not name a preset
  // that is not there, or saving this state and loading it again would give another state.
  if (checkPresetFile && !FPresetName.empty() && !CheckedFileExists(PresetFileName(FPresetName)))
    SetPresetName("");
  // Whatever was read before a failure stays, so the audio thread gets those assignments too.
  MidiCCListChanged();
  SetEditorNeedsUpdate();
  return loaded;
}

void TVSTPluginBase::LoadInitPreset() {
  const std::string path = PresetFileName(InitPresetName);
  if (!CheckedFileExists(path)) {
    ResetToDefaults();
    return;
  }
  TMemoryStreamChunk chunk;
  chunk.LoadFromFile(path); // a file that is no container reaches the caller
  if (LoadFromChunk(chunk, false, nullptr)) {
    SetPresetName("");
    NotifyHostChanged();
  } else {
    ResetToDefaults();
  }
}

void TVSTPluginBase::ResetToDefaults() {
  FPlugin->ResetToDefaults();
  SetPresetName("");
  ParameterValues.ResetAll();
  MidiCCList.Clear();
  MidiCCListChanged();
}

void TVSTPluginBase::SetParameterByName(std::string_view name, float value) {
  const int32_t index = ParameterIndexOfName(name);
  if (index < 0)
    throw std::runtime_error("Unknown parameter name: " + std::string(name));
  SetParameterAutomated(index, value);
}

void TVSTPluginBase::NotifyHostChanged() {
  if (ParameterCount() > 0)
    SetParameterAutomated(0, GetParameterValue(0));
}

void TVSTPluginBase::TouchParameter(std::string_view name) {
  const int32_t index = ParameterIndexOfName(name);
  if (index < 0)
    return;
  // The host's automate call carries its normalised form, like every other automate call.
  AutomateHost(index, ParameterValues.CurrentValueOf(index));
}

void TVSTPluginBase::VSTModuleProcessMidi(const TMidiInEvent& event) {
  FCCHandler.ProcessMidi(event);
  FPlugin->VSTModuleProcessMidi(event);
}

void TVSTPluginBase::VSTModuleProcess32Replacing(float* const* inputs, float* const* outputs,
                                                 int32_t frames) {
  if (outputs != nullptr && frames > 0) {
    for (int32_t c = 0; c < Identity().NumOutputs; ++c)
      if (outputs[c] != nullptr)
        std::fill_n(outputs[c], frames, 0.0f);
  }
  FPlugin->VSTModuleProcess32Replacing(inputs, outputs, frames);
}

void TVSTPluginBase::VSTModuleSuspend() {
  FPlugin->VSTModuleSuspend();
}

void TVSTPluginBase::VSTModuleEditIdle() {
  ServiceLearnedController();
  if (Editor() != nullptr)
    Editor()->UpdateFromPlugin();
  FPlugin->VSTModuleEditIdle();
}

float TVSTPluginBase::VSTModuleGetChunkParameter(int32_t index) {
  return ParameterValues.CurrentValueOf(index);
}

void TVSTPluginBase::VSTModuleParameterChange(int32_t index, float value) {
  FPlugin->ParameterChange(index, value);
}

std::string TVSTPluginBase::VSTModuleParameterDisplay(int32_t index) {
  return FPlugin->ParameterDisplay(index);
}

void TVSTPluginBase::VSTModuleStoreChunk(std::vector<uint8_t>& programStream) {
  TMemoryStreamChunk chunk;
  // A failed store has shown its box; the host still gets what was written.
  StoreToChunk(chunk, nullptr);
  programStream.clear();
  chunk.WriteToStream(programStream);
}

void TVSTPluginBase::VSTModuleLoadChunk(const std::vector<uint8_t>& programStream) {
  if (programStream.size() <= TMemoryStreamChunk::HeaderSize)
    return;
  TAutomationHold hold(*this);
  TMemoryStreamChunk chunk;
  try {
    chunk.ReadFromStream(programStream.data(), programStream.size());
  } catch (const std::exception& e) {
    // A damaged container loads nothing; the stored values are reset. A readable one is reset to
    // the defaults by LoadFromChunk itself, once.
    ParameterValues.ResetAll();
    ShowErrorMessage(nullptr, LoadPresetSentence, e.what(), LoadPresetCaption);
    return;
  }
  if (!LoadFromChunk(chunk, true, nullptr))
    ParameterValues.ResetAll();
}

void TVSTPluginBase::VSTModuleRejectChunk(const std::string& errorText) {
  TAutomationHold hold(*this);
  ParameterValues.ResetAll();
  ShowErrorMessage(nullptr, LoadPresetSentence, errorText, LoadPresetCaption);
}

void TVSTPluginBase::ApplySkin() {
  TModuleEditorFactory* factory = ModuleEditorFactory();
  if (factory == nullptr)
    return;
  try {
    factory->ApplySkin(TSettingsStore::StyleName(FSettings.Style()));
  } catch (const std::exception& e) {
    ShowErrorMessage(nullptr, LoadSkinSentence, e.what(), LoadSkinCaption);
  }
}

std::unique_ptr<TModuleEditor> TVSTPluginBase::CreateEditor(void* parentWindow) {
  TModuleEditorFactory* factory = ModuleEditorFactory();
  return factory != nullptr ? factory->CreateEditor(*this, parentWindow) : nullptr;
}

void TVSTPluginBase::EditorAttached(TModuleEditor* editor) {
  FPlugin->AttachEditor(editor);
}
