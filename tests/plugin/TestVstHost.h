// TestVstHost: a small VST 2.4 host that loads the built Triaxo.so through VSTPluginMain, as hosts do.
#pragma once

#include "host/VSTInterface.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// One MIDI message as the plug-in delivered it through audioMasterProcessEvents.
struct TCapturedEvent {
  int32_t Block = 0; // index of the processing call that delivered it
  int32_t DeltaFrames = 0;
  uint8_t Status = 0;
  uint8_t Data1 = 0;
  uint8_t Data2 = 0;
};

struct TAutomateCall {
  int32_t Index = 0;
  float Value = 0.0f;
};

// One MIDI event to send into a block.
struct TMidiMessage {
  uint8_t Status = 0;
  uint8_t Data1 = 0;
  uint8_t Data2 = 0;
  int32_t DeltaFrames = 0;
};

// Loads the plug-in library once per process and hands out its entry.
vst::PluginEntryProc PluginEntry();

class TTestVstHost {
public:
  TTestVstHost();
  ~TTestVstHost();
  TTestVstHost(const TTestVstHost&) = delete;
  TTestVstHost& operator=(const TTestVstHost&) = delete;

  // What the host answers.
  vst::VstIntPtr VersionAnswer = 2400;
  std::string ProductString = "Triaxo Test Host";
  bool ProvideTime = true;
  vst::VstTimeInfo Time{};

  // What the host saw. The audio and user-interface threads both report; tests that run both at
  // once read these only after joining.
  std::vector<TCapturedEvent> Output;
  std::vector<int32_t> DeliveredCounts; // numEvents of each audioMasterProcessEvents call
  std::vector<TAutomateCall> Automations;
  int32_t WantMidiCalls = 0;

  // VSTPluginMain only (null when the plug-in refused).
  vst::AEffect* Create();
  // Create, then effOpen, sample rate, block size and effMainsChanged(1).
  vst::AEffect* Open(float sampleRate = 44100.0f, int32_t blockSize = 512);
  // effMainsChanged(0) and effClose; returns effClose's answer.
  vst::VstIntPtr Close();
  vst::AEffect* Effect() const { return FEffect; }

  vst::VstIntPtr Dispatch(vst::VstInt32 opcode, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0.0f);
  std::string Text(vst::VstInt32 opcode, vst::VstInt32 index = 0, std::size_t bufferSize = 256);
  vst::VstIntPtr CanDo(const std::string& name);

  // One block: the events through effProcessEvents, then processReplacing. While the transport plays
  // the sample position advances by the block length.
  void Process(int32_t frames, const std::vector<TMidiMessage>& events = {});
  void SetPlaying(bool playing);

  std::vector<uint8_t> GetChunk(bool bank = false);
  vst::VstIntPtr SetChunk(const std::vector<uint8_t>& bytes, bool bank = false);

  float GetParameter(int32_t index);
  void SetParameter(int32_t index, float value);

  static vst::VstIntPtr VST_CALL Callback(vst::AEffect* effect, vst::VstInt32 opcode, vst::VstInt32 index,
                                          vst::VstIntPtr value, void* ptr, float opt);

private:
  vst::VstIntPtr Answer(vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr value, void* ptr,
                        float opt);

  std::mutex FLogLock;
  vst::AEffect* FEffect = nullptr;
  int32_t FBlock = 0;
  std::vector<float> FLeft;
  std::vector<float> FRight;
};
