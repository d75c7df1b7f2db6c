#include "TestVstHost.h"

#include <cstdlib>
#include <cstring>
#if !defined(_WIN32)
#include <dlfcn.h>
#endif
#include <filesystem>
#include <map>
#include <mutex>
#include <stdexcept>

using namespace vst;

namespace {

std::mutex HostsLock;
std::map<AEffect*, TTestVstHost*>& Hosts() {
  static std::map<AEffect*, TTestVstHost*> hosts;
  return hosts;
}
// The host whose VSTPluginMain call is running: the plug-in calls back before the host knows its record.
TTestVstHost* Creating = nullptr;

} // namespace

#if !defined(_WIN32) // Windows: TestVstHostWindows.cpp
PluginEntryProc PluginEntry() {
  static PluginEntryProc entry = [] {
    void* library = dlopen(TRIAXO_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
      throw std::runtime_error(std::string("cannot load the plug-in: ") + dlerror());
    auto* symbol = reinterpret_cast<PluginEntryProc>(dlsym(library, "VSTPluginMain"));
    if (symbol == nullptr)
      throw std::runtime_error("the plug-in has no VSTPluginMain");
    return symbol;
  }();
  return entry;
}
#endif

TTestVstHost::TTestVstHost() {
  Time.sampleRate = 44100.0;
  Time.tempo = 120.0;
  Time.timeSigNumerator = 4;
  Time.timeSigDenominator = 4;
}

TTestVstHost::~TTestVstHost() {
  if (FEffect != nullptr)
    Close();
}

AEffect* TTestVstHost::Create() {
  Creating = this;
  FEffect = PluginEntry()(&TTestVstHost::Callback);
  Creating = nullptr;
  if (FEffect != nullptr) {
    std::lock_guard<std::mutex> lock(HostsLock);
    Hosts()[FEffect] = this;
  }
  return FEffect;
}

AEffect* TTestVstHost::Open(float sampleRate, int32_t blockSize) {
  if (Create() == nullptr)
    return nullptr;
  Dispatch(effOpen);
  Dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
  Dispatch(effSetBlockSize, 0, blockSize);
  Dispatch(effMainsChanged, 0, 1);
  Time.sampleRate = sampleRate;
  return FEffect;
}

VstIntPtr TTestVstHost::Close() {
  if (FEffect == nullptr)
    return 0;
  Dispatch(effMainsChanged, 0, 0);
  const VstIntPtr answer = Dispatch(effClose);
  {
    std::lock_guard<std::mutex> lock(HostsLock);
    Hosts().erase(FEffect);
  }
  FEffect = nullptr;
  return answer;
}

VstIntPtr TTestVstHost::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return FEffect->dispatcher(FEffect, opcode, index, value, ptr, opt);
}

std::string TTestVstHost::Text(VstInt32 opcode, VstInt32 index, std::size_t bufferSize) {
  std::vector<char> buffer(bufferSize, '\x7F');
  Dispatch(opcode, index, 0, buffer.data());
  return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

VstIntPtr TTestVstHost::CanDo(const std::string& name) {
  return Dispatch(effCanDo, 0, 0, const_cast<char*>(name.c_str()));
}

void TTestVstHost::Process(int32_t frames, const std::vector<TMidiMessage>& events) {
  if (!events.empty()) {
    std::vector<VstMidiEvent> records(events.size());
    std::vector<uint8_t> list(sizeof(VstEvents) + events.size() * sizeof(VstEvent*));
    auto* header = reinterpret_cast<VstEvents*>(list.data());
    header->numEvents = static_cast<VstInt32>(events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
      records[i] = VstMidiEvent{};
      records[i].type = kVstMidiType;
      records[i].byteSize = sizeof(VstMidiEvent) - 8;
      records[i].deltaFrames = events[i].DeltaFrames;
      records[i].midiData[0] = static_cast<char>(events[i].Status);
      records[i].midiData[1] = static_cast<char>(events[i].Data1);
      records[i].midiData[2] = static_cast<char>(events[i].Data2);
      EventSlots(header)[i] = reinterpret_cast<VstEvent*>(&records[i]);
    }
    Dispatch(effProcessEvents, 0, 0, header);
  }
  FLeft.assign(static_cast<std::size_t>(std::max(frames, 1)), 1.0f);
  FRight.assign(static_cast<std::size_t>(std::max(frames, 1)), 1.0f);
  float* outputs[2] = {FLeft.data(), FRight.data()};
  FEffect->processReplacing(FEffect, nullptr, outputs, frames);
  if ((Time.flags & kVstTransportPlaying) != 0)
    Time.samplePos += frames;
  ++FBlock;
}

void TTestVstHost::SetPlaying(bool playing) {
  if (playing)
    Time.flags |= kVstTransportPlaying;
  else
    Time.flags &= ~kVstTransportPlaying;
}

std::vector<uint8_t> TTestVstHost::GetChunk(bool bank) {
  void* data = nullptr;
  const VstIntPtr size = Dispatch(effGetChunk, bank ? 0 : 1, 0, &data);
  if (size <= 0 || data == nullptr)
    return {};
  const auto* bytes = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(bytes, bytes + size);
}

VstIntPtr TTestVstHost::SetChunk(const std::vector<uint8_t>& bytes, bool bank) {
  return Dispatch(effSetChunk, bank ? 0 : 1, static_cast<VstIntPtr>(bytes.size()),
                  const_cast<uint8_t*>(bytes.data()));
}

float TTestVstHost::GetParameter(int32_t index) {
  return FEffect->getParameter(FEffect, index);
}

void TTestVstHost::SetParameter(int32_t index, float value) {
  FEffect->setParameter(FEffect, index, value);
}

VstIntPtr VST_CALL TTestVstHost::Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          void* ptr, float opt) {
  TTestVstHost* host = nullptr;
  {
    std::lock_guard<std::mutex> lock(HostsLock);
    auto found = Hosts().find(effect);
    if (found != Hosts().end())
      host = found->second;
  }
  if (host == nullptr)
    host = Creating;
  return host != nullptr ? host->Answer(opcode, index, value, ptr, opt) : 0;
}

VstIntPtr TTestVstHost::Answer(VstInt32 opcode, VstInt32 index, VstIntPtr /*value*/, void* ptr, float opt) {
  switch (opcode) {
  case audioMasterVersion:
    return VersionAnswer;
  case audioMasterGetProductString:
    if (ptr != nullptr) {
      std::strncpy(static_cast<char*>(ptr), ProductString.c_str(), 63);
      return 1;
    }
    return 0;
  case audioMasterAutomate: {
    std::lock_guard<std::mutex> lock(FLogLock);
    Automations.push_back({index, opt});
  }
    return 0;
  case audioMasterWantMidi:
    ++WantMidiCalls;
    return 1;
  case audioMasterGetTime:
    return ProvideTime ? reinterpret_cast<VstIntPtr>(&Time) : 0;
  case audioMasterProcessEvents: {
    const auto* events = static_cast<const VstEvents*>(ptr);
    std::lock_guard<std::mutex> lock(FLogLock);
    DeliveredCounts.push_back(events->numEvents);
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
      const auto* midi = reinterpret_cast<const VstMidiEvent*>(EventSlots(events)[i]);
      Output.push_back({FBlock, midi->deltaFrames, static_cast<uint8_t>(midi->midiData[0]),
                        static_cast<uint8_t>(midi->midiData[1]), static_cast<uint8_t>(midi->midiData[2])});
    }
    return 1;
  }
  default:
    return 0;
  }
}
