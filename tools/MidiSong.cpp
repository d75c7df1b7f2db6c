#include "MidiSong.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {
constexpr uint8_t MetaTempo = 0x51;
constexpr uint8_t MetaTimeSignature = 0x58;
constexpr uint8_t MetaKeySignature = 0x59;
constexpr uintmax_t MaxFileSize = 64u * 1024u * 1024u; // a song file, not a sample library

bool IsConductorMeta(const juce::MidiMessage& message) {
  if (!message.isMetaEvent())
    return false;
  const int type = message.getMetaEventType();
  return type == MetaTempo || type == MetaTimeSignature || type == MetaKeySignature;
}

int64_t TickOf(const juce::MidiMessage& message) {
  return static_cast<int64_t>(std::llround(message.getTimeStamp()));
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error))
    throw EMidiFileError("file not found: " + path);
  if (std::filesystem::is_directory(path, error))
    throw EMidiFileError("not a Standard MIDI File (a folder): " + path);
  const uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > MaxFileSize)
    throw EMidiFileError(error ? "cannot read " + path : "not a Standard MIDI File (too large): " + path);
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw EMidiFileError("cannot read " + path);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad())
    throw EMidiFileError("cannot read " + path);
  return bytes;
}
} // namespace

void WriteFileReplacing(const std::string& path, const void* data, std::size_t size) {
  std::error_code error;
  const std::filesystem::path target(path);
  if (target.has_parent_path())
    std::filesystem::create_directories(target.parent_path(), error);
  const std::filesystem::path temporary = target.string() + ".partial";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
      std::filesystem::remove(temporary, error);
      throw EMidiFileError("cannot write " + path);
    }
  }
  std::filesystem::rename(temporary, target, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    throw EMidiFileError("cannot write " + path);
  }
}

TSongMeta MakeTempoMeta(int64_t tick, int64_t microsecondsPerQuarter) {
  const auto us = static_cast<uint32_t>(microsecondsPerQuarter);
  return {tick,
          {0xFF, MetaTempo, 0x03, static_cast<uint8_t>(us >> 16), static_cast<uint8_t>(us >> 8),
           static_cast<uint8_t>(us)}};
}

TSongMeta MakeTimeSignatureMeta(int64_t tick, int32_t numerator, int32_t denominator) {
  uint8_t power = 0;
  while ((1 << power) < denominator && power < 7)
    ++power;
  return {tick, {0xFF, MetaTimeSignature, 0x04, static_cast<uint8_t>(numerator), power, 24, 8}};
}

void RebuildTiming(TMidiSong& song) {
  std::vector<TTempoChange> tempos;
  song.TimeSignatures.clear();
  for (const TSongMeta& meta : song.ConductorMeta) {
    if (meta.Bytes.size() >= 6 && meta.Bytes[1] == MetaTempo && meta.Bytes[2] == 3)
      tempos.push_back({meta.Tick, (int64_t{meta.Bytes[3]} << 16) | (int64_t{meta.Bytes[4]} << 8) |
                                       int64_t{meta.Bytes[5]}});
    else if (meta.Bytes.size() >= 5 && meta.Bytes[1] == MetaTimeSignature && meta.Bytes[2] >= 2 &&
             meta.Bytes[3] > 0 && meta.Bytes[4] < 8)
      song.TimeSignatures.push_back({meta.Tick, meta.Bytes[3], 1 << meta.Bytes[4]});
  }
  std::stable_sort(song.TimeSignatures.begin(), song.TimeSignatures.end(),
                   [](const TTimeSignature& a, const TTimeSignature& b) { return a.Tick < b.Tick; });
  if (song.TimeFormat > 0) {
    song.TempoMap = TTempoMap::Metrical(song.TimeFormat, std::move(tempos));
  } else {
    const int fps = -static_cast<int8_t>(static_cast<uint16_t>(song.TimeFormat) >> 8);
    song.TempoMap = TTempoMap::Timecode(fps, song.TimeFormat & 0xFF);
  }
}

TMidiSong ReadMidiSong(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path);
  juce::MemoryInputStream stream(bytes.data(), bytes.size(), false);
  juce::MidiFile file;
  // Notes are played as they stand in the file: no note-offs are invented for unmatched note-ons.
  if (!file.readFrom(stream, false))
    throw EMidiFileError("not a Standard MIDI File: " + path);

  TMidiSong song;
  song.TimeFormat = file.getTimeFormat();
  if (song.TimeFormat == 0)
    throw EMidiFileError("not a Standard MIDI File (zero ticks per quarter note): " + path);
  if (song.TimeFormat < 0) {
    const int fps = -static_cast<int8_t>(static_cast<uint16_t>(song.TimeFormat) >> 8);
    if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || (song.TimeFormat & 0xFF) == 0)
      throw EMidiFileError("not a Standard MIDI File (unknown timecode format): " + path);
  }
  song.TrackCount = file.getNumTracks();

  struct TOrdered {
    TSongEvent Event;
    int32_t Track;
    int32_t Index;
  };
  std::vector<TOrdered> ordered;
  for (int track = 0; track < file.getNumTracks(); ++track) {
    const juce::MidiMessageSequence* sequence = file.getTrack(track);
    for (int i = 0; i < sequence->getNumEvents(); ++i) {
      const juce::MidiMessage& message = sequence->getEventPointer(i)->message;
      const int64_t tick = std::max<int64_t>(0, TickOf(message));
      if (IsConductorMeta(message)) {
        const auto* raw = message.getRawData();
        song.ConductorMeta.push_back({tick, std::vector<uint8_t>(raw, raw + message.getRawDataSize())});
      } else if (message.isSysEx()) {
        ++song.SkippedSysEx;
      } else if (!message.isMetaEvent() && message.getRawDataSize() >= 2 && message.getRawDataSize() <= 3 &&
                 message.getRawData()[0] >= 0x80 && message.getRawData()[0] < 0xF0) {
        TSongEvent event;
        event.Tick = tick;
        event.Size = static_cast<uint8_t>(message.getRawDataSize());
        std::copy_n(message.getRawData(), event.Size, event.Data);
        ordered.push_back({event, track, i});
      }
    }
  }
  std::stable_sort(ordered.begin(), ordered.end(), [](const TOrdered& a, const TOrdered& b) {
    if (a.Event.Tick != b.Event.Tick)
      return a.Event.Tick < b.Event.Tick;
    if (a.Track != b.Track)
      return a.Track < b.Track;
    return a.Index < b.Index;
  });
  for (const TOrdered& item : ordered)
    song.Events.push_back(item.Event);
  std::stable_sort(song.ConductorMeta.begin(), song.ConductorMeta.end(),
                   [](const TSongMeta& a, const TSongMeta& b) { return a.Tick < b.Tick; });
  RebuildTiming(song);
  return song;
}

void WriteMidiSong(const std::string& path, const TMidiSong& timing, const std::vector<TSongEvent>& events,
                   const std::string& trackName) {
  juce::MidiFile file;
  if (timing.TimeFormat > 0) {
    file.setTicksPerQuarterNote(timing.TimeFormat);
  } else {
    const int fps = -static_cast<int8_t>(static_cast<uint16_t>(timing.TimeFormat) >> 8);
    file.setSmpteTimeFormat(fps, timing.TimeFormat & 0xFF);
  }
  juce::MidiMessageSequence conductor;
  for (const TSongMeta& meta : timing.ConductorMeta)
    conductor.addEvent(juce::MidiMessage(meta.Bytes.data(), static_cast<int>(meta.Bytes.size()),
                                         static_cast<double>(meta.Tick)));
  file.addTrack(conductor);

  juce::MidiMessageSequence track;
  track.addEvent(juce::MidiMessage::textMetaEvent(3, juce::String::fromUTF8(trackName.c_str())), 0.0);
  for (const TSongEvent& event : events)
    track.addEvent(juce::MidiMessage(event.Data, event.Size, static_cast<double>(event.Tick)));
  // addEvent keeps equal times in insertion order, so the plug-in's order at one tick survives.
  file.addTrack(track);

  juce::MemoryOutputStream stream;
  if (!file.writeTo(stream, 1))
    throw EMidiFileError("cannot write " + path);
  WriteFileReplacing(path, stream.getData(), stream.getDataSize());
}
