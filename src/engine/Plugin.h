// Plugin: TVSTPlugin, the chord engine as a plug-in: trigger handling, block processing, editor feed.
#pragma once

#include "engine/EditorFeed.h"
#include "engine/PluginHandlers.h"
#include "engine/PluginHost.h"
#include "engine/PreviewQueue.h"
#include "engine/TriaxoSetup.h"
#include "engine/ZelMidiEvents.h"

#include <array>
#include <atomic>
#include <cstdint>

// The plug-in of the module it runs in (TPluginHost). Threads: the MIDI and block handlers run on the
// audio thread; the previews, AttachEditor, VSTModuleEditIdle and ResetToDefaults on the
// user-interface thread. docs/threading.md describes every crossing.
class TVSTPlugin : public TPluginHandlers {
public:
  explicit TVSTPlugin(TPluginHost& host);
  ~TVSTPlugin() override;
  TVSTPlugin(const TVSTPlugin&) = delete;
  TVSTPlugin& operator=(const TVSTPlugin&) = delete;

  TPluginHost& Host() const { return FHost; }

  TTriaxoSetup Setup;
  // Audio thread only.
  TMidiEvents Events;
  double BlockPosition = 0.0;
  double PreviousBlockPosition = 0.0;
  uint32_t SampleCounter = 0;
  bool WasPlaying = false;
  // Written by the audio thread, taken by the editor-idle call. Relaxed: a lone value.
  std::atomic<int32_t> LearnedOctave{-1};
  // Release/acquire: set after the feed entries it announces.
  std::atomic<bool> SoundingListChanged{false};

  // Audio thread; no allocation, no locks. One incoming MIDI event (after the module's CC handling).
  void VSTModuleProcessMidi(const TMidiInEvent& event) override;
  // Audio thread; no allocation, no locks. Queues the chord of one trigger note (time in samples).
  void NoteOnChord(int32_t channel, int32_t note, int32_t velocity, double time);
  // Audio thread; no allocation, no locks. Releases the chord notes of one trigger note.
  void NoteOffChord(int32_t note, double time);
  // Audio thread; no allocation, no locks. The outputs are already silent; runs the time line and
  // sends the due chord notes.
  void VSTModuleProcess32Replacing(float* const* inputs, float* const* outputs, int32_t frames) override;
  // Audio thread; no allocation, no locks. Note-off of every releasing note at offset 0.
  void SendPendingNoteOffs();

  // User-interface thread. The previews run at the start of the next block; false when the preview
  // queue is full (the preview is dropped).
  bool PlayTrigger(int32_t note);
  bool StopTrigger(int32_t note);
  bool PlayNote(int32_t note, int32_t velocity);
  bool StopNote(int32_t note);

  // User-interface thread.
  void AttachEditor(TEditorView* editor) override;
  void VSTModuleEditIdle() override;
  void ResetToDefaults() override;

private:
  static constexpr int32_t Channels = 16;
  static constexpr int32_t Notes = 128;
  static constexpr int16_t NoPitch = -1;

  struct TRange {
    bool Below;
    bool Above;
  };
  TRange RangeOf(int32_t note) const;
  void PassThrough(int32_t channel, int32_t note, int32_t velocity, int32_t offset, bool noteOn,
                   int32_t transpose);
  bool HasTriggerEvents(int32_t note) const;
  void RunPreviews();
  void JumpBack();
  void SendDueNoteOffs(int32_t frames);
  // True when a pending note-on of that pitch falls due in this block before the offset.
  bool NoteOnDueBefore(int32_t note, int32_t offset, int32_t frames) const;
  void SendDueNoteOns(int32_t frames);
  // True when a time falls due in this block: its whole-sample offset (times before the block start
  // give 0) lies below frames.
  bool DueOffset(double time, int32_t frames, int32_t& offset) const;
  double DelaySamples(int32_t ms) const;
  void EditorChanged();

  TPluginHost& FHost;
  TPreviewQueue FPreviews;
  TEditorFeed FFeed;
  TEditorView* FEditor = nullptr; // user-interface thread only
  // The pitch each pass-through note-on was sent as, per channel and incoming note, so its note-off
  // ends that pitch even after the mapping or transposition changed. Audio thread only.
  std::array<std::array<int16_t, Notes>, Channels> FPassThroughSent;
  // The last block's length: an upper bound for pass-through offsets. Audio thread only.
  int32_t FLastFrames = 0;

  // Parameters and setup stream (PluginParameters.cpp, PluginSetupStream.cpp)
public:
  // The six parameters of each chord-note position; parameter index = 6 * position + kind.
  enum TParameterKind : int32_t {
    pkStart = 0,
    pkStartRandom = 1,
    pkEnd = 2,
    pkEndRandom = 3,
    pkVelocityScale = 4,
    pkVelocityRandom = 5
  };
  static constexpr int32_t ParametersPerPosition = 6;
  static constexpr int32_t ParameterCount = 30;
  // "Note" + (position + 1) + the kind's suffix, e.g. "Note2 End Random".
  static std::string ParameterName(int32_t position, int32_t kind);

  const std::vector<TParameterDefinition>& ParameterDefinitions() const override;
  // Creation, before the audio thread runs: adds the 30 stored values and keeps the list.
  void RegisterParameterValues(TVSTParameterValues& values) override;
  // Any thread; no allocation, no locks. Indices outside the table are ignored.
  void ParameterChange(int32_t index, float value) override;
  // User-interface thread. UTF-8 (a negative Velocity Scale starts with U+2212).
  std::string ParameterDisplay(int32_t index) const override;
  // User-interface thread.
  void WriteSetup(TTaggedWriter& writer) override;
  void ReadSetup(TTaggedReader& reader, const std::string& versionText) override;

  // The change handlers, one per kind, shared by the five positions: store the value, then set the
  // note setup field of the stored value's Tag to the value's nearest integer. Any thread; no
  // allocation, no locks.
  void Note1Start_ParameterChange(int32_t index, float value);
  void Note1StartRandom_ParameterChange(int32_t index, float value);
  void Note1End_ParameterChange(int32_t index, float value);
  void Note1EndRandom_ParameterChange(int32_t index, float value);
  void Note1Velocity_ParameterChange(int32_t index, float value);
  void Note1VelocityRandom_ParameterChange(int32_t index, float value);
  // The display handlers, one per kind: the stored value rounded, with the kind's sign and unit.
  std::string Note1Start_ParameterDisplay(int32_t index) const;
  std::string Note1StartRandom_ParameterDisplay(int32_t index) const;
  std::string Note1End_ParameterDisplay(int32_t index) const;
  std::string Note1EndRandom_ParameterDisplay(int32_t index) const;
  std::string Note1Velocity_ParameterDisplay(int32_t index) const;
  std::string Note1VelocityRandom_ParameterDisplay(int32_t index) const;

private:
  TNoteSetupItem* StoreParameterValue(int32_t index, float value);
  std::string DisplayStoredValue(int32_t index, int32_t kind) const;
  float StoredParameterValue(int32_t position, int32_t kind) const;
  // Set once at creation, before the audio thread runs; the list never changes shape afterwards.
  TVSTParameterValues* FParameterValues = nullptr;
};
