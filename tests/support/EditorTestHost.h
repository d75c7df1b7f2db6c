// EditorTestHost: the host callback of the editor tests, which answers as a VST 2.4 host and records what
// the plug-in tells it.
#pragma once

#include "host/VSTInterface.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace EditorTestHost {

// One MIDI message the plug-in sent, on the block time line.
struct TSentMidi {
  int Time = 0; // block start + delta frames
  uint8_t StatusByte = 0;
  uint8_t Note = 0;
  uint8_t Velocity = 0;
};

// What the host heard. The editor tests process on their own thread, so no lock is needed.
struct TLog {
  std::vector<std::pair<int32_t, float>> Automations; // (index, value) of each audioMasterAutomate
  std::vector<TSentMidi> Midi;
  int BlockStart = 0; // where the block being processed starts; the tests advance it

  // Note-ons with a velocity, as (time, note).
  std::vector<std::pair<int, int>> NotesOn() const {
    std::vector<std::pair<int, int>> ons;
    for (const TSentMidi& midi : Midi) {
      if ((midi.StatusByte & 0xF0) == 0x90 && midi.Velocity > 0) {
        ons.emplace_back(midi.Time, midi.Note);
      }
    }
    return ons;
  }
};

// One log for every instance of the process; tests clear it when they start.
inline TLog& Log() {
  static TLog log;
  return log;
}

// A VST 2.4 host named "Triaxo Test Host".
inline vst::VstIntPtr VST_CALL Callback(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32 index,
                                        vst::VstIntPtr, void* ptr, float opt) {
  switch (opcode) {
  case vst::audioMasterVersion:
    return 2400;
  case vst::audioMasterGetProductString:
    if (ptr == nullptr) {
      return 0;
    }
    std::strcpy(static_cast<char*>(ptr), "Triaxo Test Host");
    return 1;
  case vst::audioMasterAutomate:
    Log().Automations.emplace_back(index, opt);
    return 0;
  case vst::audioMasterProcessEvents: {
    const auto* events = static_cast<const vst::VstEvents*>(ptr);
    if (events == nullptr) {
      return 0;
    }
    for (vst::VstInt32 i = 0; i < events->numEvents; ++i) {
      const auto* midi = reinterpret_cast<const vst::VstMidiEvent*>(vst::EventSlots(events)[i]);
      if (midi != nullptr && midi->type == vst::kVstMidiType) {
        Log().Midi.push_back({Log().BlockStart + midi->deltaFrames, static_cast<uint8_t>(midi->midiData[0]),
                              static_cast<uint8_t>(midi->midiData[1]),
                              static_cast<uint8_t>(midi->midiData[2])});
      }
    }
    return 1;
  }
  default:
    return 0;
  }
}

} // namespace EditorTestHost
