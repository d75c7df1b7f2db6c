// EchoPlugin: a tiny VST 2.4 instrument for host tests; echoes MIDI at once and an octave up later.
//
// Its time line follows the same rules as the real plug-in: the host's sample position while the
// transport plays, a free-running counter (offsets ignored) while it is stopped. The late copy is due
// a fractional 100.5 samples after its note, so rounding at exact halves is exercised too.
#include "host/VSTInterface.h"

#include <cmath>
#include <cstring>
#include <vector>

using namespace vst;

namespace {
constexpr double EchoDelaySamples = 100.5;
constexpr int OctaveUp = 12;
constexpr int OutputCapacity = 512;

struct TEcho {
  AEffect Effect{};
  AudioMasterCallback Host = nullptr;
  double SampleRate = 44100;
  double BlockPosition = 0;
  uint32_t SampleCounter = 0;
  bool WasPlaying = false;
  float Gain = 0.5f;
  struct TPending {
    double Time;
    char Data[3];
  };
  std::vector<TPending> Pending;
  std::vector<uint8_t> Chunk{'E', 'C', 'H', 'O'};
  VstMidiEvent OutputRecords[OutputCapacity]{};
  struct {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[OutputCapacity];
  } Output{};
};

TEcho* Self(AEffect* effect) {
  return static_cast<TEcho*>(effect->object);
}

VstTimeInfo* Time(TEcho* echo) {
  return reinterpret_cast<VstTimeInfo*>(echo->Host(&echo->Effect, audioMasterGetTime, 0, 0, nullptr, 0));
}

bool Playing(const VstTimeInfo* time) {
  return time != nullptr && (time->flags & kVstTransportPlaying) != 0;
}

void Send(TEcho* echo, const char* data, int32_t offset) {
  if (echo->Output.numEvents >= OutputCapacity)
    return;
  VstMidiEvent& record = echo->OutputRecords[echo->Output.numEvents];
  record = VstMidiEvent{};
  record.type = kVstMidiType;
  record.byteSize = sizeof(VstMidiEvent);
  record.deltaFrames = offset;
  std::memcpy(record.midiData, data, 3);
  echo->Output.events[echo->Output.numEvents++] = reinterpret_cast<VstEvent*>(&record);
}

void ProcessEvents(TEcho* echo, const VstEvents* events) {
  for (VstInt32 i = 0; i < events->numEvents; ++i) {
    const VstEvent* event = EventSlots(events)[i];
    if (event->type != kVstMidiType)
      continue;
    const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
    const VstTimeInfo* time = Time(echo);
    const bool playing = Playing(time);
    const int32_t offset = playing ? midi->deltaFrames : 0;
    const double position = (playing ? time->samplePos : echo->SampleCounter) + offset;
    Send(echo, midi->midiData, offset);
    const int kind = midi->midiData[0] & 0xF0;
    if (kind == 0x90 || kind == 0x80) {
      TEcho::TPending copy{position + EchoDelaySamples,
                           {midi->midiData[0], midi->midiData[1], midi->midiData[2]}};
      copy.Data[1] = static_cast<char>((copy.Data[1] + OctaveUp) & 0x7F);
      echo->Pending.push_back(copy);
    }
  }
}

void ProcessReplacing(AEffect* effect, float** /*inputs*/, float** outputs, VstInt32 frames) {
  TEcho* echo = Self(effect);
  for (int channel = 0; channel < 2; ++channel)
    std::memset(outputs[channel], 0, sizeof(float) * static_cast<std::size_t>(frames));
  const VstTimeInfo* time = Time(echo);
  const bool playing = Playing(time);
  if (playing) {
    echo->BlockPosition = time->samplePos;
  } else {
    if (echo->WasPlaying)
      echo->SampleCounter = 0;
    echo->BlockPosition = echo->SampleCounter;
    echo->SampleCounter += static_cast<uint32_t>(frames);
  }
  echo->WasPlaying = playing;
  for (std::size_t i = 0; i < echo->Pending.size();) {
    const TEcho::TPending& pending = echo->Pending[i];
    if (pending.Time <= echo->BlockPosition + frames) {
      Send(echo, pending.Data, static_cast<int32_t>(std::nearbyint(pending.Time - echo->BlockPosition)));
      echo->Pending.erase(echo->Pending.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
  if (echo->Output.numEvents > 0) {
    echo->Host(effect, audioMasterProcessEvents, 0, 0, &echo->Output, 0);
    echo->Output.numEvents = 0;
  }
}

void CopyText(void* ptr, const char* text) {
  std::strcpy(static_cast<char*>(ptr), text);
}

VstIntPtr Dispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                     float opt) {
  TEcho* echo = Self(effect);
  switch (opcode) {
  case effClose:
    delete echo;
    return 1;
  case effSetSampleRate:
    echo->SampleRate = opt;
    return 0;
  case effGetProgramName:
    CopyText(ptr, "Echo Default");
    return 0;
  case effGetParamName:
    CopyText(ptr, "Gain");
    return 0;
  case effGetParamLabel:
    CopyText(ptr, "dB");
    return 0;
  case effGetParamDisplay:
    CopyText(ptr, echo->Gain > 0.25f ? "-6.0" : "-12.0");
    return 0;
  case effGetChunk:
    *static_cast<void**>(ptr) = echo->Chunk.data();
    return static_cast<VstIntPtr>(echo->Chunk.size());
  case effSetChunk:
    echo->Chunk.assign(static_cast<uint8_t*>(ptr), static_cast<uint8_t*>(ptr) + value);
    return value;
  case effProcessEvents:
    if (ptr != nullptr)
      ProcessEvents(echo, static_cast<const VstEvents*>(ptr));
    return 1;
  case effGetPlugCategory:
    return kPlugCategSynth;
  case effGetEffectName:
    CopyText(ptr, "Echo");
    return 1;
  case effGetVendorString:
    CopyText(ptr, "Triaxo Tests");
    return 1;
  case effGetProductString:
    CopyText(ptr, "Echo Test Plug-in");
    return 1;
  case effGetVendorVersion:
    return 7;
  case effCanDo: {
    const char* name = static_cast<const char*>(ptr);
    if (std::strcmp(name, "receiveVstMidiEvent") == 0 || std::strcmp(name, "sendVstMidiEvent") == 0)
      return 1;
    return std::strcmp(name, "offline") == 0 ? -1 : 0;
  }
  case effGetVstVersion:
    return kVstVersion;
  default:
    (void)index;
    return 0;
  }
}

void SetParameter(AEffect* effect, VstInt32, float value) {
  Self(effect)->Gain = value;
}
float GetParameter(AEffect* effect, VstInt32) {
  return Self(effect)->Gain;
}
} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(AudioMasterCallback host) {
  if (host == nullptr || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0) == 0)
    return nullptr;
  auto* echo = new TEcho;
  echo->Host = host;
  AEffect& effect = echo->Effect;
  effect.magic = kEffectMagic;
  effect.dispatcher = &Dispatcher;
  effect.setParameter = &SetParameter;
  effect.getParameter = &GetParameter;
  effect.processReplacing = &ProcessReplacing;
  effect.numPrograms = 1;
  effect.numParams = 1;
  effect.numInputs = 0;
  effect.numOutputs = 2;
  effect.flags = effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth;
  effect.ioRatio = 1.0f;
  effect.object = echo;
  effect.uniqueID = MakeFourCC('E', 'c', 'h', 'o');
  effect.version = 7;
  return &effect;
}
