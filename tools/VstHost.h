// VstHost: loads a VST 2.4 plug-in binary and drives it as a DAW does, capturing the MIDI it sends.
#pragma once

#include "DynamicLibrary.h"
#include "host/VSTInterface.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

// A plug-in that cannot be loaded or started; the text is a one-line reason for the user.
class EHostError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// One MIDI message for the plug-in: up to three bytes at a sample offset inside the coming block.
struct THostMidiEvent {
  THostMidiEvent() = default;
  THostMidiEvent(uint8_t status, uint8_t data1, uint8_t data2, int32_t deltaFrames)
      : Data{status, data1, data2}, DeltaFrames(deltaFrames) {}

  uint8_t Data[3] = {0, 0, 0};
  int32_t DeltaFrames = 0;
};

// One MIDI message the plug-in sent, its three bytes as sent.
struct TCapturedMidiEvent {
  // Absolute sample position on the host's own time line: block start + the event's sample offset.
  int64_t Sample = 0;
  uint8_t Data[3] = {0, 0, 0};
  int32_t DeltaFrames = 0;
  // Index of the processing call that delivered it; for an event sent outside any processing call,
  // the number of processing calls made before it.
  int64_t Block = 0;
  // False when the plug-in sent it outside a processing call (or from another thread during one).
  bool DuringProcessing = true;

  // A channel message (status 0x80 to 0xEF) rather than a system message.
  bool IsChannelMessage() const { return Data[0] >= 0x80 && Data[0] < 0xF0; }
};

// One audioMasterAutomate call: the parameter and its new normalised value.
struct THostAutomation {
  int32_t Index = 0;
  float Value = 0.0f;
};

// What the simulated transport reports through audioMasterGetTime for the coming block. The fields
// reach the plug-in's VstTimeInfo as they are, so a host may report any position (NaN included).
struct THostTransport {
  bool Playing = false;
  double SamplePosition = 0;
  double QuarterPosition = 0;
  double Tempo = 120;
  int32_t TimeSignatureNumerator = 4;
  int32_t TimeSignatureDenominator = 4;
};

// How this host answers the plug-in's questions about itself.
struct THostAnswers {
  // audioMasterVersion; a plug-in refuses a host that answers 0.
  vst::VstIntPtr Version = 2400;
  // audioMasterGetProductString (at most 63 characters reach the plug-in).
  std::string Product = "triaxo-host";
  // False: audioMasterGetTime answers null, as hosts without a transport do.
  bool ProvidesTime = true;
};

enum TChunkKind { ckdBank = 0, ckdProgram = 1 }; // the effGetChunk / effSetChunk index

// Thread contract: one thread (the "user-interface" thread) loads, starts, closes and dispatches; one
// thread (the "audio" thread, which may be the same) calls ProcessBlock. The plug-in may call back from
// either. The capture, delivery and automation logs are written under a lock; read them (Captured(),
// Deliveries()) only while no processing call runs, e.g. after joining the audio thread.
class TVstHost {
public:
  TVstHost();
  ~TVstHost();
  TVstHost(const TVstHost&) = delete;
  TVstHost& operator=(const TVstHost&) = delete;

  // How the host answers; change before Load to shape what the plug-in's entry sees.
  THostAnswers& Answers() { return FAnswers; }

  // dlopen and Create with the library's VST entry. Throws EHostError.
  void Load(const std::string& path);
  // The plug-in's entry alone (no effOpen): the effect record, its magic and channel counts checked.
  // A plug-in whose entry returns no effect is reported as refusing to start. Throws EHostError.
  void Create(const std::function<vst::AEffect*(vst::AudioMasterCallback)>& entry,
              const std::string& name = "plug-in");
  // effOpen, sample rate, block size, the saved state (a program chunk, when given), mains on and start
  // of processing: the order in which a DAW opens a project.
  void Start(double sampleRate, int32_t maxBlockSize, const std::vector<uint8_t>* programChunk = nullptr);
  // Stop of processing and mains off (when they were on), effClose; unloads the library. Returns
  // effClose's answer (0 when there was nothing to close). Safe to call twice.
  vst::VstIntPtr Close();

  bool IsLoaded() const { return FEffect != nullptr; }
  vst::AEffect& Effect() const { return *FEffect; }
  // A further export of the loaded library (null when there is none).
  void* Symbol(const char* name) const { return FLibrary.Symbol(name); }

  // Any request in any order; effClose, effMainsChanged and effStart/StopProcess are
  // remembered so that Close undoes exactly what was done.
  vst::VstIntPtr Dispatch(vst::VstInt32 opcode, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0.0f);
  // A dispatcher text answer, read from a buffer filled with a non-zero byte and far larger than any
  // the interface allows, cut at its first zero; nullopt when the plug-in left no terminated text there.
  std::optional<std::string> DispatchText(vst::VstInt32 opcode, vst::VstInt32 index = 0);
  // effCanDo: 1 yes, -1 no, 0 does not know.
  vst::VstIntPtr CanDo(const std::string& name);

  float GetParameter(int32_t index) const;
  void SetParameter(int32_t index, float value);

  // effGetChunk; empty when the plug-in keeps no chunks.
  std::vector<uint8_t> GetChunk(TChunkKind kind = ckdProgram);
  // effSetChunk; returns the plug-in's answer.
  vst::VstIntPtr SetChunk(const std::vector<uint8_t>& bytes, TChunkKind kind = ckdProgram);

  // Sizes the host's buffers and lists so that processing blocks of up to `frames` frames and
  // `eventsPerBlock` events, and capturing up to `capturedEvents` events (automations and deliveries
  // alike), make no allocation.
  void Reserve(int32_t frames, std::size_t eventsPerBlock, std::size_t capturedEvents);

  // effProcessEvents with the events, well-formed MIDI records in one list; returns the plug-in's
  // answer. ProcessBlock sends a block's events this way; a host driving the processing entries
  // itself sends them here first.
  vst::VstIntPtr SendEvents(const std::vector<THostMidiEvent>& events);

  // One audio block: effProcessEvents with the events (when there are any), then processReplacing.
  // The frame count reaches the plug-in as given (0, negative or beyond the block size included; the
  // host's buffers grow to cover it). Everything the plug-in sends is captured at blockStart + its
  // sample offset. Works before Start, too. Throws std::invalid_argument beyond MaxFrames.
  void ProcessBlock(const std::vector<THostMidiEvent>& events, int32_t frames, int64_t blockStart,
                    const THostTransport& transport);
  static constexpr int32_t MaxFrames = 1 << 22;

  const std::vector<TCapturedMidiEvent>& Captured() const { return FCaptured; }
  void ClearCaptured();
  // numEvents of each audioMasterProcessEvents call, in order.
  const std::vector<int32_t>& Deliveries() const { return FDeliveries; }
  void ClearDeliveries();
  // Events the capture could not read as MIDI: null entries and non-MIDI types (SysEx and others).
  int64_t SkippedEventCount() const { return FSkippedEvents; }
  // audioMasterAutomate calls, in order; a copy taken under the log's lock.
  std::vector<THostAutomation> Automations() const;
  void ClearAutomations();
  bool WantsMidi() const { return FWantsMidi; }
  int32_t WantMidiCalls() const { return FWantMidiCalls; }
  int64_t ProcessCalls() const { return FProcessCalls.load(std::memory_order_relaxed); }

  // The host callback as the plug-in sees it (public so that tests can call it as a plug-in would).
  static vst::VstIntPtr VST_CALL HostCallback(vst::AEffect* effect, vst::VstInt32 opcode, vst::VstInt32 index,
                                              vst::VstIntPtr value, void* ptr, float opt);

private:
  void Attach(const std::function<vst::AEffect*(vst::AudioMasterCallback)>& entry, const std::string& name);
  vst::VstIntPtr Callback(vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr value, void* ptr,
                          float opt);
  void CaptureEvents(const vst::VstEvents* events);
  bool InProcessingCall() const;
  // Both only grow.
  void SizeBuffers(int32_t frames);
  void SizeInputList(std::size_t events);

  TDynamicLibrary FLibrary;
  vst::AEffect* FEffect = nullptr;
  THostAnswers FAnswers;
  bool FClosed = false;
  bool FMainsOn = false;
  bool FProcessing = false;
  double FSampleRate = 44100;
  int32_t FBlockSize = 512;
  // The thread inside ProcessBlock (a default id when none). Relaxed is enough: the processing thread
  // reads its own writes in program order, and any other thread compares it with its own id, which
  // this never holds while that thread is not processing.
  std::atomic<std::thread::id> FProcessingThread{};
  // Labels for captured events; written by the processing thread, read by a callback of any thread.
  // Relaxed: each is a lone label, and events from another thread carry no order against a block.
  std::atomic<int64_t> FBlockStart{0};
  std::atomic<int64_t> FProcessCalls{0};
  THostTransport FTransport;
  bool FReportedPlaying = false; // for the transport-changed flag
  vst::VstTimeInfo FTimeInfo{};
  mutable std::mutex FLogLock; // the capture, delivery and automation logs
  std::vector<TCapturedMidiEvent> FCaptured;
  std::vector<int32_t> FDeliveries;
  std::vector<THostAutomation> FAutomations;
  int64_t FSkippedEvents = 0;
  bool FWantsMidi = false;
  int32_t FWantMidiCalls = 0;
  std::size_t FBufferFrames = 0;
  std::vector<float> FBuffers;
  std::vector<float*> FOutputPointers;
  std::vector<float*> FInputPointers;
  std::vector<vst::VstMidiEvent> FInputEvents;
  std::vector<char> FInputList;
};
