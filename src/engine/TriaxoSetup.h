// TriaxoSetup: the musical setup of one plug-in instance (triggers, chords, timing, ranges).
#pragma once

#include "engine/Relaxed.h"
#include "engine/SnapshotSlot.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TChordNotes;
class TTriggerItem;

// Begins an update batch on construction and ends it on destruction (TChordNotes, TTriggers,
// TTriaxoSetup): a chunk load publishes each chord once instead of once per edit.
template <typename T> class TUpdateScope {
public:
  explicit TUpdateScope(T& target) : FTarget(target) { FTarget.BeginUpdate(); }
  ~TUpdateScope() { FTarget.EndUpdate(); }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
  T& FTarget;
};

// Timing and velocity of one chord-note position. Every field is read by the audio thread while the
// editor, the parameters or a chunk load write it: single relaxed stores, see TRelaxed.
class TNoteSetupItem {
public:
  TRelaxed<int32_t> End = 0;            // ms
  TRelaxed<int32_t> EndRandom = 0;      // ms
  TRelaxed<int32_t> Start = 0;          // ms
  TRelaxed<int32_t> StartRandom = 0;    // ms
  TRelaxed<int32_t> VelocityScale = 0;  // percent, -100..100
  TRelaxed<int32_t> VelocityRandom = 0; // percent points, 0..200

  void Clear();
  bool IsActive() const;
};

// The five chord-note positions ("Note1" is item 0) and the three timing options.
class TNoteSetup {
public:
  static constexpr int32_t Count = 5;

  TRelaxed<bool> RandomNoteAssignment = false;
  TRelaxed<bool> RelativeTiming = false;
  TRelaxed<bool> SameRandomVelocity = false;

  TNoteSetupItem& Items(int32_t index) { return FItems[static_cast<std::size_t>(index)]; }
  const TNoteSetupItem& Items(int32_t index) const { return FItems[static_cast<std::size_t>(index)]; }
  TNoteSetupItem& operator[](int32_t index) { return Items(index); }
  const TNoteSetupItem& operator[](int32_t index) const { return Items(index); }

  void Reset();

private:
  std::array<TNoteSetupItem, Count> FItems;
};

// One note of a chord: a pitch relative to the C of the trigger's octave and a chord-note position.
// Every change publishes the owning chord to the audio thread (user-interface thread only).
class TChordNote {
public:
  int32_t Note() const { return FNote; }
  int32_t Position() const { return FPosition; }
  void SetNote(int32_t note);
  // Positions outside 0..4 are clamped.
  void SetPosition(int32_t position);

private:
  friend class TChordNotes;
  explicit TChordNote(TChordNotes& owner) : FOwner(&owner) {}
  TChordNotes* FOwner;
  int32_t FPosition = 0;
  int32_t FNote = 0;
};

// The audio thread's immutable view of one chord.
struct TChordSnapshotNote {
  int32_t Note = 0;
  int32_t Position = 0;
};
struct TChordSnapshot {
  std::vector<TChordSnapshotNote> Notes;
};

// The chord of one trigger. The item list is the master copy and belongs to the user-interface
// thread; every change publishes an immutable snapshot that the audio thread reads via TChordReader.
class TChordNotes {
public:
  explicit TChordNotes(TTriggerItem& trigger);
  ~TChordNotes();
  TChordNotes(const TChordNotes&) = delete;
  TChordNotes& operator=(const TChordNotes&) = delete;

  TTriggerItem& Trigger() const { return *FTrigger; }
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  TChordNote& Items(int32_t index) { return *FItems[static_cast<std::size_t>(index)]; }
  const TChordNote& Items(int32_t index) const { return *FItems[static_cast<std::size_t>(index)]; }
  TChordNote& operator[](int32_t index) { return Items(index); }
  const TChordNote& operator[](int32_t index) const { return Items(index); }

  // Appends a note at position 0, pitch 0.
  TChordNote& Add();
  // Returns the existing note of that pitch unchanged, or appends one (at FirstFreePosition when
  // autoPosition is set, else at 0).
  TChordNote& AddNote(int32_t note, bool autoPosition);
  int32_t IndexOfNote(int32_t note) const;
  int32_t IndexOfPosition(int32_t position) const;
  // Lowest of 0..3 that no note uses, else 4 (the fifth and further notes share position 4).
  int32_t FirstFreePosition() const;
  bool RemoveNote(int32_t note);
  void Delete(int32_t index);
  void Clear();
  // Moves every note by delta; a trigger key that wrapped to C from above (or to B from below) takes
  // its chord back by an octave; notes that leave -24..35 are deleted.
  void Transpose(int32_t delta);
  // Copies the notes of another chord (one publication).
  void Assign(const TChordNotes& source);

  // Batches edits into one publication; nests.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();

private:
  friend class TChordNote;
  friend class TChordReader;
  void Changed();
  void Publish();

  TTriggerItem* FTrigger;
  std::vector<std::unique_ptr<TChordNote>> FItems;
  int32_t FUpdateCount = 0;
  bool FChangedInUpdate = false;
  // The published snapshot, read by the audio thread (TChordReader).
  TSnapshotSlot<TChordSnapshot> FPublished;
};

// Audio thread; no allocation, no locks: wait-free read access to a chord's current snapshot for the
// reader's lifetime. Only one reader per chord at a time (the audio thread).
class TChordReader {
public:
  explicit TChordReader(const TChordNotes& chord) noexcept;
  ~TChordReader();
  TChordReader(const TChordReader&) = delete;
  TChordReader& operator=(const TChordReader&) = delete;

  int32_t Count() const noexcept { return FReader ? static_cast<int32_t>(FReader->Notes.size()) : 0; }
  const TChordSnapshotNote& operator[](int32_t index) const noexcept {
    return FReader->Notes[static_cast<std::size_t>(index)];
  }

private:
  TSnapshotSlot<TChordSnapshot>::TReader FReader;
};

// One trigger: the pitch class it plays as root (Key, -1 = not a trigger), its chord and its name.
class TTriggerItem {
public:
  static constexpr std::size_t MaxNameLength = 6; // characters (code points)

  TTriggerItem();
  TTriggerItem(const TTriggerItem&) = delete;
  TTriggerItem& operator=(const TTriggerItem&) = delete;

  // User-interface thread only.
  const std::string& Name() const { return FName; }
  // Trims blanks and control characters at both ends, then keeps the first 6 characters.
  void SetName(std::string_view text);

  TChordNotes Notes;
  TRelaxed<int32_t> Key = -1;

  // Name empty, chord empty, Key -1.
  void Clear();

private:
  std::string FName;
};

// The twelve triggers, one per pitch class of the incoming note.
class TTriggers {
public:
  static constexpr int32_t Count = 12;
  // The seven white keys play themselves, the black keys are no triggers.
  static constexpr std::array<int32_t, Count> DefaultKeys = {0, -1, 2, -1, 4, 5, -1, 7, -1, 9, -1, 11};

  TRelaxed<int32_t> Selected = 0;

  TTriggerItem& Items(int32_t index) { return FItems[static_cast<std::size_t>(index)]; }
  const TTriggerItem& Items(int32_t index) const { return FItems[static_cast<std::size_t>(index)]; }
  TTriggerItem& operator[](int32_t index) { return Items(index); }
  const TTriggerItem& operator[](int32_t index) const { return Items(index); }
  // The trigger at Selected (clamped into 0..11 so a bad stored value cannot index outside).
  TTriggerItem& SelectedItem();
  const TTriggerItem& SelectedItem() const;

  void Reset(bool withDefaults);
  void BeginUpdate();
  void EndUpdate();

private:
  std::array<TTriggerItem, Count> FItems;
};

// The whole musical setup of one plug-in instance.
class TTriaxoSetup {
public:
  TTriaxoSetup();
  TTriaxoSetup(const TTriaxoSetup&) = delete;
  TTriaxoSetup& operator=(const TTriaxoSetup&) = delete;

  TRelaxed<uint8_t> ShowTimingVelocity = 0;
  TRelaxed<bool> EasyMode = true;
  TRelaxed<bool> FollowTriggerNotes = true;
  TNoteSetup NoteSetup;
  TRelaxed<int32_t> OctaveRangeFrom = 0;
  TRelaxed<int32_t> OctaveRangeTo = 10;
  std::string ScaleTemplateName; // user-interface thread only
  TRelaxed<int32_t> ScaleTemplateIndex = -1;
  TRelaxed<int32_t> Tonic = 0;
  TRelaxed<int32_t> TransposeOctave = 0;
  TRelaxed<int32_t> TransposeOctaveAbove = 0;
  TRelaxed<int32_t> TransposeOctaveBelow = 0;
  TTriggers Triggers;

  // User-interface thread.
  void Reset();
  void BeginUpdate() { Triggers.BeginUpdate(); }
  void EndUpdate() { Triggers.EndUpdate(); }

  // Any thread (no allocation). The pitch a note outside the octave range becomes, -1 for none.
  int32_t MapTriggerNote(int32_t note) const;
  // 12 when the trigger's key wrapped past B relative to the first keyed trigger below it, else 0;
  // -1 when the note's pitch class is no trigger.
  int32_t TriggerOctaveOffset(int32_t note) const;

private:
  int32_t WrapCorrection(int32_t pitchClass) const;
};
