#include "VstHost.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <utility>

using namespace vst;

namespace {
constexpr VstInt32 HostVstVersion = 2400;
constexpr const char* HostVendor = "Ventrakis";
constexpr VstInt32 HostVendorVersion = 1000;
constexpr VstInt32 ProcessLevelUser = 1;
constexpr VstInt32 ProcessLevelRealtime = 2;
constexpr VstInt32 AutomationOff = 1;
constexpr VstInt32 LanguageEnglish = 1;
// Far beyond any real plug-in; guards the host's buffers against a damaged effect record.
constexpr VstInt32 MaxChannels = 64;
// The interface's text limits are 8 to 64 characters; many plug-ins write more, so read into a
// buffer far larger than any of them.
constexpr std::size_t TextBufferSize = 512;
// Text buffers start filled with this (not zero), so that an answer without its terminator shows.
constexpr char TextFiller = '\x7F';
// The product string's buffer is kVstMaxProductStrLen bytes, its terminator included.
constexpr std::size_t ProductTextLength = static_cast<std::size_t>(kVstMaxProductStrLen) - 1;
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
  try {
    Attach(reinterpret_cast<PluginEntryProc>(entry), path);
  } catch (...) {
    FLibrary.Close();
    throw;
  }
}

void TVstHost::Create(const std::function<AEffect*(AudioMasterCallback)>& entry, const std::string& name) {
  Close();
  Attach(entry, name);
}

void TVstHost::Attach(const std::function<AEffect*(AudioMasterCallback)>& entry, const std::string& name) {
  struct TLoadingScope {
    explicit TLoadingScope(TVstHost* host) { GLoadingHost = host; }
    ~TLoadingScope() { GLoadingHost = nullptr; }
    TLoadingScope(const TLoadingScope&) = delete;
    TLoadingScope& operator=(const TLoadingScope&) = delete;
  };
  AEffect* effect = nullptr;
  {
    const TLoadingScope loading(this); // ends even when the entry throws
    effect = entry(&TVstHost::HostCallback);
  }
  if (effect == nullptr)
    throw EHostError("plug-in refused to start (its VST entry returned no effect): " + name);
  if (effect->magic != kEffectMagic)
    throw EHostError("not a VST 2.4 plug-in (bad effect magic): " + name);
  if (effect->dispatcher == nullptr || effect->numInputs < 0 || effect->numOutputs < 0 ||
      effect->numInputs > MaxChannels || effect->numOutputs > MaxChannels)
    throw EHostError("plug-in reports a damaged effect record: " + name);
  FEffect = effect;
  Register(effect, this);
  FBufferFrames = 0;
  SizeBuffers(FBlockSize);
}

void TVstHost::Start(double sampleRate, int32_t maxBlockSize, const std::vector<uint8_t>* programChunk) {
  FSampleRate = sampleRate;
  FBlockSize = maxBlockSize;
  Dispatch(effOpen);
  Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
  Dispatch(effSetBlockSize, 0, maxBlockSize);
  if (programChunk != nullptr)
    SetChunk(*programChunk, ckdProgram);
  // Suspend then resume, as most hosts do: plug-ins ask for MIDI on the first.
  Dispatch(effMainsChanged, 0, 0);
  Dispatch(effMainsChanged, 0, 1);
  Dispatch(effStartProcess);
  SizeBuffers(maxBlockSize);
}

VstIntPtr TVstHost::Close() {
  VstIntPtr answer = 0;
  if (FEffect != nullptr) {
    if (!FClosed) {
      if (FProcessing)
        Dispatch(effStopProcess);
      if (FMainsOn)
        Dispatch(effMainsChanged, 0, 0);
      answer = Dispatch(effClose);
    }
    Unregister(this);
  }
  FEffect = nullptr;
  FClosed = false;
  FMainsOn = false;
  FProcessing = false;
  FLibrary.Close();
  return answer;
}

VstIntPtr TVstHost::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  if (FEffect == nullptr)
    return 0;
  const VstIntPtr answer = FEffect->dispatcher(FEffect, opcode, index, value, ptr, opt);
  switch (opcode) {
  case effClose:
    FClosed = true;
    break;
  case effMainsChanged:
    FMainsOn = value != 0;
    break;
  case effStartProcess:
    FProcessing = true;
    break;
  case effStopProcess:
    FProcessing = false;
    break;
  default:
    break;
  }
  return answer;
}

std::optional<std::string> TVstHost::DispatchText(VstInt32 opcode, VstInt32 index) {
  char buffer[TextBufferSize];
  std::memset(buffer, TextFiller, sizeof buffer);
  Dispatch(opcode, index, 0, buffer);
  const void* end = std::memchr(buffer, 0, sizeof buffer);
  if (end == nullptr)
    return std::nullopt;
  return std::string(buffer, static_cast<std::size_t>(static_cast<const char*>(end) - buffer));
}

VstIntPtr TVstHost::CanDo(const std::string& name) {
  std::string text = name; // plug-ins take a non-const pointer
  return Dispatch(effCanDo, 0, 0, text.data());
}

float TVstHost::GetParameter(int32_t index) const {
  if (FEffect == nullptr || FEffect->getParameter == nullptr)
    return 0.0f;
  return FEffect->getParameter(FEffect, index);
}

void TVstHost::SetParameter(int32_t index, float value) {
  if (FEffect != nullptr && FEffect->setParameter != nullptr)
    FEffect->setParameter(FEffect, index, value);
}

std::vector<uint8_t> TVstHost::GetChunk(TChunkKind kind) {
  if (FEffect == nullptr || (FEffect->flags & effFlagsProgramChunks) == 0)
    return {};
  void* data = nullptr;
  const VstIntPtr size = Dispatch(effGetChunk, kind, 0, &data);
  if (size <= 0 || data == nullptr)
    return {};
  const auto* bytes = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(bytes, bytes + size);
}

VstIntPtr TVstHost::SetChunk(const std::vector<uint8_t>& bytes, TChunkKind kind) {
  std::vector<uint8_t> copy = bytes; // the plug-in may keep the pointer only for the call
  return Dispatch(effSetChunk, kind, static_cast<VstIntPtr>(copy.size()), copy.data());
}

void TVstHost::Reserve(int32_t frames, std::size_t eventsPerBlock, std::size_t capturedEvents) {
  SizeBuffers(std::min(frames, MaxFrames));
  SizeInputList(eventsPerBlock);
  std::lock_guard<std::mutex> lock(FLogLock);
  FCaptured.reserve(capturedEvents);
  FDeliveries.reserve(capturedEvents);
  FAutomations.reserve(capturedEvents);
}

void TVstHost::SizeInputList(std::size_t events) {
  if (FInputEvents.size() < events)
    FInputEvents.resize(events);
  const std::size_t listBytes = offsetof(VstEvents, events) + events * sizeof(VstEvent*);
  if (FInputList.size() < listBytes)
    FInputList.resize(listBytes);
}

void TVstHost::SizeBuffers(int32_t frames) {
  if (FEffect == nullptr || frames <= 0 || static_cast<std::size_t>(frames) <= FBufferFrames)
    return;
  FBufferFrames = static_cast<std::size_t>(frames);
  const std::size_t outputs = static_cast<std::size_t>(FEffect->numOutputs);
  const std::size_t inputs = static_cast<std::size_t>(FEffect->numInputs);
  FBuffers.assign((outputs + inputs) * FBufferFrames, 0.0f);
  FOutputPointers.resize(outputs);
  FInputPointers.resize(inputs);
  for (std::size_t i = 0; i < outputs; ++i)
    FOutputPointers[i] = FBuffers.data() + i * FBufferFrames;
  for (std::size_t i = 0; i < inputs; ++i)
    FInputPointers[i] = FBuffers.data() + (outputs + i) * FBufferFrames;
}

VstIntPtr TVstHost::SendEvents(const std::vector<THostMidiEvent>& events) {
  SizeInputList(events.size());
  auto* list = reinterpret_cast<VstEvents*>(FInputList.data());
  list->numEvents = static_cast<VstInt32>(events.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    VstMidiEvent& event = FInputEvents[i];
    event = VstMidiEvent{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = events[i].DeltaFrames;
    for (std::size_t b = 0; b < MessageLength(events[i].Data[0]); ++b)
      event.midiData[b] = static_cast<char>(events[i].Data[b]);
    EventSlots(list)[i] = reinterpret_cast<VstEvent*>(&event);
  }
  return Dispatch(effProcessEvents, 0, 0, list);
}

void TVstHost::ProcessBlock(const std::vector<THostMidiEvent>& events, int32_t frames, int64_t blockStart,
                            const THostTransport& transport) {
  if (FEffect == nullptr)
    throw EHostError("no plug-in loaded");
  if (frames > MaxFrames)
    throw std::invalid_argument("block of " + std::to_string(frames) + " frames");
  SizeBuffers(frames);
  FTransport = transport;
  FBlockStart.store(blockStart, std::memory_order_relaxed);
  FProcessingThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
  if (!events.empty())
    SendEvents(events);
  std::fill(FBuffers.begin(), FBuffers.end(), 0.0f);
  if ((FEffect->flags & effFlagsCanReplacing) != 0 && FEffect->processReplacing != nullptr)
    FEffect->processReplacing(FEffect, FInputPointers.data(), FOutputPointers.data(), frames);
  else if (FEffect->process != nullptr)
    FEffect->process(FEffect, FInputPointers.data(), FOutputPointers.data(), frames);
  FProcessingThread.store(std::thread::id{}, std::memory_order_relaxed);
  FProcessCalls.fetch_add(1, std::memory_order_relaxed);
}

bool TVstHost::InProcessingCall() const {
  return FProcessingThread.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

void TVstHost::ClearCaptured() {
  std::lock_guard<std::mutex> lock(FLogLock);
  FCaptured.clear();
}

void TVstHost::ClearDeliveries() {
  std::lock_guard<std::mutex> lock(FLogLock);
  FDeliveries.clear();
}

std::vector<THostAutomation> TVstHost::Automations() const {
  std::lock_guard<std::mutex> lock(FLogLock);
  return FAutomations;
}

void TVstHost::ClearAutomations() {
  std::lock_guard<std::mutex> lock(FLogLock);
  FAutomations.clear();
}

void TVstHost::CaptureEvents(const VstEvents* events) {
  if (events == nullptr)
    return;
  const bool during = InProcessingCall();
  const int64_t block = FProcessCalls.load(std::memory_order_relaxed);
  const int64_t blockStart = FBlockStart.load(std::memory_order_relaxed);
  std::lock_guard<std::mutex> lock(FLogLock);
  FDeliveries.push_back(events->numEvents);
  if (events->numEvents <= 0 || events->numEvents > MaxEventsPerCall)
    return;
  for (VstInt32 i = 0; i < events->numEvents; ++i) {
    const VstEvent* event = EventSlots(events)[i];
    if (event == nullptr || event->type != kVstMidiType) {
      ++FSkippedEvents;
      continue;
    }
    const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
    TCapturedMidiEvent captured;
    captured.Sample = blockStart + midi->deltaFrames;
    for (int b = 0; b < 3; ++b)
      captured.Data[b] = static_cast<uint8_t>(midi->midiData[b]);
    captured.DeltaFrames = midi->deltaFrames;
    captured.Block = block;
    captured.DuringProcessing = during;
    FCaptured.push_back(captured);
  }
}

VstIntPtr VST_CALL TVstHost::HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          void* ptr, float opt) {
  TVstHost* host = FindHost(effect);
  if (host == nullptr)
    return opcode == audioMasterVersion ? HostVstVersion : 0;
  return host->Callback(opcode, index, value, ptr, opt);
}

VstIntPtr TVstHost::Callback(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  switch (opcode) {
  case audioMasterVersion:
    return FAnswers.Version;
  case audioMasterAutomate: {
    std::lock_guard<std::mutex> lock(FLogLock);
    FAutomations.push_back({index, opt});
    return 0;
  }
  case audioMasterCurrentId:
    return FEffect != nullptr ? FEffect->uniqueID : 0;
  case audioMasterWantMidi:
    FWantsMidi = value != 0;
    ++FWantMidiCalls;
    return 1;
  case audioMasterGetTime: {
    if (!FAnswers.ProvidesTime)
      return 0;
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
    return InProcessingCall() ? ProcessLevelRealtime : ProcessLevelUser;
  case audioMasterGetAutomationState:
    return AutomationOff;
  case audioMasterGetVendorString:
    if (ptr != nullptr)
      std::strcpy(static_cast<char*>(ptr), HostVendor);
    return ptr != nullptr;
  case audioMasterGetProductString: {
    if (ptr == nullptr)
      return 0;
    const std::size_t length = std::min(FAnswers.Product.size(), ProductTextLength);
    std::memcpy(ptr, FAnswers.Product.data(), length);
    static_cast<char*>(ptr)[length] = '\0';
    return 1;
  }
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
