// Plugin: TVSTPlugin, the chord engine as a plug-in: trigger handling, block processing, editor feed.
#include "engine/Plugin.h"

#include "engine/EditorView.h"
#include "engine/ZelMidi.h"
#include "engine/ZelRandom.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr int32_t StatusNoteOff = 0x80;
constexpr int32_t StatusNoteOn = 0x90;
constexpr int32_t StatusPolyPressure = 0xA0;
constexpr int32_t StatusControlChange = 0xB0;
constexpr int32_t StatusChannelPressure = 0xD0;
constexpr int32_t StatusPitchBend = 0xE0;
constexpr int32_t MaxMidiValue = 127;
constexpr int32_t MaxDelayMs = 1000;
constexpr int32_t MaxScale = 100;
constexpr int32_t PreviewChannel = 0;
constexpr int32_t PreviewVelocity = 100;
constexpr uint8_t ControllerAllSoundOff = 120;
constexpr uint8_t ControllerAllNotesOff = 123;

bool IsMidiValue(int64_t value) {
  return value >= 0 && value <= MaxMidiValue;
}

// Quotient first, then the product in extended precision; nearest with halves to even.
[[gnu::noinline]] int32_t ExtendedScaledVelocity(int32_t velocity, int64_t scale) {
  long double out = velocity;
  if (scale < 0) {
    out = velocity - RoundHalfEven(velocity * (static_cast<long double>(-scale) / 100.0L));
  } else if (scale > 0) {
    out = velocity + RoundHalfEven((MaxMidiValue - velocity) * (static_cast<long double>(scale) / 100.0L));
  }
  return static_cast<int32_t>(std::clamp<long double>(out, 0.0L, MaxMidiValue));
}

// Once per chord note: the common scale of 0 inline, without extended precision.
[[gnu::always_inline]] inline int32_t ScaledVelocity(int32_t velocity, int64_t scale) {
  return scale == 0 ? std::clamp(velocity, 0, MaxMidiValue) : ExtendedScaledVelocity(velocity, scale);
}

// The nearest whole sample, halves to even, of a time after the block start that lies in
// (0.5, frames + 0.5): there the integer arithmetic is exact and the general rounding's checks are
// not needed. Asked once per due event; kept out of line so that the block loop stays small.
[[gnu::noinline]] int32_t NearestSample(double sinceStart) {
  const auto whole = static_cast<int32_t>(sinceStart); // positive: truncation is the floor
  const double difference = sinceStart - whole;
  return difference > 0.5 || (difference == 0.5 && (whole & 1) != 0) ? whole + 1 : whole;
}

// A drawn delay: the base plus up to the random width, capped at 1000 ms.
int64_t DrawnDelay(int32_t base, int32_t randomWidth) {
  int64_t delay = base;
  if (randomWidth > 0) {
    delay += RandomUpTo(randomWidth);
    delay = std::min<int64_t>(delay, MaxDelayMs);
  }
  return delay;
}
} // namespace

TVSTPlugin::TVSTPlugin(TPluginHost& host) : FHost(host) {
  for (auto& channel : FPassThroughSent) {
    channel.fill(NoPitch);
  }
  SeedFromClock();
}

TVSTPlugin::~TVSTPlugin() = default;

TVSTPlugin::TEngineView TVSTPlugin::View() const {
  TEngineView view;
  view.BlockPosition = FBlockPosition;
  view.PreviousBlockPosition = FPreviousBlockPosition;
  view.SampleCounter = FSampleCounter;
  view.WasPlaying = FWasPlaying;
  view.QueuedEvents = FEvents.Count() + FUndelayed.Living();
  view.SoundingNotes = FLedger.SoundingCount();
  view.WaitingInput = static_cast<int32_t>(FInput.Waiting());
  return view;
}

// ---- Output through the ledger

// The steps forced inline run once or more per chord note; the calls cost as much as their work.

[[gnu::always_inline]] inline void TVSTPlugin::DropOwner(int32_t channel, TNoteLedger::TOwner owner) {
  if (owner >= 0 && owner < PassThroughOwnerBase) {
    FEvents.Remove(owner);
  } else if (owner >= PassThroughOwnerBase && owner < PreviewOwner) {
    FPassThroughSent[static_cast<std::size_t>(channel)]
                    [static_cast<std::size_t>(owner - PassThroughOwnerBase)] = NoPitch;
  } else if (FUndelayed.IsOwner(owner)) {
    FUndelayed.End(owner);
  }
}

void TVSTPlugin::Forget(int32_t channel, int32_t pitch, TNoteLedger::TOwner owner) {
  FLedger.End(channel, pitch);
  DropOwner(channel, owner);
}

void TVSTPlugin::EndOwnerOf(int32_t channel, int32_t pitch, int32_t offset) {
  const TNoteLedger::TEntry entry = FLedger.At(channel, pitch);
  if (entry.Owner == TNoteLedger::Silent) {
    return;
  }
  SendNoteOff(channel, pitch, entry.Velocity, offset);
  Forget(channel, pitch, entry.Owner);
}

[[gnu::always_inline]] inline void TVSTPlugin::StartNote(int32_t channel, int32_t pitch, int32_t velocity,
                                                         int32_t offset, TNoteLedger::TOwner owner) {
  // A pitch is never doubled: the note sounding there ends just before the new one, whoever owns it.
  const TNoteLedger::TEntry old = FLedger.At(channel, pitch);
  if (old.Owner != TNoteLedger::Silent) {
    SendNoteOff(channel, pitch, old.Velocity, offset);
    DropOwner(channel, old.Owner); // its ledger entry goes to the new owner below
  }
  SendNoteOn(channel, pitch, velocity, offset);
  FLedger.Start(channel, pitch, owner, velocity);
}

void TVSTPlugin::EndNote(int32_t channel, int32_t pitch, int32_t velocity, int32_t offset,
                         TNoteLedger::TOwner owner) {
  // A note that was ended by a newer note-on of its pitch (or never sent) has nothing left to end.
  if (FLedger.IsOwner(channel, pitch, owner)) {
    SendNoteOff(channel, pitch, velocity, offset);
    Forget(channel, pitch, owner);
  }
}

// ---- Trigger handling

TVSTPlugin::TRange TVSTPlugin::RangeOf(int32_t note) const {
  const int32_t octave = note / 12; // the absolute octave of an incoming note (0..127)
  return {octave<Setup.OctaveRangeFrom, octave> Setup.OctaveRangeTo};
}

void TVSTPlugin::EditorChanged() {
  // release: the editor-idle call that sees the flag also sees the feed entries pushed before it.
  SoundingListChanged.store(true, std::memory_order_release);
  FHost.SetEditorNeedsUpdate();
}

bool TVSTPlugin::HasTriggerEvents(int32_t channel, int32_t note) const {
  for (TMidiEvents::TSlot slot = FEvents.FirstOfTrigger(note); slot != TMidiEvents::None;
       slot = FEvents.NextOfTrigger(slot)) {
    const TEventState state = FEvents[slot].State;
    if (FEvents[slot].Channel == channel && (state == esNoteOnPending || state == esSounding)) {
      return true;
    }
  }
  return false;
}

void TVSTPlugin::VSTModuleProcessMidi(const TMidiInEvent& event) {
  FInput.Push(event);
}

void TVSTPlugin::HandleInput(const TMidiInEvent& event, double time, int32_t offset) {
  const int32_t status = event.Data[0];
  const int32_t channel = status & 0x0F;
  const int32_t kind = status & 0xF0;
  const int32_t note = event.Data[1] & 0x7F;
  const int32_t value = event.Data[2] & 0x7F;

  const bool noteOn = kind == StatusNoteOn && value > 0;
  const bool noteOff = kind == StatusNoteOff || (kind == StatusNoteOn && value == 0);
  if (noteOn) {
    if (FHost.CCMode() == ccmLearnOctave) {
      LearnedOctave.store(NoteOctave(note, true), std::memory_order_relaxed);
      FHost.SetEditorNeedsUpdate();
      FHost.SetCCMode(ccmNone);
      return;
    }
    const TRange range = RangeOf(note);
    if (range.Below || range.Above) {
      PassThrough(channel, note, value, offset, true,
                  range.Below ? Setup.TransposeOctaveBelow : Setup.TransposeOctaveAbove);
      return;
    }
    NoteOnChord(channel, note, value, time);
    // The key lights up even when it is no trigger.
    if (FFeed.IsAttached()) {
      FFeed.HighlightTrigger(note);
      FHost.SetEditorNeedsUpdate();
    }
  } else if (noteOff) {
    HandOverUndelayed(); // the release walks the queue
    const TRange range = RangeOf(note);
    const bool passed = FPassThroughSent[channel][note] != NoPitch;
    const bool outside = range.Below || range.Above;
    if (outside || passed) {
      PassThrough(channel, note, value, offset, false,
                  range.Below ? Setup.TransposeOctaveBelow : Setup.TransposeOctaveAbove);
    }
    // Inside the range the trigger is released; outside, a chord that started before the range
    // changed is still released so it cannot hang.
    if (!outside || HasTriggerEvents(channel, note)) {
      NoteOffChord(channel, note, time);
      if (FFeed.IsAttached()) {
        FFeed.ReleaseTrigger(note);
        FHost.SetEditorNeedsUpdate();
      }
    }
  } else {
    switch (kind) {
    case StatusControlChange:
      if (event.Data[1] == ControllerAllSoundOff || event.Data[1] == ControllerAllNotesOff) {
        AllNotesOff(channel, offset);
      }
      --FRoom;
      FHost.SendControlChange(channel, event.Data[1], event.Data[2], offset);
      break;
    case StatusPolyPressure:
      --FRoom;
      FHost.SendPolyPressure(channel, event.Data[1], event.Data[2], offset);
      break;
    case StatusChannelPressure:
      --FRoom;
      FHost.SendChannelPressure(channel, event.Data[1], offset);
      break;
    case StatusPitchBend:
      --FRoom;
      FHost.SendPitchBend(channel, event.Data[1], event.Data[2], offset);
      break;
    default: // program change and system messages are not passed on
      break;
    }
  }
}

void TVSTPlugin::AllNotesOff(int32_t channel, int32_t offset) {
  HandOverUndelayed(); // the pending notes of the channel are dropped from the queue below
  if (FLedger.SoundingOnChannel(channel) > 0) {
    for (int32_t pitch = 0; pitch < Notes; ++pitch) {
      EndOwnerOf(channel, pitch, offset);
    }
  }
  // Chord notes of the channel that have not started never will.
  TMidiEvents::TSlot slot = FEvents.First();
  while (slot != TMidiEvents::None) {
    const TMidiEvents::TSlot next = FEvents.Next(slot);
    if (FEvents[slot].Channel == channel && FEvents[slot].State == esNoteOnPending) {
      FEvents.Remove(slot);
    }
    slot = next;
  }
}

void TVSTPlugin::PassThrough(int32_t channel, int32_t note, int32_t velocity, int32_t offset, bool noteOn,
                             int32_t transpose) {
  int16_t& sent = FPassThroughSent[channel][note];
  const TNoteLedger::TOwner owner = PassThroughOwnerBase + note;
  int32_t out = -1;
  if (!noteOn && sent != NoPitch) {
    // End exactly the pitch that was started, whatever the mapping says now.
    out = sent;
  } else {
    out = Setup.MapTriggerNote(note);
    if (out == -1) {
      return;
    }
    const int64_t shifted = static_cast<int64_t>(out) + 12 * static_cast<int64_t>(transpose);
    if (!IsMidiValue(shifted)) {
      return;
    }
    out = static_cast<int32_t>(shifted);
  }
  if (noteOn) {
    // The same key pressed again after the mapping changed: its earlier pitch ends first.
    if (sent != NoPitch && sent != out) {
      EndNote(channel, sent, velocity, offset, owner);
    }
    StartNote(channel, out, velocity, offset, owner);
    sent = static_cast<int16_t>(out);
  } else {
    EndNote(channel, out, velocity, offset, owner); // the note-off keeps its release velocity
    sent = NoPitch;
  }
  if (FFeed.IsAttached()) {
    if (noteOn) {
      FFeed.AddSoundingNote(note, out, 0, velocity);
    } else {
      FFeed.RemoveTrigger(note);
    }
    EditorChanged();
  }
}

TVSTPlugin::TPositionList TVSTPlugin::ChordPositions(bool randomAssignment) const {
  TPositionList positions;
  if (randomAssignment) {
    positions.Items[positions.Count++] = 0;
    for (int32_t p = 1; p < TNoteSetup::Count; ++p) {
      if (Setup.NoteSetup[p].IsActive()) {
        positions.Items[positions.Count++] = p;
      }
    }
    for (uint32_t i = 0; i < positions.Count; ++i) {
      std::swap(positions.Items[i], positions.Items[Random(positions.Count)]);
    }
  } else {
    positions.Items = {0, 1, 2, 3, 4};
    positions.Count = TNoteSetup::Count;
  }
  return positions;
}

[[gnu::always_inline]] inline int64_t TVSTPlugin::ChordNoteStart(const TNoteSetupItem& item,
                                                                 const TChordOptions& options,
                                                                 int64_t& startSum) const {
  int64_t start = DrawnDelay(item.Start, item.StartRandom);
  if (options.RelativeTiming) {
    startSum += start;
    start = startSum;
  }
  return start;
}

[[gnu::always_inline]] inline int32_t
TVSTPlugin::ChordNoteVelocity(const TNoteSetupItem& item, const TChordOptions& options,
                              const TPositionList& positions, int32_t velocity, TSharedRandom& shared) const {
  int64_t scale = item.VelocityScale;
  int64_t extra = 0;
  if (options.SameRandomVelocity) {
    if (!shared.Drawn) {
      const int32_t r = Setup.NoteSetup[positions.Items[0]].VelocityRandom;
      shared.Value = r > 0 ? RandomUpTo(r) : 0;
      shared.Drawn = true;
    }
    extra = shared.Value;
  } else {
    const int32_t r = item.VelocityRandom;
    extra = r > 0 ? RandomUpTo(r) : 0;
  }
  // The random part only ever raises the scale.
  if (extra > 0) {
    scale = std::min<int64_t>(scale + extra, MaxScale);
  }
  return ScaledVelocity(velocity, scale);
}

[[gnu::always_inline]] inline void TVSTPlugin::QueueChordNote(const TMidiEvent& event, bool undelayed,
                                                              int32_t offset) {
  if (undelayed) {
    if (!FUndelayed.CanTake(event.Time)) {
      HandOverUndelayed();
    }
    // They count as queued: a full queue drops new notes.
    if (static_cast<std::size_t>(FEvents.Count() + FUndelayed.Living()) < FEvents.Capacity()) {
      FUndelayed.Add(event, offset);
    }
    return;
  }
  HandOverUndelayed(); // the undelayed notes were made first
  FEvents.Add(event);
}

bool TVSTPlugin::NoRandomWidths() const {
  for (int32_t p = 0; p < TNoteSetup::Count; ++p) {
    const TNoteSetupItem& item = Setup.NoteSetup[p];
    if (item.StartRandom > 0 || item.VelocityRandom > 0) {
      return false;
    }
  }
  return true;
}

// The same steps as the general loop in NoteOnChord without its random parts (each would draw
// nothing here): a loop of its own, since the general one's bookkeeping cost more than the note.
[[gnu::noinline]] void TVSTPlugin::PlainChordNotes(const TChordReader& chord, const TChordFrame& frame,
                                                   TMidiEvent& event) {
  const int32_t count = chord.Count();
  // When the whole chord fits into the undelayed list and the queue's capacity, its undelayed notes
  // join the list without the checks QueueChordNote makes for each (a delayed note between them
  // hands the list over, which leaves it room and takes nothing from the capacity).
  const bool fits =
      frame.DueNow && FUndelayed.CanTake(frame.Time, count) &&
      static_cast<std::size_t>(FEvents.Count() + FUndelayed.Living() + count) <= FEvents.Capacity();
  int64_t startSum = 0;
  for (int32_t n = 0; n < count; ++n) {
    const TChordSnapshotNote& chordNote = chord[n];
    const int32_t p = std::clamp(chordNote.Position, 0, TNoteSetup::Count - 1);
    const TNoteSetupItem& item = Setup.NoteSetup[p];
    int64_t start = item.Start;
    if (frame.RelativeTiming) {
      startSum += start;
      start = startSum;
    }
    const int32_t outVelocity = ScaledVelocity(frame.Velocity, item.VelocityScale);
    const int64_t pitch = frame.Base + static_cast<int64_t>(chordNote.Note) + frame.Transpose;
    if (!IsMidiValue(pitch) || outVelocity == 0) {
      continue;
    }
    event.Note = static_cast<int32_t>(pitch);
    event.Velocity = outVelocity;
    event.Time = frame.Time + static_cast<double>(start) * frame.SamplesPerMs;
    event.Position = p;
    if (fits && start == 0) {
      FUndelayed.Add(event, frame.DueOffset);
    } else {
      QueueChordNote(event, frame.DueNow && start == 0, frame.DueOffset);
    }
    if (frame.Attached) {
      FFeed.AddSoundingNote(frame.Trigger, static_cast<int32_t>(pitch), p, outVelocity);
    }
  }
}

void TVSTPlugin::NoteOnChord(int32_t channel, int32_t note, int32_t velocity, double time) {
  if (!IsMidiValue(note)) {
    return;
  }
  const TTriggerItem& trigger = Setup.Triggers[note % 12];
  const int32_t key = trigger.Key;
  if (key == -1) {
    return;
  }
  // A key edited since the read above can make the offset -1 for an instant; treat it as no wrap.
  const int32_t base = std::max(Setup.TriggerOctaveOffset(note), 0) + 12 * (note / 12);
  const int64_t transpose = 12 * static_cast<int64_t>(Setup.TransposeOctave);
  const bool attached = FFeed.IsAttached();
  // Notes without delay made while the block runs are due at once, at this offset.
  int32_t dueOffset = 0;
  const bool dueNow = FRunFrames > 0 && DueOffset(time, FRunFrames, dueOffset);

  TMidiEvent event;
  event.TriggerNote = note;
  event.Channel = channel;
  event.State = esNoteOnPending;

  TChordReader chord(trigger.Notes);
  if (chord.Count() == 0) {
    // A trigger without a chord plays its key at once, unchanged.
    const int64_t pitch = static_cast<int64_t>(base) + key + transpose;
    if (IsMidiValue(pitch)) {
      event.SchedulePosition = time;
      event.Note = static_cast<int32_t>(pitch);
      event.Velocity = velocity;
      event.Time = time;
      event.Position = -1;
      QueueChordNote(event, dueNow, dueOffset);
    }
  } else {
    // Once per chord: its notes follow one set of options and are timed at one rate.
    TChordOptions options;
    options.RandomAssignment = Setup.NoteSetup.RandomNoteAssignment;
    options.RelativeTiming = Setup.NoteSetup.RelativeTiming;
    options.SameRandomVelocity = Setup.NoteSetup.SameRandomVelocity;
    const double samplesPerMs = MsToSamples(1.0, FHost.SampleRate());
    event.SchedulePosition = FBlockPosition;
    if (!options.RandomAssignment && NoRandomWidths()) {
      TChordFrame frame;
      frame.Trigger = note;
      frame.Base = base;
      frame.Transpose = transpose;
      frame.Velocity = velocity;
      frame.Time = time;
      frame.SamplesPerMs = samplesPerMs;
      frame.RelativeTiming = options.RelativeTiming;
      frame.DueNow = dueNow;
      frame.DueOffset = dueOffset;
      frame.Attached = attached;
      PlainChordNotes(chord, frame, event);
      if (attached) {
        EditorChanged();
      }
      return;
    }
    const TPositionList positions = ChordPositions(options.RandomAssignment);
    int64_t startSum = 0;
    TSharedRandom shared;
    const int32_t count = chord.Count();
    for (int32_t n = 0; n < count; ++n) {
      const TChordSnapshotNote& chordNote = chord[n];
      const int32_t p =
          std::clamp(options.RandomAssignment ? positions.Items[Random(positions.Count)] : chordNote.Position,
                     0, TNoteSetup::Count - 1);
      const TNoteSetupItem& item = Setup.NoteSetup[p];
      const int64_t start = ChordNoteStart(item, options, startSum);
      const int32_t outVelocity = ChordNoteVelocity(item, options, positions, velocity, shared);
      const int64_t pitch = base + static_cast<int64_t>(chordNote.Note) + transpose;
      // A velocity of 0 would read as a note-off: such a note is not played at all.
      if (!IsMidiValue(pitch) || outVelocity == 0) {
        continue;
      }
      event.Note = static_cast<int32_t>(pitch);
      event.Velocity = outVelocity;
      // ms * (rate / 1000), as MsToSamples: the same double for every note of the chord.
      event.Time = time + static_cast<double>(start) * samplesPerMs;
      event.Position = p;
      QueueChordNote(event, dueNow && start == 0, dueOffset);
      if (attached) {
        FFeed.AddSoundingNote(note, static_cast<int32_t>(pitch), p, outVelocity);
      }
    }
  }
  if (attached) {
    EditorChanged();
  }
}

void TVSTPlugin::NoteOffChord(int32_t channel, int32_t note, double time) {
  HandOverUndelayed(); // the release walks the trigger's events in the order they were made
  const TNoteSetup& noteSetup = Setup.NoteSetup;
  const bool relativeTiming = noteSetup.RelativeTiming;
  const double sampleRate = FHost.SampleRate();
  int64_t endSum = 0;
  for (TMidiEvents::TSlot slot = FEvents.FirstOfTrigger(note); slot != TMidiEvents::None;
       slot = FEvents.NextOfTrigger(slot)) {
    const TMidiEvent& event = FEvents[slot];
    // A key is released on its own channel: the same key held on another channel keeps its chord.
    if (event.State != esSounding || event.Channel != channel) {
      continue;
    }
    int64_t end = 0;
    if (event.Position >= 0) {
      const TNoteSetupItem& item = noteSetup[std::min(event.Position, TNoteSetup::Count - 1)];
      end = DrawnDelay(item.End, item.EndRandom);
      if (relativeTiming) {
        endSum += end;
        end = endSum;
      }
    }
    FEvents.SetState(slot, esNoteOffPending, time + MsToSamples(static_cast<double>(end), sampleRate));
  }
  // Chord notes that have not started yet never sound.
  FEvents.RemoveTriggerEvents(note, esNoteOnPending, channel);
  if (FFeed.IsAttached()) {
    FFeed.RemoveTrigger(note);
    EditorChanged();
  }
}

// ---- Previews

bool TVSTPlugin::PlayTrigger(int32_t note) {
  return FPreviews.Push({pvkPlayTrigger, note, PreviewVelocity});
}
bool TVSTPlugin::StopTrigger(int32_t note) {
  return FPreviews.Push({pvkStopTrigger, note, 0});
}
bool TVSTPlugin::PlayNote(int32_t note, int32_t velocity) {
  return FPreviews.Push({pvkPlayNote, note, velocity});
}
bool TVSTPlugin::StopNote(int32_t note) {
  return FPreviews.Push({pvkStopNote, note, 0});
}

void TVSTPlugin::RunPreviews() {
  TPreviewCommand command;
  // A preview that does not fit into this block's output waits in the queue for the next one.
  while (FPreviews.Peek(command) && FRoom >= 2) {
    FPreviews.Pop(command);
    switch (command.Kind) {
    case pvkPlayTrigger:
      NoteOnChord(PreviewChannel, command.Note, command.Velocity, FBlockPosition);
      break;
    case pvkStopTrigger:
      if (IsMidiValue(command.Note)) {
        NoteOffChord(PreviewChannel, command.Note, FBlockPosition);
      }
      break;
    case pvkPlayNote:
      if (IsMidiValue(command.Note) && IsMidiValue(command.Velocity)) {
        // Velocity 0 is a note-off here as everywhere.
        if (command.Velocity > 0) {
          StartNote(PreviewChannel, command.Note, command.Velocity, 0, PreviewOwner);
        } else {
          EndNote(PreviewChannel, command.Note, 0, 0, PreviewOwner);
        }
      }
      break;
    case pvkStopNote:
      if (IsMidiValue(command.Note)) {
        EndNote(PreviewChannel, command.Note, 0, 0, PreviewOwner);
      }
      break;
    }
  }
}

// ---- Block processing

bool TVSTPlugin::DueOffset(double time, int32_t frames, int32_t& offset) const {
  const double sinceStart = time - FBlockPosition;
  if (sinceStart <= 0.5) { // rounds to the block start or before it (halves to even)
    offset = 0;
    return frames > 0;
  }
  if (!(sinceStart < frames + 0.5)) { // rounds to the block end or later; also refuses NaN
    return false;
  }
  const int32_t rounded = NearestSample(sinceStart);
  if (rounded >= frames) {
    return false;
  }
  offset = rounded;
  return true;
}

void TVSTPlugin::VSTModuleSuspend() {
  // release: pairs with the block handler's acquire exchange.
  FSuspended.store(true, std::memory_order_release);
}

void TVSTPlugin::FlushAfterSuspend() {
  // Everything the plug-in has on ends at the block start, as far as the output list takes it.
  for (; FFlushCursor < TNoteLedger::Channels * Notes; ++FFlushCursor) {
    const int32_t channel = FFlushCursor / Notes;
    const int32_t pitch = FFlushCursor % Notes;
    if (!FLedger.IsSounding(channel, pitch)) {
      continue;
    }
    if (FRoom < 1) {
      return;
    }
    EndOwnerOf(channel, pitch, 0);
  }
  FFlushCursor = -1;
}

void TVSTPlugin::JumpBack() {
  // Pending note-ons keep their remaining delay, counted from the new position; pending note-offs go
  // out first, at offset 0 (a time before the block start).
  const double blockPosition = FBlockPosition;
  const double previous = FPreviousBlockPosition;
  FEvents.RetimePending([&](TMidiEvents::TSlot, const TMidiEvent& event) {
    if (event.State == esNoteOffPending) {
      return -std::numeric_limits<double>::infinity();
    }
    return event.SchedulePosition > blockPosition ? event.Time - previous + blockPosition : event.Time;
  });
  FInput.RetimeWaiting(blockPosition);
}

void TVSTPlugin::Transport(const TTimeInfo& info, int32_t frames) {
  FPlaying = info.Playing;
  FBlockPosition = info.SamplePosition;
  if (info.Playing && !FWasPlaying) {
    FHost.SetCCMode(ccmNone); // starting the transport ends every learn mode
    FPreviousBlockPosition = 0.0;
  } else if (!info.Playing && FWasPlaying) {
    // Stopping: releasing notes end at the block start, chord notes that have not started are
    // dropped. Sounding chord notes stay so that the release of their held trigger still ends them.
    TMidiEvents::TSlot slot = FEvents.First();
    while (slot != TMidiEvents::None) {
      const TMidiEvents::TSlot next = FEvents.Next(slot);
      if (FEvents[slot].State == esNoteOnPending) {
        FEvents.Remove(slot);
      }
      slot = next;
    }
    FEvents.RetimePending(
        [](TMidiEvents::TSlot, const TMidiEvent&) { return -std::numeric_limits<double>::infinity(); });
    FSampleCounter = 0;
    FPreviousBlockPosition = 0.0;
    FInput.RetimeWaiting(0.0);
  }
  if (!info.Playing) {
    // The counter's time line, which the block's events follow.
    FBlockPosition = FSampleCounter;
    FSampleCounter += static_cast<uint32_t>(frames);
  }
  if (FBlockPosition < FPreviousBlockPosition && FBlockPosition >= 0.0) {
    JumpBack();
  }
}

int32_t TVSTPlugin::InputRoomNeeded(const TMidiInEvent& event) const {
  const int32_t kind = event.Data[0] & 0xF0;
  switch (kind) {
  case StatusNoteOn:
    return 3; // at most: the key's earlier pitch and an older note of the pitch end, then the note-on
  case StatusNoteOff:
    return 1;
  case StatusControlChange:
    if (event.Data[1] == ControllerAllSoundOff || event.Data[1] == ControllerAllNotesOff) {
      return FLedger.SoundingOnChannel(event.Data[0] & 0x0F) + 1;
    }
    return 1;
  case StatusPolyPressure:
  case StatusChannelPressure:
  case StatusPitchBend:
    return 1;
  default:
    return 0;
  }
}

[[gnu::always_inline]] inline bool TVSTPlugin::RunDueEvent(TMidiEvents::TSlot slot, int32_t offset) {
  const TMidiEvent& event = FEvents[slot];
  const int32_t channel = event.Channel;
  const int32_t pitch = event.Note;
  if (event.State == esNoteOnPending) {
    const int32_t needed = FLedger.IsSounding(channel, pitch) ? 2 : 1;
    if (FRoom < needed) {
      return false;
    }
    StartNote(channel, pitch, event.Velocity, offset, slot);
    FEvents.SetState(slot, esSounding, event.Time);
  } else {
    if (FRoom < 1) {
      return false;
    }
    if (FLedger.IsOwner(channel, pitch, slot)) {
      EndOwnerOf(channel, pitch, offset); // removes the event
    } else {
      FEvents.Remove(slot);
    }
  }
  return true;
}

[[gnu::always_inline]] inline bool TVSTPlugin::RunUndelayed() {
  const int32_t offset = FUndelayed.Offset();
  while (FUndelayed.HasPending()) {
    const TUndelayedNotes::TNote& event = FUndelayed.NextPending();
    const int32_t needed = FLedger.IsSounding(event.Channel, event.Note) ? 2 : 1;
    if (FRoom < needed) {
      return false;
    }
    StartNote(event.Channel, event.Note, event.Velocity, offset, FUndelayed.NextOwner());
    FUndelayed.StartNext();
  }
  return true;
}

void TVSTPlugin::RunBlock(int32_t frames) {
  // One walk in time order over the block's incoming events and the chord notes falling due, so
  // that every message goes out in offset order and every ledger decision sees the notes before it.
  // At equal times the incoming event comes first (a release before its chord's next note-on). When
  // the output list is full, the rest waits for the next block: queued notes at offset 0 first,
  // incoming events with their times kept.
  // Due notes come in runs of one time (a chord without delays, a burst of presses): its offset is
  // worked out once per run.
  // Chord notes without delay made here wait in the undelayed list (TUndelayedNotes), which follows
  // the queue: at equal times the queue's notes are older and go first.
  double lastTime = std::numeric_limits<double>::quiet_NaN();
  bool lastDue = false;
  int32_t lastOffset = 0;
  for (;;) {
    const TMidiEvents::TSlot slot = FEvents.Earliest();
    bool due = false;
    if (slot != TMidiEvents::None) {
      const double time = FEvents[slot].Time;
      if (!(time == lastTime)) {
        lastTime = time;
        lastDue = DueOffset(time, frames, lastOffset);
      }
      due = lastDue;
    }
    // The undelayed list's pending notes are due in this block (they are only made so).
    const bool undelayed = FUndelayed.HasPending();
    const bool queueFirst = due && (!undelayed || FEvents[slot].Time <= FUndelayed.Time());
    const bool dueAny = queueFirst || undelayed;
    const double dueTime = queueFirst ? FEvents[slot].Time : FUndelayed.Time();
    const int32_t dueOffset = lastOffset;
    const bool input = !FInput.Empty();
    if (!dueAny && !input) {
      return;
    }
    if (input && (!dueAny || !(dueTime < FInput.Front().Time))) {
      const TTimedInput& front = FInput.Front();
      if (FRoom < InputRoomNeeded(front.Event)) {
        return;
      }
      int32_t offset = 0;
      const double time = front.Time;
      DueOffset(time, frames, offset);
      offset = std::min(offset, frames - 1);
      const TMidiInEvent event = front.Event;
      FInput.PopFront();
      HandleInput(event, time, offset);
    } else if (!queueFirst) {
      if (!RunUndelayed()) {
        return;
      }
    } else {
      // The rest of the due group goes out at once: it keeps the earliest place (nothing is queued
      // while it goes, and it is taken from its head), and its time stays before the next input.
      TMidiEvents::TSlot next = slot;
      do {
        if (!RunDueEvent(next, dueOffset)) {
          return;
        }
        next = FEvents.Earliest();
      } while (next != TMidiEvents::None && FEvents[next].Time == lastTime);
    }
  }
}

void TVSTPlugin::VSTModuleProcess32Replacing(float* const* /*inputs*/, float* const* /*outputs*/,
                                             int32_t frames) {
  if (frames <= 0) {
    return; // no sample to place anything at; the block's events wait for the next one
  }
  // Once per processing call: the block's events all share it.
  Transport(FHost.GetTimeInfo(), frames);
  // Only this handler adds to the output list during the call: each message it sends takes one.
  FRoom = FHost.OutputRoom();

  // acquire: pairs with the suspend's release store.
  if (FSuspended.exchange(false, std::memory_order_acquire)) {
    // Nothing survives a suspend: pending chord notes and held-back events are dropped, and what
    // sounds ends at the start of this block.
    TMidiEvents::TSlot slot = FEvents.First();
    while (slot != TMidiEvents::None) {
      const TMidiEvents::TSlot next = FEvents.Next(slot);
      if (FEvents[slot].State == esNoteOnPending) {
        FEvents.Remove(slot);
      }
      slot = next;
    }
    FInput.DropWaiting();
    FFlushCursor = 0;
  }
  if (FFlushCursor >= 0) {
    FlushAfterSuspend();
    if (FFlushCursor >= 0) {
      FInput.Compact();
      FPreviousBlockPosition = FBlockPosition;
      FWasPlaying = FPlaying;
      return;
    }
  }

  // New events happen at their offset in this block (kept inside it); while the transport is
  // stopped every event counts as arriving at the block start.
  FInput.TimeNew(FBlockPosition, FPlaying ? frames - 1 : 0);
  RunPreviews();
  FRunFrames = frames;
  RunBlock(frames);
  FRunFrames = 0;
  HandOverUndelayed(); // what still sounds or waits takes its slot for the blocks to come
  FInput.Compact();

  FPreviousBlockPosition = FBlockPosition;
  FWasPlaying = FPlaying;
}

// ---- Editor

void TVSTPlugin::AttachEditor(TEditorView* editor) {
  FEditor = editor;
  if (editor != nullptr) {
    // A newly opened editor starts with empty lists.
    SoundingListChanged.store(false, std::memory_order_relaxed);
    FFeed.Attach();
  } else {
    FFeed.Detach();
  }
}

void TVSTPlugin::VSTModuleEditIdle() {
  if (FEditor == nullptr) {
    return;
  }
  // acquire before draining: the feed then holds every entry the flag announces.
  const bool soundingListChanged = SoundingListChanged.exchange(false, std::memory_order_acquire);
  FFeed.Apply(FEditor->HighlightedNotes(), FEditor->SoundingNotes());
  const int32_t octave = LearnedOctave.exchange(-1, std::memory_order_relaxed);
  if (octave >= 0) {
    FEditor->SetLearnedOctave(octave);
  }
  FEditor->RefreshHighlights();
  if (soundingListChanged) {
    FEditor->ShowInfo("");
  }
}

void TVSTPlugin::ResetToDefaults() {
  Setup.Reset();
}
