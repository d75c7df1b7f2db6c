#include "VstHost.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <utility>

using namespace vst;

namespace {
constexpr VstInt32 HostVstVersion = 2400;
constexpr const char* HostVendor = "Ventrakis";
constexpr const char* HostProduct = "triaxo-host";
constexpr VstInt32 HostVendorVersion = 1000;
constexpr VstInt32 ProcessLevelUser = 1;
constexpr VstInt32 ProcessLevelRealtime = 2;
constexpr VstInt32 AutomationOff = 1;
constexpr VstInt32 LanguageEnglish = 1;
constexpr VstInt32 ProgramChunkIndex = 1;
// Far beyond any real plug-in; guards the host's buffers against a damaged effect record.
constexpr VstInt32 MaxChannels = 64;
// The interface's text limits are 8 to 64 characters; many plug-ins write more, so read into a
// buffer far larger than any of them.
constexpr std::size_t TextBufferSize = 512;
// An event list longer than this from a plug-in is treated as damaged.
constexpr VstInt32 MaxEventsPerCall = 1 << 16;

// Plug-ins call back with their effect record; a record only points at its host once the entry has
// returned, so callbacks made during the entry go to the host that is loading.
std::mutex GRegistryLock;
std::vector<std::pair<const AEffect*, TVstHost*>> GRegistry;
thread_local TVstHost* GLoadingHost = nullptr;

TVstHost* FindHost(const AEffect* effect) {
  if (effect != nullptr) {
    std::lock_guard<std::mutex> lock(GRegistryLock);
    for (const auto& [key, host] : GRegistry)
      if (key == effect)
        return host;
  }
  return GLoadingHost;
}

void Register(const AEffect* effect, TVstHost* host) {
  std::lock_guard<std::mutex> lock(GRegistryLock);
  GRegistry.emplace_back(effect, host);
}

void Unregister(const TVstHost* host) {
  std::lock_guard<std::mutex> lock(GRegistryLock);
  std::erase_if(GRegistry, [host](const auto& entry) { return entry.second == host; });
}

std::size_t MessageLength(uint8_t status) {
  switch (status & 0xF0) {
  case 0xC0:
  case 0xD0:
    return 2;
  default:
    return 3;
  }
}
} // namespace

TVstHost::TVstHost() = default;

TVstHost::~TVstHost() {
  Close();
}

void TVstHost::Load(const std::string& path) {
  Close();
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error))
    throw EHostError("plug-in not found: " + path);
  if (!FLibrary.Open(path))
    throw EHostError("cannot load plug-in " + path + ": " + FLibrary.ErrorText());
  void* entry = FLibrary.Symbol("VSTPluginMain");
  if (entry == nullptr)
    entry = FLibrary.Symbol("main");
  if (entry == nullptr) {
    FLibrary.Close();
    throw EHostError("plug-in has no VST entry (VSTPluginMain): " + path);
  }
  GLoadingHost = this;
  AEffect* effect = reinterpret_cast<PluginEntryProc>(entry)(&TVstHost::HostCallback);
  GLoadingHost = nullptr;
  if (effect == nullptr) {
    FLibrary.Close();
    throw EHostError("plug-in refused to start (its VST entry returned no effect): " + path);
  }
  if (effect->magic != kEffectMagic) {
    FLibrary.Close();
    throw EHostError("not a VST 2.4 plug-in (bad effect magic): " + path);
  }
  if (effect->dispatcher == nullptr || effect->numInputs < 0 || effect->numOutputs < 0 ||
      effect->numInputs > MaxChannels || effect->numOutputs > MaxChannels) {
    FLibrary.Close();
    throw EHostError("plug-in reports a damaged effect record: " + path);
  }
  FEffect = effect;
  Register(effect, this);
}

void TVstHost::Start(double sampleRate, int32_t maxBlockSize, const std::vector<uint8_t>* programChunk) {
  FSampleRate = sampleRate;
  FBlockSize = maxBlockSize;
  Dispatch(effOpen);
  Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  Dispatch(effSetBlockSize, 0, maxBlockSize);
  if (programChunk != nullptr)
    SetProgramChunk(*programChunk);
  // Suspend then resume, as most hosts do: plug-ins ask for MIDI on the first.
  Dispatch(effMainsChanged, 0, 0);
  Dispatch(effMainsChanged, 0, 1);
  Dispatch(effStartProcess);
  const std::size_t outputs = static_cast<std::size_t>(FEffect->numOutputs);
  const std::size_t inputs = static_cast<std::size_t>(FEffect->numInputs);
  FOutputBuffers.assign((outputs + inputs) * static_cast<std::size_t>(maxBlockSize), 0.0f);
  FOutputPointers.resize(outputs);
  FInputPointers.resize(inputs);
  for (std::size_t i = 0; i < outputs; ++i)
    FOutputPointers[i] = FOutputBuffers.data() + i * static_cast<std::size_t>(maxBlockSize);
  for (std::size_t i = 0; i < inputs; ++i)
    FInputPointers[i] = FOutputBuffers.data() + (outputs + i) * static_cast<std::size_t>(maxBlockSize);
  FStarted = true;
}

void TVstHost::Close() {
  if (FEffect != nullptr) {
    if (FStarted) {
      Dispatch(effStopProcess);
      Dispatch(effMainsChanged, 0, 0);
    }
    Dispatch(effClose);
    Unregister(this);
  }
  FEffect = nullptr;
  FStarted = false;
  FLibrary.Close();
}

VstIntPtr TVstHost::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  if (FEffect == nullptr)
    return 0;
  return FEffect->dispatcher(FEffect, opcode, index, value, ptr, opt);
}

std::string TVstHost::DispatchText(VstInt32 opcode, VstInt32 index) {
  char buffer[TextBufferSize] = {};
  Dispatch(opcode, index, 0, buffer);
  buffer[TextBufferSize - 1] = 0;
  return std::string(buffer);
}

VstIntPtr TVstHost::CanDo(const std::string& name) {
  std::string text = name; // plug-ins take a non-const pointer
  return Dispatch(effCanDo, 0, 0, text.data());
}

std::vector<uint8_t> TVstHost::ProgramChunk() {
  if ((FEffect->flags & effFlagsProgramChunks) == 0)
    return {};
  void* data = nullptr;
  const VstIntPtr size = Dispatch(effGetChunk, ProgramChunkIndex, 0, &data);
  if (size <= 0 || data == nullptr)
    return {};
  const auto* bytes = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(bytes, bytes + size);
}

void TVstHost::SetProgramChunk(const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> copy = bytes; // the plug-in may keep the pointer only for the call
  Dispatch(effSetChunk, ProgramChunkIndex, static_cast<VstIntPtr>(copy.size()), copy.data());
}

void TVstHost::ProcessBlock(const std::vector<THostMidiEvent>& events, int32_t frames, int64_t blockStart,
                            const THostTransport& transport) {
  if (frames <= 0 || frames > FBlockSize)
    throw std::invalid_argument("block of " + std::to_string(frames) + " frames");
  FTransport = transport;
  FBlockStart = blockStart;
  FInProcess = true;
  if (!events.empty()) {
    FInputEvents.assign(events.size(), VstMidiEvent{});
    FInputList.assign(offsetof(VstEvents, events) + events.size() * sizeof(VstEvent*), 0);
    auto* list = reinterpret_cast<VstEvents*>(FInputList.data());
    list->numEvents = static_cast<VstInt32>(events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
      VstMidiEvent& event = FInputEvents[i];
      event.type = kVstMidiType;
      event.byteSize = sizeof(VstMidiEvent);
      event.deltaFrames = events[i].DeltaFrames;
      for (std::size_t b = 0; b < MessageLength(events[i].Data[0]); ++b)
        event.midiData[b] = static_cast<char>(events[i].Data[b]);
      EventSlots(list)[i] = reinterpret_cast<VstEvent*>(&event);
    }
    Dispatch(effProcessEvents, 0, 0, list);
  }
  std::fill(FOutputBuffers.begin(), FOutputBuffers.end(), 0.0f);
  if ((FEffect->flags & effFlagsCanReplacing) != 0 && FEffect->processReplacing != nullptr)
    FEffect->processReplacing(FEffect, FInputPointers.data(), FOutputPointers.data(), frames);
  else if (FEffect->process != nullptr)
    FEffect->process(FEffect, FInputPointers.data(), FOutputPointers.data(), frames);
  FInProcess = false;
}

void TVstHost::CaptureEvents(const VstEvents* events) {
  if (events == nullptr || events->numEvents <= 0 || events->numEvents > MaxEventsPerCall)
    return;
  for (VstInt32 i = 0; i < events->numEvents; ++i) {
    const VstEvent* event = EventSlots(events)[i];
    if (event == nullptr || event->type != kVstMidiType || !FInProcess) {
      ++FIgnoredEvents;
      continue;
    }
    const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
    TCapturedMidiEvent captured;
    captured.Sample = FBlockStart + midi->deltaFrames;
    for (int b = 0; b < 3; ++b)
      captured.Data[b] = static_cast<uint8_t>(midi->midiData[b]);
    const uint8_t status = captured.Data[0];
    if (status < 0x80 || status >= 0xF0) {
      ++FIgnoredEvents;
      continue;
    }
    if (MessageLength(status) == 2)
      captured.Data[2] = 0;
    FCaptured.push_back(captured);
  }
}

VstIntPtr VST_CALL TVstHost::HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          void* ptr, float /*opt*/) {
  if (opcode == audioMasterVersion)
    return HostVstVersion;
  TVstHost* host = FindHost(effect);
  if (host == nullptr)
    return 0;
  return host->Callback(opcode, index, value, ptr);
}

VstIntPtr TVstHost::Callback(VstInt32 opcode, VstInt32 /*index*/, VstIntPtr value, void* ptr) {
  switch (opcode) {
  case audioMasterAutomate:
    ++FAutomateCalls;
    return 0;
  case audioMasterCurrentId:
    return FEffect != nullptr ? FEffect->uniqueID : 0;
  case audioMasterWantMidi:
    FWantsMidi = value != 0;
    return 1;
  case audioMasterGetTime: {
    FTimeInfo = VstTimeInfo{};
    FTimeInfo.sampleRate = FSampleRate;
    FTimeInfo.samplePos = FTransport.SamplePosition;
    FTimeInfo.ppqPos = FTransport.QuarterPosition;
    FTimeInfo.tempo = FTransport.Tempo;
    FTimeInfo.timeSigNumerator = FTransport.TimeSignatureNumerator;
    FTimeInfo.timeSigDenominator = FTransport.TimeSignatureDenominator;
    FTimeInfo.flags = kVstPpqPosValid | kVstTempoValid | kVstTimeSigValid;
    if (FTransport.Playing)
      FTimeInfo.flags |= kVstTransportPlaying;
    if (FTransport.Playing != FReportedPlaying)
      FTimeInfo.flags |= kVstTransportChanged;
    FReportedPlaying = FTransport.Playing;
    return reinterpret_cast<VstIntPtr>(&FTimeInfo);
  }
  case audioMasterProcessEvents:
    CaptureEvents(static_cast<const VstEvents*>(ptr));
    return 1;
  case audioMasterIOChanged:
  case audioMasterSizeWindow:
  case audioMasterUpdateDisplay:
  case audioMasterBeginEdit:
  case audioMasterEndEdit:
    return 1;
  case audioMasterGetSampleRate:
    return static_cast<VstIntPtr>(FSampleRate);
  case audioMasterGetBlockSize:
    return FBlockSize;
  case audioMasterGetCurrentProcessLevel:
    return FInProcess ? ProcessLevelRealtime : ProcessLevelUser;
  case audioMasterGetAutomationState:
    return AutomationOff;
  case audioMasterGetVendorString:
    if (ptr != nullptr)
      std::strcpy(static_cast<char*>(ptr), HostVendor);
    return ptr != nullptr;
  case audioMasterGetProductString:
    if (ptr != nullptr)
      std::strcpy(static_cast<char*>(ptr), HostProduct);
    return ptr != nullptr;
  case audioMasterGetVendorVersion:
    return HostVendorVersion;
  case audioMasterGetLanguage:
    return LanguageEnglish;
  case audioMasterCanDo: {
    if (ptr == nullptr)
      return 0;
    const std::string name(static_cast<const char*>(ptr));
    for (const char* known : {"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo", "receiveVstEvents",
                              "receiveVstMidiEvent", "supplyIdle"})
      if (name == known)
        return 1;
    return 0;
  }
  default:
    return 0;
  }
}
