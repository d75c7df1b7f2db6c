// TriaxoSetup: the musical setup of one plug-in instance (triggers, chords, timing, ranges).
#include "engine/TriaxoSetup.h"

#include <algorithm>
#include <limits>
#include <thread>

namespace {
constexpr int32_t PositionLast = TNoteSetup::Count - 1;
constexpr int32_t LowestChordNote = -24; // the chord keyboard's five octaves: -24..35
constexpr int32_t HighestChordNote = 35;

bool IsNameBlank(unsigned char c) {
  return c <= ' ' || c == 0x7F;
}
} // namespace

// ---- TNoteSetupItem / TNoteSetup

void TNoteSetupItem::Clear() {
  End = 0;
  EndRandom = 0;
  Start = 0;
  StartRandom = 0;
  VelocityScale = 0;
  VelocityRandom = 0;
}

bool TNoteSetupItem::IsActive() const {
  return Start > 0 || StartRandom > 0 || End > 0 || EndRandom > 0 || VelocityScale != 0 || VelocityRandom > 0;
}

void TNoteSetup::Reset() {
  for (auto& item : FItems) {
    item.Clear();
  }
  RandomNoteAssignment = false;
  RelativeTiming = false;
  SameRandomVelocity = false;
}

// ---- TChordNote

void TChordNote::SetNote(int32_t note) {
  FNote = note;
  FOwner->Changed();
}

void TChordNote::SetPosition(int32_t position) {
  FPosition = std::clamp(position, 0, PositionLast);
  FOwner->Changed();
}

// ---- TChordNotes

TChordNotes::TChordNotes(TTriggerItem& trigger) : FTrigger(&trigger) {}

// The module destroys its setup only after the audio thread has stopped calling it.
TChordNotes::~TChordNotes() = default;

TChordNote& TChordNotes::Add() {
  FItems.push_back(std::unique_ptr<TChordNote>(new TChordNote(*this)));
  Changed();
  return *FItems.back();
}

TChordNote& TChordNotes::AddNote(int32_t note, bool autoPosition) {
  const int32_t existing = IndexOfNote(note);
  if (existing >= 0) {
    return Items(existing);
  }
  const int32_t position = autoPosition ? FirstFreePosition() : 0;
  auto item = std::unique_ptr<TChordNote>(new TChordNote(*this));
  item->FNote = note;
  item->FPosition = position;
  FItems.push_back(std::move(item));
  Changed();
  return *FItems.back();
}

int32_t TChordNotes::IndexOfNote(int32_t note) const {
  for (std::size_t i = 0; i < FItems.size(); ++i) {
    if (FItems[i]->FNote == note) {
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

int32_t TChordNotes::IndexOfPosition(int32_t position) const {
  for (std::size_t i = 0; i < FItems.size(); ++i) {
    if (FItems[i]->FPosition == position) {
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

int32_t TChordNotes::FirstFreePosition() const {
  for (int32_t position = 0; position < PositionLast; ++position) {
    if (IndexOfPosition(position) < 0) {
      return position;
    }
  }
  return PositionLast;
}

bool TChordNotes::RemoveNote(int32_t note) {
  const int32_t index = IndexOfNote(note);
  if (index < 0) {
    return false;
  }
  Delete(index);
  return true;
}

void TChordNotes::Delete(int32_t index) {
  if (index < 0 || index >= Count()) {
    return;
  }
  FItems.erase(FItems.begin() + index);
  Changed();
}

void TChordNotes::Clear() {
  FItems.clear();
  Changed();
}

void TChordNotes::Transpose(int32_t delta) {
  const int32_t key = FTrigger->Key;
  int32_t shift = delta;
  if (delta > 0 && key == 0) {
    shift -= 12;
  } else if (delta < 0 && key == 11) {
    shift += 12;
  }
  for (auto& item : FItems) {
    item->FNote += shift;
  }
  for (std::size_t i = FItems.size(); i-- > 0;) {
    const int32_t note = FItems[i]->FNote;
    if (note < LowestChordNote || note > HighestChordNote) {
      FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  Changed();
}

void TChordNotes::Assign(const TChordNotes& source) {
  if (&source == this) {
    return;
  }
  FItems.clear();
  for (const auto& item : source.FItems) {
    auto copy = std::unique_ptr<TChordNote>(new TChordNote(*this));
    copy->FNote = item->FNote;
    copy->FPosition = item->FPosition;
    FItems.push_back(std::move(copy));
  }
  Changed();
}

void TChordNotes::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0 && FChangedInUpdate) {
    FChangedInUpdate = false;
    Publish();
  }
}

void TChordNotes::Changed() {
  if (FUpdateCount > 0) {
    FChangedInUpdate = true;
  } else {
    Publish();
  }
}

void TChordNotes::Publish() {
  auto fresh = std::make_unique<TChordSnapshot>();
  fresh->Notes.reserve(FItems.size());
  for (const auto& item : FItems) {
    fresh->Notes.push_back({item->FNote, item->FPosition});
  }
  FPublished.Publish(std::move(fresh));
}

// ---- TChordReader

TChordReader::TChordReader(const TChordNotes& chord) noexcept : FReader(chord.FPublished) {}

TChordReader::~TChordReader() = default;

// ---- TTriggerItem / TTriggers

TTriggerItem::TTriggerItem() : Notes(*this) {}

void TTriggerItem::SetName(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsNameBlank(static_cast<unsigned char>(text[first]))) {
    ++first;
  }
  while (last > first && IsNameBlank(static_cast<unsigned char>(text[last - 1]))) {
    --last;
  }
  text = text.substr(first, last - first);
  // Cut after 6 code points, never inside a UTF-8 sequence.
  std::size_t characters = 0;
  std::size_t end = 0;
  while (end < text.size()) {
    if (characters == MaxNameLength) {
      break;
    }
    ++end;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
      ++end;
    }
    ++characters;
  }
  // Blanks that the cut brought to the end go too, so that a stored name reads back unchanged.
  while (end > 0 && IsNameBlank(static_cast<unsigned char>(text[end - 1]))) {
    --end;
  }
  FName.assign(text.substr(0, end));
}

void TTriggerItem::Clear() {
  FName.clear();
  Notes.Clear();
  Key = -1;
}

TTriggerItem& TTriggers::SelectedItem() {
  return Items(std::clamp<int32_t>(Selected, 0, Count - 1));
}

const TTriggerItem& TTriggers::SelectedItem() const {
  return Items(std::clamp<int32_t>(Selected, 0, Count - 1));
}

void TTriggers::Reset(bool withDefaults) {
  TUpdateScope<TTriggers> update(*this);
  Selected = 0;
  for (int32_t i = 0; i < Count; ++i) {
    Items(i).Clear();
    if (withDefaults) {
      Items(i).Key = DefaultKeys[static_cast<std::size_t>(i)];
    }
  }
}

void TTriggers::BeginUpdate() {
  for (auto& item : FItems) {
    item.Notes.BeginUpdate();
  }
}

void TTriggers::EndUpdate() {
  for (auto& item : FItems) {
    item.Notes.EndUpdate();
  }
}

// ---- TTriaxoSetup

TTriaxoSetup::TTriaxoSetup() {
  Reset();
}

void TTriaxoSetup::Reset() {
  ShowTimingVelocity = 0;
  EasyMode = true;
  FollowTriggerNotes = true;
  NoteSetup.Reset();
  OctaveRangeFrom = 0;
  OctaveRangeTo = 10;
  ScaleTemplateName.clear();
  ScaleTemplateIndex = -1;
  Tonic = 0;
  TransposeOctave = 0;
  TransposeOctaveAbove = 0;
  TransposeOctaveBelow = 0;
  Triggers.Reset(true);
}

int32_t TTriaxoSetup::WrapCorrection(int32_t pitchClass) const {
  // Only the first keyed trigger below decides: a higher key there means the scale wrapped past B.
  const int32_t key = Triggers[pitchClass].Key;
  for (int32_t j = 0; j < pitchClass; ++j) {
    const int32_t other = Triggers[j].Key;
    if (other > key) {
      return 12;
    }
    if (other != -1) {
      break;
    }
  }
  return 0;
}

int32_t TTriaxoSetup::MapTriggerNote(int32_t note) const {
  if (!FollowTriggerNotes) {
    return note;
  }
  const int32_t pitchClass = ((note % 12) + 12) % 12;
  const int32_t key = Triggers[pitchClass].Key;
  if (key == -1) {
    return -1;
  }
  const int32_t octave = (note - pitchClass) / 12;
  // Keys come from stored state and may hold any integer: saturate instead of overflowing, which
  // keeps an absurd key outside every MIDI range.
  const int64_t mapped =
      static_cast<int64_t>(key) + 12 * static_cast<int64_t>(octave) + WrapCorrection(pitchClass);
  return static_cast<int32_t>(
      std::clamp<int64_t>(mapped, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

int32_t TTriaxoSetup::TriggerOctaveOffset(int32_t note) const {
  const int32_t pitchClass = ((note % 12) + 12) % 12;
  if (Triggers[pitchClass].Key == -1) {
    return -1;
  }
  return WrapCorrection(pitchClass);
}
