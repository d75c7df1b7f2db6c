// Plugin: TVSTPlugin, the chord engine as a plug-in: trigger handling, block processing, editor feed.
#include "engine/Plugin.h"

#include "engine/EditorView.h"
#include "engine/ZelMidi.h"
#include "engine/ZelRandom.h"

#include <algorithm>
#include <cmath>

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

bool IsMidiValue(int64_t value) {
  return value >= 0 && value <= MaxMidiValue;
}

// Quotient first, then the product in extended precision; nearest with halves to even.
int32_t ScaledVelocity(int32_t velocity, int64_t scale) {
  long double out = velocity;
  if (scale < 0) {
    out = velocity - RoundHalfEven(velocity * (static_cast<long double>(-scale) / 100.0L));
  } else if (scale > 0) {
    out = velocity + RoundHalfEven((MaxMidiValue - velocity) * (static_cast<long double>(scale) / 100.0L));
  }
  return static_cast<int32_t>(std::clamp<long double>(out, 0.0L, MaxMidiValue));
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

// ---- Trigger handling

TVSTPlugin::TRange TVSTPlugin::RangeOf(int32_t note) const {
  const int32_t octave = NoteOctave(note, true);
  return {octave<Setup.OctaveRangeFrom, octave> Setup.OctaveRangeTo};
}

void TVSTPlugin::EditorChanged() {
  // release: the editor-idle call that sees the flag also sees the feed entries pushed before it.
  SoundingListChanged.store(true, std::memory_order_release);
  FHost.SetEditorNeedsUpdate();
}

bool TVSTPlugin::HasTriggerEvents(int32_t note) const {
  for (int32_t i = 0; i < Events.Count(); ++i) {
    const TMidiEvent& event = Events[i];
    if (event.TriggerNote == note &&
        (event.State == EventState::NoteOnPending || event.State == EventState::Sounding)) {
      return true;
    }
  }
  return false;
}

void TVSTPlugin::VSTModuleProcessMidi(const TMidiInEvent& event) {
  const int32_t status = event.Data[0];
  const int32_t channel = status & 0x0F;
  const int32_t kind = status & 0xF0;
  const int32_t note = event.Data[1] & 0x7F;
  const int32_t value = event.Data[2] & 0x7F;
  // A hostile delta cannot reach before the block or far past it.
  int32_t offset = std::max<int32_t>(event.DeltaFrames, 0);
  if (FLastFrames > 0) {
    offset = std::min(offset, FLastFrames - 1);
  }

  const TTimeInfo info = FHost.GetTimeInfo();
  if (info.Playing) {
    BlockPosition = info.SamplePosition;
  } else {
    // While stopped every event counts as arriving at the block start.
    BlockPosition = SampleCounter;
    offset = 0;
  }
  const double time = BlockPosition + offset;

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
    const TRange range = RangeOf(note);
    const bool passed = FPassThroughSent[channel][note] != NoPitch;
    const bool outside = range.Below || range.Above;
    if (outside || passed) {
      PassThrough(channel, note, value, offset, false,
                  range.Below ? Setup.TransposeOctaveBelow : Setup.TransposeOctaveAbove);
    }
    // Inside the range the trigger is released; outside, a chord that started before the range
    // changed is still released so it cannot hang.
    if (!outside || HasTriggerEvents(note)) {
      NoteOffChord(note, time);
      if (FFeed.IsAttached()) {
        FFeed.ReleaseTrigger(note);
        FHost.SetEditorNeedsUpdate();
      }
    }
  } else {
    switch (kind) {
    case StatusControlChange:
      FHost.SendControlChange(channel, event.Data[1], event.Data[2], offset);
      break;
    case StatusPolyPressure:
      FHost.SendPolyPressure(channel, event.Data[1], event.Data[2], offset);
      break;
    case StatusChannelPressure:
      FHost.SendChannelPressure(channel, event.Data[1], offset);
      break;
    case StatusPitchBend:
      FHost.SendPitchBend(channel, event.Data[1], event.Data[2], offset);
      break;
    default: // program change and system messages are not passed on
      break;
    }
  }
}

void TVSTPlugin::PassThrough(int32_t channel, int32_t note, int32_t velocity, int32_t offset, bool noteOn,
                             int32_t transpose) {
  int16_t& sent = FPassThroughSent[channel][note];
  int32_t out = -1;
  if (!noteOn && sent != NoPitch) {
    // End exactly the pitch that was started, whatever the mapping says now.
    out = sent;
    sent = NoPitch;
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
    if (noteOn) {
      sent = static_cast<int16_t>(out);
    }
  }
  if (noteOn) {
    FHost.SendNoteOn(channel, out, velocity, offset);
  } else {
    FHost.SendNoteOff(channel, out, velocity, offset);
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

double TVSTPlugin::DelaySamples(int32_t ms) const {
  return MsToSamples(ms, FHost.SampleRate());
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

  TChordReader chord(trigger.Notes);
  if (chord.Count() == 0) {
    // A trigger without a chord plays its key at once, unchanged.
    const int64_t pitch = static_cast<int64_t>(base) + key + transpose;
    if (IsMidiValue(pitch)) {
      Events.Add(EventState::NoteOnPending, note, time, channel, static_cast<int32_t>(pitch), velocity, time,
                 -1);
    }
  } else {
    const TNoteSetup& noteSetup = Setup.NoteSetup;
    const bool randomAssignment = noteSetup.RandomNoteAssignment;
    const bool relativeTiming = noteSetup.RelativeTiming;
    const bool sameRandomVelocity = noteSetup.SameRandomVelocity;

    std::array<int32_t, TNoteSetup::Count> positions{};
    uint32_t positionCount = 0;
    if (randomAssignment) {
      positions[positionCount++] = 0;
      for (int32_t p = 1; p < TNoteSetup::Count; ++p) {
        if (noteSetup[p].IsActive()) {
          positions[positionCount++] = p;
        }
      }
      for (uint32_t i = 0; i < positionCount; ++i) {
        std::swap(positions[i], positions[Random(positionCount)]);
      }
    } else {
      for (int32_t p = 0; p < TNoteSetup::Count; ++p) {
        positions[positionCount++] = p;
      }
    }

    int64_t startSum = 0;
    bool sharedDrawn = false;
    int64_t sharedRandom = 0;
    for (int32_t n = 0; n < chord.Count(); ++n) {
      const int32_t p = randomAssignment ? positions[Random(positionCount)] : chord[n].Position;
      const TNoteSetupItem& item = noteSetup[std::clamp(p, 0, TNoteSetup::Count - 1)];

      int64_t start = DrawnDelay(item.Start, item.StartRandom);
      if (relativeTiming) {
        startSum += start;
        start = startSum;
      }

      int64_t scale = item.VelocityScale;
      int64_t extra = 0;
      if (sameRandomVelocity) {
        if (!sharedDrawn) {
          const int32_t r = noteSetup[positions[0]].VelocityRandom;
          sharedRandom = r > 0 ? RandomUpTo(r) : 0;
          sharedDrawn = true;
        }
        extra = sharedRandom;
      } else {
        const int32_t r = item.VelocityRandom;
        extra = r > 0 ? RandomUpTo(r) : 0;
      }
      // The random part only ever raises the scale.
      if (extra > 0) {
        scale = std::min<int64_t>(scale + extra, MaxScale);
      }
      const int32_t outVelocity = ScaledVelocity(velocity, scale);

      const int64_t pitch = base + static_cast<int64_t>(chord[n].Note) + transpose;
      if (!IsMidiValue(pitch)) {
        continue;
      }
      const double due = time + MsToSamples(static_cast<double>(start), FHost.SampleRate());
      Events.Add(EventState::NoteOnPending, note, BlockPosition, channel, static_cast<int32_t>(pitch),
                 outVelocity, due, std::clamp(p, 0, TNoteSetup::Count - 1));
      if (attached) {
        FFeed.AddSoundingNote(note, static_cast<int32_t>(pitch), p, outVelocity);
      }
    }
  }
  if (attached) {
    EditorChanged();
  }
}

void TVSTPlugin::NoteOffChord(int32_t note, double time) {
  const TNoteSetup& noteSetup = Setup.NoteSetup;
  const bool relativeTiming = noteSetup.RelativeTiming;
  int64_t endSum = 0;
  for (int32_t i = 0; i < Events.Count(); ++i) {
    TMidiEvent& event = Events[i];
    if (event.State != EventState::Sounding || event.TriggerNote != note) {
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
    event.State = EventState::NoteOffPending;
    event.Time = time + MsToSamples(static_cast<double>(end), FHost.SampleRate());
  }
  // Chord notes that have not started yet never sound.
  Events.RemoveTriggerEvents(note, EventState::NoteOnPending);
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
  while (FPreviews.Pop(command)) {
    switch (command.Kind) {
    case pvkPlayTrigger:
      NoteOnChord(PreviewChannel, command.Note, command.Velocity, BlockPosition);
      break;
    case pvkStopTrigger:
      if (IsMidiValue(command.Note)) {
        NoteOffChord(command.Note, BlockPosition);
      }
      break;
    case pvkPlayNote:
      if (IsMidiValue(command.Note) && IsMidiValue(command.Velocity)) {
        FHost.SendNoteOn(PreviewChannel, command.Note, command.Velocity, 0);
      }
      break;
    case pvkStopNote:
      if (IsMidiValue(command.Note)) {
        FHost.SendNoteOff(PreviewChannel, command.Note, 0, 0);
      }
      break;
    }
  }
}

// ---- Block processing

bool TVSTPlugin::DueOffset(double time, int32_t frames, int32_t& offset) const {
  const double rounded = RoundHalfEven(time - BlockPosition);
  if (!(rounded < frames)) { // also refuses NaN
    return false;
  }
  offset = rounded < 0.0 ? 0 : static_cast<int32_t>(rounded);
  return true;
}

void TVSTPlugin::SendPendingNoteOffs() {
  for (int32_t i = 0; i < Events.Count(); ++i) {
    const TMidiEvent& event = Events[i];
    if (event.State == EventState::NoteOffPending) {
      FHost.SendNoteOff(event.Channel, event.Note, event.Velocity, 0);
    }
  }
}

void TVSTPlugin::JumpBack() {
  for (int32_t i = Events.Count() - 1; i >= 0; --i) {
    TMidiEvent& event = Events[i];
    if (event.State == EventState::NoteOnPending && event.SchedulePosition > BlockPosition) {
      // The note keeps its remaining delay, counted from the new position.
      event.Time = event.Time - PreviousBlockPosition + BlockPosition;
    } else if (event.State == EventState::NoteOffPending) {
      FHost.SendNoteOff(event.Channel, event.Note, event.Velocity, 0);
      event.State = EventState::Done;
    }
  }
}

bool TVSTPlugin::NoteOnDueBefore(int32_t note, int32_t offset, int32_t frames) const {
  for (int32_t i = 0; i < Events.Count(); ++i) {
    const TMidiEvent& event = Events[i];
    int32_t due = 0;
    if (event.State == EventState::NoteOnPending && event.Note == note &&
        DueOffset(event.Time, frames, due) && due < offset) {
      return true;
    }
  }
  return false;
}

void TVSTPlugin::SendDueNoteOffs(int32_t frames) {
  for (int32_t i = Events.Count() - 1; i >= 0; --i) {
    TMidiEvent& event = Events[i];
    int32_t offset = 0;
    // A release due after a new note-on of its pitch in this block is left to that note-on, which
    // ends it at its own offset: hosts deliver by offset, and the late note-off would end the new note.
    if (event.State == EventState::NoteOffPending && DueOffset(event.Time, frames, offset) &&
        !NoteOnDueBefore(event.Note, offset, frames)) {
      FHost.SendNoteOff(event.Channel, event.Note, event.Velocity, offset);
      event.State = EventState::Done;
    }
  }
}

void TVSTPlugin::SendDueNoteOns(int32_t frames) {
  const int32_t count = Events.Count();
  for (int32_t i = 0; i < count; ++i) {
    TMidiEvent& event = Events[i];
    int32_t offset = 0;
    if (event.State != EventState::NoteOnPending || !DueOffset(event.Time, frames, offset)) {
      continue;
    }
    // A pitch is never doubled: an older note of the same pitch ends just before the new one.
    for (const uint8_t older : {EventState::NoteOffPending, EventState::Sounding}) {
      const int32_t index = Events.IndexOfNote(event.Note, older);
      if (index >= 0) {
        TMidiEvent& old = Events[index];
        FHost.SendNoteOff(old.Channel, old.Note, old.Velocity, offset);
        old.State = EventState::Done;
      }
    }
    FHost.SendNoteOn(event.Channel, event.Note, event.Velocity, offset);
    event.State = EventState::Sounding;
  }
}

void TVSTPlugin::VSTModuleProcess32Replacing(float* const* /*inputs*/, float* const* /*outputs*/,
                                             int32_t frames) {
  frames = std::max(frames, 0);
  FLastFrames = frames;
  const TTimeInfo info = FHost.GetTimeInfo();
  BlockPosition = info.SamplePosition;

  if (info.Playing && !WasPlaying) {
    FHost.SetCCMode(ccmNone); // starting the transport ends every learn mode
    PreviousBlockPosition = 0.0;
  } else if (!info.Playing && WasPlaying) {
    SendPendingNoteOffs();
    // Sounding chord notes stay so that the release of their held trigger still ends them.
    Events.RemoveAllButSounding();
    SampleCounter = 0;
    BlockPosition = 0.0;
    PreviousBlockPosition = 0.0;
    WasPlaying = false;
    return;
  } else if (!info.Playing) {
    BlockPosition = SampleCounter;
    SampleCounter += static_cast<uint32_t>(frames);
  }

  if (BlockPosition < PreviousBlockPosition && BlockPosition >= 0.0) {
    JumpBack();
  }
  RunPreviews();
  SendDueNoteOffs(frames);
  SendDueNoteOns(frames);
  Events.PurgeDone();

  PreviousBlockPosition = BlockPosition;
  WasPlaying = info.Playing;
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
