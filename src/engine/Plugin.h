// Plugin: TVSTPlugin, the chord engine as a plug-in: trigger handling, block processing, editor feed.
#pragma once

#include "engine/BlockInput.h"
#include "engine/EditorFeed.h"
#include "engine/NoteLedger.h"
#include "engine/PluginHandlers.h"
#include "engine/PluginHost.h"
#include "engine/PreviewQueue.h"
#include "engine/TriaxoSetup.h"
#include "engine/UndelayedNotes.h"
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
  // Written by the audio thread, taken by the editor-idle call. Relaxed: a lone value.
  std::atomic<int32_t> LearnedOctave{-1};
  // Release/acquire: set after the feed entries it announces.
  std::atomic<bool> SoundingListChanged{false};

  // Audio thread; no allocation, no locks. One incoming MIDI event (after the module's CC handling).
  // It is held until the block handler of this processing call, which knows the block's length and
  // the transport, and handles every event of the block in time order with the due chord notes.
  void VSTModuleProcessMidi(const TMidiInEvent& event) override;
  // Audio thread; no allocation, no locks. The outputs are already silent; runs the time line, the
  // block's MIDI and the due chord notes, and hands the host its messages in time order. Chord notes
  // without delay made in the block go out from TUndelayedNotes and take a queue slot only if they
  // still sound (or wait) at the block's end: a burst of presses mostly ends its own notes again.
  void VSTModuleProcess32Replacing(float* const* inputs, float* const* outputs, int32_t frames) override;
  // User-interface thread. Everything sounding ends at the first block after the resume.
  void VSTModuleSuspend() override;

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

  // A read-only view of the audio-thread state, for tests and benchmarks. Audio thread (or while it
  // does not run).
  struct TEngineView {
    double BlockPosition = 0.0;
    double PreviousBlockPosition = 0.0;
    uint32_t SampleCounter = 0;
    bool WasPlaying = false;
    int32_t QueuedEvents = 0;  // chord notes pending, sounding or releasing
    int32_t SoundingNotes = 0; // channel and pitch pairs the plug-in has on
    int32_t WaitingInput = 0;  // incoming events kept for a later block
  };
  TEngineView View() const;

private:
  static constexpr int32_t Channels = 16;
  static constexpr int32_t Notes = 128;
  static constexpr int16_t NoPitch = -1;
  // Ledger owners: chord events by slot, then one per pass-through key, then the preview notes, then
  // the undelayed chord notes not yet in the queue.
  static constexpr TNoteLedger::TOwner PassThroughOwnerBase =
      static_cast<TNoteLedger::TOwner>(TMidiEvents::DefaultCapacity);
  static constexpr TNoteLedger::TOwner PreviewOwner = PassThroughOwnerBase + Notes;
  static constexpr TNoteLedger::TOwner UndelayedOwnerBase = PreviewOwner + 1;

  struct TRange {
    bool Below;
    bool Above;
  };
  // The chord-note positions a chord draws from (random assignment) or 0..4.
  struct TPositionList {
    std::array<int32_t, TNoteSetup::Count> Items{};
    uint32_t Count = 0;
  };
  // The velocity random part shared by a chord's notes ("Same Random Velocity").
  struct TSharedRandom {
    bool Drawn = false;
    int64_t Value = 0;
  };

  TRange RangeOf(int32_t note) const;
  bool HasTriggerEvents(int32_t channel, int32_t note) const;

  // Trigger handling, on the block's time line.
  void HandleInput(const TMidiInEvent& event, double time, int32_t offset);
  void PassThrough(int32_t channel, int32_t note, int32_t velocity, int32_t offset, bool noteOn,
                   int32_t transpose);
  void AllNotesOff(int32_t channel, int32_t offset);
  void NoteOnChord(int32_t channel, int32_t note, int32_t velocity, double time);
  void NoteOffChord(int32_t channel, int32_t note, double time);
  // The note setup's options, read once per chord.
  struct TChordOptions {
    bool RandomAssignment = false;
    bool RelativeTiming = false;
    bool SameRandomVelocity = false;
  };
  // What every note of one chord shares.
  struct TChordFrame {
    int32_t Trigger = 0;
    int32_t Base = 0; // the C of the played octave, corrected for a wrapped key
    int64_t Transpose = 0;
    int32_t Velocity = 0;
    double Time = 0.0;
    double SamplesPerMs = 0.0;
    bool RelativeTiming = false;
    bool DueNow = false; // notes without delay are due in the running block, at DueOffset
    int32_t DueOffset = 0;
    bool Attached = false;
  };
  // True when no position has a random width: a chord then draws nothing.
  bool NoRandomWidths() const;
  // The notes of a chord that draws nothing (no random assignment, no random widths).
  void PlainChordNotes(const TChordReader& chord, const TChordFrame& frame, TMidiEvent& event);
  TPositionList ChordPositions(bool randomAssignment) const;
  int64_t ChordNoteStart(const TNoteSetupItem& item, const TChordOptions& options, int64_t& startSum) const;
  int32_t ChordNoteVelocity(const TNoteSetupItem& item, const TChordOptions& options,
                            const TPositionList& positions, int32_t velocity, TSharedRandom& shared) const;

  // A chord note as made: queued, or, when it has no delay and is due in the running block, kept in
  // the undelayed list (`offset` is then its offset in the block).
  void QueueChordNote(const TMidiEvent& event, bool undelayed, int32_t offset);
  // Appends the undelayed list to the queue; before anything else is queued or the queue is walked.
  void HandOverUndelayed() {
    if (!FUndelayed.Empty()) {
      FUndelayed.HandOver(FEvents, FLedger);
    }
  }

  // Block processing.
  void RunPreviews();
  void Transport(const TTimeInfo& info, int32_t frames);
  void JumpBack();
  void RunBlock(int32_t frames);
  bool RunDueEvent(TMidiEvents::TSlot slot, int32_t offset);
  // Sends the undelayed list's pending notes; false when the output list is full.
  bool RunUndelayed();
  int32_t InputRoomNeeded(const TMidiInEvent& event) const;
  void FlushAfterSuspend();
  // The whole-sample offset of a time in this block (times before the block start give 0); false when
  // it lies at or after the block's end.
  bool DueOffset(double time, int32_t frames, int32_t& offset) const;
  void EditorChanged();

  // Output through the ledger.
  void StartNote(int32_t channel, int32_t pitch, int32_t velocity, int32_t offset, TNoteLedger::TOwner owner);
  void EndNote(int32_t channel, int32_t pitch, int32_t velocity, int32_t offset, TNoteLedger::TOwner owner);
  void EndOwnerOf(int32_t channel, int32_t pitch, int32_t offset);
  void Forget(int32_t channel, int32_t pitch, TNoteLedger::TOwner owner);
  // What an owner keeps besides the ledger entry: its queued event, or its pass-through pitch.
  void DropOwner(int32_t channel, TNoteLedger::TOwner owner);
  void SendNoteOn(int32_t channel, int32_t pitch, int32_t velocity, int32_t offset) {
    --FRoom;
    FHost.SendNoteOn(channel, pitch, velocity, offset);
  }
  void SendNoteOff(int32_t channel, int32_t pitch, int32_t velocity, int32_t offset) {
    --FRoom;
    FHost.SendNoteOff(channel, pitch, velocity, offset);
  }

  TPluginHost& FHost;
  TPreviewQueue FPreviews;
  TEditorFeed FFeed;
  TEditorView* FEditor = nullptr; // user-interface thread only

  // Audio thread only.
  TMidiEvents FEvents;
  TUndelayedNotes FUndelayed{UndelayedOwnerBase, static_cast<int32_t>(TMidiEvents::DefaultCapacity)};
  TBlockInput FInput;
  TNoteLedger FLedger;
  double FBlockPosition = 0.0;
  double FPreviousBlockPosition = 0.0;
  uint32_t FSampleCounter = 0;
  bool FWasPlaying = false;
  bool FPlaying = false;
  // The output list's room in this processing call: asked once at its start (a virtual call before
  // every step cost as much as the step), one less for every message sent.
  int32_t FRoom = 0;
  // The frames of the block whose events RunBlock is handling, 0 outside it: chord notes made then
  // that are due at once go to the undelayed list.
  int32_t FRunFrames = 0;
  // The pitch each pass-through note-on was sent as, per channel and incoming note, so its note-off
  // ends that pitch even after the mapping or transposition changed.
  std::array<std::array<int16_t, Notes>, Channels> FPassThroughSent;
  // Set by the suspend on the user-interface thread, taken by the next block (release/acquire: the
  // flag carries no data, the order only keeps it from being seen early by a test reading state).
  std::atomic<bool> FSuspended{false};
  // Ledger entries still to be ended after a suspend (the output list may not take them at once);
  // -1 when none.
  int32_t FFlushCursor = -1;

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
