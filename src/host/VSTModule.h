// VSTModule: the plug-in's face to a VST 2.4 host (effect record, dispatcher, MIDI out, parameters).
#pragma once

#include "engine/PluginHandlers.h"
#include "engine/PluginHost.h"
#include "engine/Relaxed.h"
#include "host/ModuleEditor.h"
#include "host/VSTInterface.h"

#include "TriaxoVersion.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// What the module reports to the host about itself. The defaults are this product's identity.
struct TModuleIdentity {
  std::string EffectName = "Triaxo";
  std::string ProductName = "Triaxo"; // the effect name stands in when this is empty
  std::string VendorName = "Ventrakis";
  vst::VstInt32 UniqueID = vst::MakeFourCC('k', 'x', '0', '9');
  int32_t VersionMajor = TriaxoVersion::Major;
  int32_t VersionMinor = TriaxoVersion::Minor;
  int32_t VersionRelease = TriaxoVersion::Release;
  vst::VstInt32 Category = vst::kPlugCategSynth;
  vst::VstInt32 NumOutputs = 2;
  vst::VstInt32 Flags =
      vst::effFlagsHasEditor | vst::effFlagsCanReplacing | vst::effFlagsProgramChunks | vst::effFlagsIsSynth;
  std::string ProgramName = "Default";
  // release + major * 1000 + minor * 100 below release 100, else the 16/8-bit packed form.
  vst::VstInt32 VersionNumber() const;
};

// Host-facing bounds of the texts copied into host buffers, terminator included.
namespace HostText {
constexpr std::size_t ParameterTextSize = 32;
constexpr std::size_t IdentityTextSize = 64;
constexpr std::size_t ProgramNameSize = 24;
constexpr std::size_t ProductStringSize = 256;
// Copies UTF-8 text into an 8-bit host buffer of `size` bytes: U+2212 MINUS SIGN (which number texts
// use) becomes the ASCII '-', the text is cut at a character boundary so that it fits with its
// terminator, and the buffer is always terminated. A null buffer is left alone.
void CopyToHost(std::string_view utf8, char* buffer, std::size_t size);
} // namespace HostText

// The outgoing event list as the host reads it: laid out like vst::VstEvents with room for all
// records. Count stops at MaxDelivered; the last record is the overflow slot that is never delivered.
struct TOutputEvents {
  static constexpr int32_t Capacity = 1024;
  static constexpr int32_t MaxDelivered = Capacity - 1;
  vst::VstInt32 NumEvents = 0;
  vst::VstIntPtr Reserved = 0;
  vst::VstEvent* Events[Capacity] = {};
};
static_assert(offsetof(TOutputEvents, Events) == offsetof(vst::VstEvents, events));

// The host-facing module layer: owns the effect record handed to the host, the dispatcher, the single
// program with its chunk stream, the parameter table, the outgoing MIDI list and the editor window.
// The plug-in classes above it implement the module events (the VSTModule* virtuals).
class TVSTModule : public TPluginHost {
public:
  explicit TVSTModule(TModuleIdentity identity = {});
  ~TVSTModule() override;
  TVSTModule(const TVSTModule&) = delete;
  TVSTModule& operator=(const TVSTModule&) = delete;

  // The effect record the host holds. Valid for the life of the process: after effClose it keeps
  // inert entries, so a host that calls a closed instance reaches nothing.
  vst::AEffect* Effect() { return FEffect; }
  const TModuleIdentity& Identity() const { return FIdentity; }

  // The library entry, once after creation: attaches the host callback (audioMasterVersion must
  // answer non-zero, else false) and applies the object/user rule for the two hosts that need it.
  bool AttachHost(vst::AudioMasterCallback callback);
  // Called with the module just before effClose destroys it (the library's instance list).
  using TCloseHandler = void (*)(TVSTModule* module);
  void SetCloseHandler(TCloseHandler handler) { FCloseHandler = handler; }
  // The host's product string as read at attach time ("Unknown" when the query failed).
  const std::string& HostProduct() const { return FHostProduct; }
  // The module lives in the record's object field instead of user (energyXT, Sound Forge Pro 10.0).
  bool UsesObjectField() const { return FUseObjectField; }

  // The module's entry for the host: dispatcher request N (0..79).
  vst::VstIntPtr Dispatch(vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr value, void* ptr,
                          float opt);

  // TPluginHost
  TTimeInfo GetTimeInfo() override;
  float SampleRate() const override { return FSampleRate; }
  void QueueMidiMessage(uint8_t status, uint8_t data1, uint8_t data2, int32_t deltaFrames) override;
  int32_t OutputRoom() const override { return TOutputEvents::MaxDelivered - FOutputEvents.NumEvents; }
  void SetEditorNeedsUpdate() override { FEditorNeedsUpdate.store(true, std::memory_order_release); }

  bool EditorNeedsUpdate() const { return FEditorNeedsUpdate.load(std::memory_order_acquire); }
  int32_t BlockSize() const { return FBlockSize; }
  int32_t CurrentProgram() const { return FCurrentProgram; }
  const std::string& ProgramName() const { return FProgramName; }

  // The parameter table, set once while the module is created (before the host sees the record).
  void SetParameterTable(std::vector<TParameterDefinition> table);
  int32_t ParameterCount() const { return static_cast<int32_t>(FParameters.size()); }
  const TParameterDefinition& ParameterDefinition(int32_t index) const { return FParameters[index]; }
  // Index of the first parameter whose display name equals `name`, -1 when none.
  int32_t ParameterIndexOfName(std::string_view name) const;
  // Host-normalised form: (value - Min) / (Max - Min) clamped to 0..1, and back.
  float ToNormalised(int32_t index, float value) const;
  float FromNormalised(int32_t index, float normalised) const;

  // The host's get-parameter in the parameter's own units (0 beyond the table).
  float GetParameterValue(int32_t index);
  // Automated path: the change handler runs, the editor is marked for refresh and, if the parameter
  // can be automated, the host gets audioMasterAutomate with the normalised value. Any thread.
  void SetParameterAutomated(int32_t index, float value);
  // The host's set-parameter: normalised value, no automate call back. Any thread.
  void SetParameterNormalised(int32_t index, float normalised);
  // Sends audioMasterAutomate for a parameter with a value in its own units, nothing else; nothing
  // while automation is held.
  void AutomateHost(int32_t index, float value);
  // A state load holds the automate calls its resets and values make (they nest); the last release
  // tells the host each automatable parameter's value once. User-interface thread.
  void HoldAutomation() { FAutomationHeld.fetch_add(1, std::memory_order_relaxed); }
  void ReleaseAutomation();

  // The open editor window, or null. User-interface thread.
  TModuleEditor* Editor() const { return FEditor.get(); }
  // The outgoing list (read by tests and by delivery). Audio thread.
  const TOutputEvents& OutputEvents() const { return FOutputEvents; }

  // The processing entries, as the record offers them after effOpen.
  void ProcessReplacing(float** inputs, float** outputs, int32_t frames);
  void ProcessAccumulating(float** inputs, float** outputs, int32_t frames);
  void ProcessDoubleReplacing(double** inputs, double** outputs, int32_t frames);

protected:
  // Module events, implemented by the plug-in base. Audio thread; no allocation, no locks.
  virtual void VSTModuleProcessMidi(const TMidiInEvent& /*event*/) {}
  virtual void VSTModuleProcess32Replacing(float* const* /*inputs*/, float* const* /*outputs*/,
                                           int32_t /*frames*/) {}
  // User-interface thread: effMainsChanged 0 (the host stops processing until it resumes).
  virtual void VSTModuleSuspend() {}
  // User-interface thread, only while EditorNeedsUpdate was set and an editor is open.
  virtual void VSTModuleEditIdle() {}
  // The stored value of a parameter in its own units; 0 beyond the list. Any thread.
  virtual float VSTModuleGetChunkParameter(int32_t /*index*/) { return 0.0f; }
  // The parameter's change handler. Any thread.
  virtual void VSTModuleParameterChange(int32_t /*index*/, float /*value*/) {}
  // The display text (UTF-8) of a parameter. User-interface thread.
  virtual std::string VSTModuleParameterDisplay(int32_t /*index*/) { return {}; }
  // Program 0's chunk handlers: fill the program stream with the state, load the state from it.
  virtual void VSTModuleStoreChunk(std::vector<uint8_t>& /*programStream*/) {}
  virtual void VSTModuleLoadChunk(const std::vector<uint8_t>& /*programStream*/) {}
  // A host chunk whose bank block cannot be read: report it and leave a consistent state.
  virtual void VSTModuleRejectChunk(const std::string& /*errorText*/) {}
  // Editor hooks: skin selection before every open, the window itself, and the notice that an editor
  // was attached (non-null) or is about to go (null).
  virtual void ApplySkin() {}
  virtual std::unique_ptr<TModuleEditor> CreateEditor(void* /*parentWindow*/) { return nullptr; }
  virtual void EditorAttached(TModuleEditor* /*editor*/) {}
  // Work the audio thread handed over to the user-interface thread; run at the start of every
  // request that hosts make on their user-interface thread only.
  virtual void ServiceUserInterface() {}

  // Closes the editor window if one is open (the plug-in hears of it first).
  void CloseEditor();
  // The host callback; 0 without a host.
  vst::VstIntPtr CallHost(vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr value, void* ptr,
                          float opt) const;

private:
  vst::VstIntPtr DispatchOpen();
  vst::VstIntPtr DispatchClose();
  vst::VstIntPtr DispatchEditGetRect(void* ptr);
  vst::VstIntPtr DispatchEditOpen(void* parentWindow);
  void DispatchEditClose();
  void DispatchEditIdle();
  vst::VstIntPtr DispatchGetChunk(vst::VstInt32 index, void* ptr);
  vst::VstIntPtr DispatchSetChunk(vst::VstInt32 index, vst::VstIntPtr byteSize, const void* data);
  void DispatchProcessEvents(const vst::VstEvents* events);
  void DeliverOutputEvents();
  void InstallEntries(bool working);

  TModuleIdentity FIdentity;
  vst::AEffect* FEffect; // outlives the module, see Effect()
  vst::AudioMasterCallback FHostCallback = nullptr;
  std::string FHostProduct = "Unknown";
  bool FUseObjectField = false;
  TCloseHandler FCloseHandler = nullptr;

  TRelaxed<float> FSampleRate = 44100.0f;
  TRelaxed<int32_t> FBlockSize = 1024;
  int32_t FCurrentProgram = 0;
  std::string FProgramName;
  std::vector<uint8_t> FProgramStream;
  std::vector<uint8_t> FBankStream;

  std::vector<TParameterDefinition> FParameters;
  // Relaxed: a lone counter; an automate call from the audio thread (a mapped controller) during a
  // load is held back too, and the release round carries its value.
  std::atomic<int32_t> FAutomationHeld{0};

  // The audio thread sets it; effEditIdle takes it (acquire/release so that the editor sees what
  // the setter wrote before raising it).
  std::atomic<bool> FEditorNeedsUpdate{false};

  // Written only on the audio thread; allocated once here, freed with the module.
  TOutputEvents FOutputEvents;
  std::unique_ptr<vst::VstMidiEvent[]> FOutputRecords;
  // Scratch outputs of the accumulating process, allocated once.
  static constexpr int32_t AccumulateCapacity = 8192;
  std::unique_ptr<float[]> FAccumulateBuffers;

  std::unique_ptr<TModuleEditor> FEditor;
  vst::ERect FEditorRect{0, 0, 0, 0};
};
