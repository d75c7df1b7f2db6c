// MidiSong: a Standard MIDI File as the host plays it (channel messages in time order, tempo map),
// read and written through JUCE's MidiFile.
#pragma once

#include "TempoMap.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// A file that cannot be read or written; the text is a one-line reason for the user.
class EMidiFileError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// One channel message (two or three bytes) at a tick.
struct TSongEvent {
  int64_t Tick = 0;
  uint8_t Data[3] = {0, 0, 0};
  uint8_t Size = 3;
};

// A meta event kept verbatim (FF, type, length, data) for the output's conductor track.
struct TSongMeta {
  int64_t Tick = 0;
  std::vector<uint8_t> Bytes;
};

struct TTimeSignature {
  int64_t Tick = 0;
  int32_t Numerator = 4;
  int32_t Denominator = 4;
};

struct TMidiSong {
  // As in the file header: > 0 ticks per quarter note; < 0 timecode (high byte -fps, low byte ticks).
  int16_t TimeFormat = 480;
  TTempoMap TempoMap = TTempoMap::Metrical(480, {});
  // Every channel message of every track; at equal ticks, earlier tracks first, file order within one.
  std::vector<TSongEvent> Events;
  // Tempo, time signature and key signature events, for the conductor track of a written file.
  std::vector<TSongMeta> ConductorMeta;
  std::vector<TTimeSignature> TimeSignatures;
  int32_t TrackCount = 0;
  // System-exclusive messages of the file; the host does not send them.
  int32_t SkippedSysEx = 0;
};

// Throws EMidiFileError: "file not found: P", "cannot read P", "not a Standard MIDI File: P".
TMidiSong ReadMidiSong(const std::string& path);

// Writes a type-1 file with the song's time format: a conductor track with its tempo map and
// signatures, then one track named trackName with the events. Throws EMidiFileError when the file
// cannot be written.
void WriteMidiSong(const std::string& path, const TMidiSong& timing, const std::vector<TSongEvent>& events,
                   const std::string& trackName);

// Replaces (or creates) a file with the bytes; the old file stays intact until the new one is complete.
// Creates missing parent folders. Throws EMidiFileError("cannot write P").
void WriteFileReplacing(const std::string& path, const void* data, std::size_t size);

// A tempo meta event's bytes.
TSongMeta MakeTempoMeta(int64_t tick, int64_t microsecondsPerQuarter);
// A time signature meta event's bytes (denominator a power of two).
TSongMeta MakeTimeSignatureMeta(int64_t tick, int32_t numerator, int32_t denominator);
// Rebuilds TempoMap and TimeSignatures from TimeFormat and ConductorMeta (for songs built in code).
void RebuildTiming(TMidiSong& song);
