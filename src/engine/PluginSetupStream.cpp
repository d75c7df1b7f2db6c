// PluginSetupStream: TVSTPlugin's setup section of program chunks and preset files.
#include "engine/Plugin.h"

#include <cmath>
#include <limits>
#include <string>

#include "engine/TaggedStream.h"
#include "engine/ZelMidi.h"
#include "engine/ZelVSTParameterValues.h"

namespace {

void WriteChord(TTaggedWriter& writer, const TChordNotes& chord) {
  writer.WriteListBegin();
  for (int32_t i = 0; i < chord.Count(); ++i) {
    writer.WriteListBegin();
    writer.WriteInteger(chord[i].Note());
    writer.WriteInteger(chord[i].Position());
    writer.WriteListEnd();
  }
  writer.WriteListEnd();
}

void ReadChord(TTaggedReader& reader, TChordNotes& chord) {
  chord.Clear();
  reader.ReadListBegin();
  while (!reader.EndOfList()) {
    reader.ReadListBegin();
    const int32_t note = reader.ReadInteger();
    const int32_t position = reader.ReadInteger();
    reader.ReadListEnd();
    TChordNote& added = chord.Add();
    added.SetNote(note);
    added.SetPosition(position);
  }
  reader.ReadListEnd();
}

} // namespace

float TVSTPlugin::StoredParameterValue(int32_t position, int32_t kind) const {
  const int32_t index = position * ParametersPerPosition + kind;
  if (FParameterValues != nullptr && FParameterValues->Find(index) != nullptr)
    return FParameterValues->Items(index).CurrentValue;
  // Without a value store the note setup, which mirrors the values, is the best answer.
  const TNoteSetupItem& item = Setup.NoteSetup[position];
  switch (static_cast<TParameterKind>(kind)) {
  case pkStart:
    return static_cast<float>(item.Start.Load());
  case pkStartRandom:
    return static_cast<float>(item.StartRandom.Load());
  case pkEnd:
    return static_cast<float>(item.End.Load());
  case pkEndRandom:
    return static_cast<float>(item.EndRandom.Load());
  case pkVelocityScale:
    return static_cast<float>(item.VelocityScale.Load());
  case pkVelocityRandom:
    return static_cast<float>(item.VelocityRandom.Load());
  }
  return 0.0f;
}

void TVSTPlugin::WriteSetup(TTaggedWriter& writer) {
  writer.WriteListBegin();
  writer.WriteInteger(Setup.ShowTimingVelocity.Load());
  writer.WriteListEnd();

  // Below before above: the order stored projects have always used.
  writer.WriteListBegin();
  writer.WriteInteger(Setup.OctaveRangeFrom.Load());
  writer.WriteInteger(Setup.OctaveRangeTo.Load());
  writer.WriteInteger(Setup.TransposeOctave.Load());
  writer.WriteInteger(Setup.TransposeOctaveBelow.Load());
  writer.WriteInteger(Setup.TransposeOctaveAbove.Load());
  writer.WriteBoolean(Setup.FollowTriggerNotes.Load());
  writer.WriteListEnd();

  writer.WriteListBegin();
  writer.WriteString(Setup.ScaleTemplateName);
  writer.WriteInteger(Setup.ScaleTemplateIndex.Load());
  writer.WriteInteger(Setup.Tonic.Load());
  writer.WriteBoolean(Setup.EasyMode.Load());
  writer.WriteListEnd();

  writer.WriteListBegin();
  writer.WriteInteger(Setup.Triggers.Selected.Load());
  writer.WriteListEnd();

  writer.WriteListBegin();
  for (int32_t i = 0; i < TTriggers::Count; ++i) {
    const TTriggerItem& trigger = Setup.Triggers[i];
    writer.WriteListBegin();
    writer.WriteListBegin();
    writer.WriteInteger(trigger.Key.Load());
    writer.WriteString(trigger.Name());
    writer.WriteListEnd();
    WriteChord(writer, trigger.Notes);
    writer.WriteListEnd();
  }
  writer.WriteListEnd();

  writer.WriteListBegin();
  for (int32_t position = 0; position < TNoteSetup::Count; ++position) {
    writer.WriteListBegin();
    for (int32_t kind = 0; kind < ParametersPerPosition; ++kind)
      writer.WriteFloat(StoredParameterValue(position, kind));
    writer.WriteListEnd();
  }
  writer.WriteListEnd();

  writer.WriteListBegin();
  writer.WriteBoolean(Setup.NoteSetup.RelativeTiming.Load());
  writer.WriteBoolean(Setup.NoteSetup.SameRandomVelocity.Load());
  writer.WriteBoolean(Setup.NoteSetup.RandomNoteAssignment.Load());
  writer.WriteListEnd();
}

void TVSTPlugin::ReadSetup(TTaggedReader& reader, const std::string& /*versionText*/) {
  // The editor's panel choice belongs to the open window, not to the stored state.
  reader.ReadListBegin();
  reader.ReadInteger();
  reader.ReadListEnd();

  reader.ReadListBegin();
  Setup.OctaveRangeFrom = reader.ReadInteger();
  Setup.OctaveRangeTo = reader.ReadInteger();
  Setup.TransposeOctave = reader.ReadInteger();
  Setup.TransposeOctaveBelow = reader.ReadInteger();
  Setup.TransposeOctaveAbove = reader.ReadInteger();
  Setup.FollowTriggerNotes = reader.ReadBoolean();
  reader.ReadListEnd();

  reader.ReadListBegin();
  Setup.ScaleTemplateName = reader.ReadString();
  Setup.ScaleTemplateIndex = reader.ReadInteger();
  Setup.Tonic = reader.ReadInteger();
  Setup.EasyMode = reader.ReadBoolean();
  reader.ReadListEnd();

  reader.ReadListBegin();
  Setup.Triggers.Selected = reader.ReadInteger();
  reader.ReadListEnd();

  reader.ReadListBegin();
  {
    // Each chord reaches the audio thread once, also when the stream breaks off half-way.
    TUpdateScope<TTriggers> batch(Setup.Triggers);
    for (int32_t index = 0; !reader.EndOfList(); ++index) {
      if (index >= TTriggers::Count)
        throw EStreamError("List index out of bounds (" + std::to_string(index) + ")");
      TTriggerItem& trigger = Setup.Triggers[index];
      reader.ReadListBegin();
      reader.ReadListBegin();
      trigger.Key = reader.ReadInteger();
      trigger.SetName(reader.ReadString());
      reader.ReadListEnd();
      ReadChord(reader, trigger.Notes);
      reader.ReadListEnd();
    }
  }
  reader.ReadListEnd();

  reader.ReadListBegin();
  for (int32_t position = 0; !reader.EndOfList(); ++position) {
    reader.ReadListBegin();
    for (int32_t kind = 0; kind < ParametersPerPosition; ++kind) {
      const long double value = reader.ReadFloat();
      // A value beyond the float range, infinite or undefined has no place on any parameter's scale;
      // taking it would leave the host reading infinity or NaN back.
      if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max())
        throw EStreamError(StreamErrorText::InvalidPropertyValue);
      Host().SetParameterByName(ParameterName(position, kind), static_cast<float>(value));
    }
    reader.ReadListEnd();
  }
  reader.ReadListEnd();

  reader.ReadListBegin();
  Setup.NoteSetup.RelativeTiming = reader.ReadBoolean();
  Setup.NoteSetup.SameRandomVelocity = reader.ReadBoolean();
  Setup.NoteSetup.RandomNoteAssignment = reader.ReadBoolean();
  reader.ReadListEnd();
}
