// VstHost: loads a VST 2.4 plug-in binary and drives it as a DAW does, capturing the MIDI it sends.
#pragma once

#include "DynamicLibrary.h"
#include "host/VSTInterface.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// A plug-in that cannot be loaded or started; the text is a one-line reason for the user.
class EHostError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// One MIDI message for the plug-in: up to three bytes at a sample offset inside the coming block.
struct THostMidiEvent {
  uint8_t Data[3] = {0, 0, 0};
  int32_t DeltaFrames = 0;
};

// One MIDI message the plug-in sent: three bytes at an absolute sample position on the host's own
// time line (block start + the event's sample offset).
struct TCapturedMidiEvent {
  int64_t Sample = 0;
  uint8_t Data[3] = {0, 0, 0};
};

// What the simulated transport reports through audioMasterGetTime for the coming block.
struct THostTransport {
  bool Playing = false;
  double SamplePosition = 0;
  double QuarterPosition = 0;
  double Tempo = 120;
  int32_t TimeSignatureNumerator = 4;
  int32_t TimeSignatureDenominator = 4;
};

class TVstHost {
public:
  TVstHost();
  ~TVstHost();
  TVstHost(const TVstHost&) = delete;
  TVstHost& operator=(const TVstHost&) = delete;

  // dlopen, the VST entry, the effect record's magic. Throws EHostError.
  void Load(const std::string& path);
  // effOpen, sample rate, block size, the saved state (a program chunk, when given), mains on and start
  // of processing: the order in which a DAW opens a project.
  void Start(double sampleRate, int32_t maxBlockSize, const std::vector<uint8_t>* programChunk = nullptr);
  // Mains off and effClose; unloads the library. Safe to call twice.
  void Close();

  vst::AEffect& Effect() const { return *FEffect; }
  vst::VstIntPtr Dispatch(vst::VstInt32 opcode, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0.0f);
  // A dispatcher text answer, read from a zeroed buffer larger than any the interface allows and
  // cut at its first zero, so a plug-in that overruns its limit cannot harm the host.
  std::string DispatchText(vst::VstInt32 opcode, vst::VstInt32 index = 0);
  // effCanDo: 1 yes, -1 no, 0 does not know.
  vst::VstIntPtr CanDo(const std::string& name);

  // effGetChunk of the program (index 1); empty when the plug-in keeps no chunks.
  std::vector<uint8_t> ProgramChunk();
  // effSetChunk of the program (index 1).
  void SetProgramChunk(const std::vector<uint8_t>& bytes);

  // One audio block: effProcessEvents with the events (when there are any), then processReplacing.
  // Everything the plug-in sends is captured at blockStart + its sample offset.
  void ProcessBlock(const std::vector<THostMidiEvent>& events, int32_t frames, int64_t blockStart,
                    const THostTransport& transport);

  const std::vector<TCapturedMidiEvent>& Captured() const { return FCaptured; }
  void ClearCaptured() { FCaptured.clear(); }
  // Non-MIDI events, MIDI bytes that are not a channel message, and events sent outside a
  // processing call, as seen by the capture.
  int64_t IgnoredEventCount() const { return FIgnoredEvents; }
  int64_t AutomateCount() const { return FAutomateCalls; }
  bool WantsMidi() const { return FWantsMidi; }

  // The host callback as the plug-in sees it (public so that tests can call it as a plug-in would).
  static vst::VstIntPtr VST_CALL HostCallback(vst::AEffect* effect, vst::VstInt32 opcode, vst::VstInt32 index,
                                              vst::VstIntPtr value, void* ptr, float opt);

private:
  vst::VstIntPtr Callback(vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr value, void* ptr);
  void CaptureEvents(const vst::VstEvents* events);

  TDynamicLibrary FLibrary;
  vst::AEffect* FEffect = nullptr;
  bool FStarted = false;
  bool FInProcess = false;
  double FSampleRate = 44100;
  int32_t FBlockSize = 512;
  int64_t FBlockStart = 0;
  THostTransport FTransport;
  bool FReportedPlaying = false; // for the transport-changed flag
  vst::VstTimeInfo FTimeInfo{};
  std::vector<TCapturedMidiEvent> FCaptured;
  int64_t FIgnoredEvents = 0;
  int64_t FAutomateCalls = 0;
  bool FWantsMidi = false;
  std::vector<float> FOutputBuffers;
  std::vector<float*> FOutputPointers;
  std::vector<float*> FInputPointers;
  std::vector<vst::VstMidiEvent> FInputEvents;
  std::vector<char> FInputList;
};
