// Fuzz target: program and bank chunks as a host hands them to effSetChunk. The first input byte
// picks the form (bit 0 set: bank), the rest is the host's data, ending right before a guard page.
// After every load the state must be reproducible (two effGetChunk calls give the same bytes, and
// loading those bytes gives them back) and the instance must still play notes.
#include "FuzzSupport.h"
#include "engine/Plugin.h"
#include "host/VSTPluginBaseDM.h"

#include <array>
#include <cmath>
#include <cstring>
#include <memory>

using namespace vst;

namespace {

constexpr VstInt32 BlockFrames = 256;
VstTimeInfo HostTime{};
VstInt32 CurrentBlockFrames = 0;
int32_t Delivered = 0;

VstIntPtr VST_CALL HostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
  switch (opcode) {
  case audioMasterVersion:
    return 2400;
  case audioMasterGetTime:
    return reinterpret_cast<VstIntPtr>(&HostTime);
  case audioMasterProcessEvents: {
    const auto* events = static_cast<const VstEvents*>(ptr);
    Check(events != nullptr && events->numEvents > 0 && events->numEvents <= 1023, "delivered list size");
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
      const auto* midi = reinterpret_cast<const VstMidiEvent*>(EventSlots(events)[i]);
      Check(midi != nullptr && midi->type == kVstMidiType, "delivered event type");
      Check(midi->deltaFrames >= 0 && midi->deltaFrames < CurrentBlockFrames, "delivered offset in block");
      const auto status = static_cast<uint8_t>(midi->midiData[0]);
      Check(status >= 0x80 && status < 0xF0, "delivered status byte");
      Check(static_cast<uint8_t>(midi->midiData[1]) < 0x80, "delivered first data byte");
      Check(static_cast<uint8_t>(midi->midiData[2]) < 0x80, "delivered second data byte");
    }
    Delivered += events->numEvents;
    return 1;
  }
  default:
    return 0;
  }
}

AEffect* Effect = nullptr;

VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                   float opt = 0) {
  return Effect->dispatcher(Effect, opcode, index, value, ptr, opt);
}

std::vector<uint8_t> GetChunk(bool bank) {
  void* data = nullptr;
  const VstIntPtr size = Dispatch(effGetChunk, bank ? 0 : 1, 0, &data);
  Check(size > 0 && data != nullptr, "effGetChunk answers a state");
  const auto* bytes = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(bytes, bytes + size);
}

void SetChunk(const uint8_t* data, std::size_t size, bool bank) {
  const TGuardedBytes guarded(data, size);
  Dispatch(effSetChunk, bank ? 0 : 1, static_cast<VstIntPtr>(size), size > 0 ? guarded.Data() : nullptr);
}

void Block(const std::vector<std::array<uint8_t, 3>>& messages) {
  std::vector<VstMidiEvent> records(messages.size());
  std::vector<uint8_t> list(sizeof(VstEvents) + messages.size() * sizeof(VstEvent*));
  auto* header = reinterpret_cast<VstEvents*>(list.data());
  header->numEvents = static_cast<VstInt32>(messages.size());
  for (std::size_t i = 0; i < messages.size(); ++i) {
    records[i] = VstMidiEvent{};
    records[i].type = kVstMidiType;
    records[i].byteSize = sizeof(VstMidiEvent);
    records[i].deltaFrames = static_cast<VstInt32>(i * 7 % BlockFrames);
    for (int b = 0; b < 3; ++b)
      records[i].midiData[b] = static_cast<char>(messages[i][static_cast<std::size_t>(b)]);
    EventSlots(header)[i] = reinterpret_cast<VstEvent*>(&records[i]);
  }
  if (!messages.empty())
    Dispatch(effProcessEvents, 0, 0, header);
  std::vector<float> left(BlockFrames, 1.0f);
  std::vector<float> right(BlockFrames, 1.0f);
  float* outputs[2] = {left.data(), right.data()};
  CurrentBlockFrames = BlockFrames;
  Effect->processReplacing(Effect, nullptr, outputs, BlockFrames);
  HostTime.samplePos += BlockFrames;
  for (VstInt32 i = 0; i < BlockFrames; ++i)
    Check(left[static_cast<std::size_t>(i)] == 0.0f && right[static_cast<std::size_t>(i)] == 0.0f,
          "outputs carry silence");
}

void CheckParameters() {
  for (VstInt32 i = 0; i < Effect->numParams; ++i) {
    const float value = Effect->getParameter(Effect, i);
    Check(value >= 0.0f && value <= 1.0f, "parameter inside 0..1");
    char text[64];
    std::memset(text, 0x7F, sizeof(text));
    Dispatch(effGetParamDisplay, i, 0, text);
    Check(std::memchr(text, 0, 32) != nullptr, "parameter text ends inside its 32 bytes");
  }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseFakeHome();
  UseSilentUi();
  // The module the library entry makes, attached to this host and switched on.
  auto module = std::make_unique<TVSTPluginBase>([](TPluginHost& host) -> std::unique_ptr<TPluginHandlers> {
    return std::make_unique<TVSTPlugin>(host);
  });
  if (!module->AttachHost(HostCallback))
    Fault("the module refused the host");
  Effect = module.release()->Effect();
  HostTime.sampleRate = 44100.0;
  HostTime.tempo = 120.0;
  HostTime.flags = kVstTransportPlaying;
  Dispatch(effOpen);
  Dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
  Dispatch(effSetBlockSize, 0, BlockFrames);
  Dispatch(effMainsChanged, 0, 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  const bool bank = (data[0] & 1) != 0;
  SetChunk(data + 1, size - 1, bank);
  CheckParameters();

  const std::vector<uint8_t> first = GetChunk(false);
  const std::vector<uint8_t> second = GetChunk(false);
  CheckSame(first, second, "two effGetChunk calls give the same bytes");
  const std::vector<uint8_t> bankBlock = GetChunk(true);
  Check(bankBlock.size() == first.size() + 4 && std::equal(first.begin(), first.end(), bankBlock.begin() + 4),
        "the bank block holds the program chunk");

  SetChunk(first.data(), first.size(), false);
  CheckSame(first, GetChunk(false), "a saved state loads back to the same bytes");
  SetChunk(bankBlock.data(), bankBlock.size(), true);
  CheckSame(first, GetChunk(false), "a saved bank loads back to the same bytes");

  // A few blocks with a chord, a passed-through controller and the releases.
  Delivered = 0;
  Block({{0x90, 60, 100}, {0x90, 64, 90}, {0xB0, 1, 64}, {0x90, 12, 70}, {0x90, 120, 127}});
  Block({});
  Block({{0x80, 60, 0}, {0x90, 64, 0}, {0x80, 12, 0}, {0x80, 120, 0}});
  for (int i = 0; i < 8; ++i)
    Block({});
  Check(Delivered > 0, "the controller at least reaches the host");
  return 0;
}
