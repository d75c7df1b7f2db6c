// MidiRender: plays a song through a loaded plug-in block by block and collects what it sends.
#pragma once

#include "MidiSong.h"
#include "VstHost.h"

#include <cstdint>
#include <string>
#include <vector>

struct TRenderSettings {
  double SampleRate = 44100;
  int32_t BlockSize = 512;
  // Transport rolling from sample 0 (the DAW plays the song), or stopped at 0 (live input).
  bool Stopped = false;
  // After the song's last event the host keeps playing until every note has ended, at most this long.
  double MaxTailSeconds = 10;
};

// A message on the sample time line.
struct TTimedMidi {
  int64_t Sample = 0;
  uint8_t Data[3] = {0, 0, 0};
  uint8_t Size = 3;
};

struct TRenderResult {
  std::vector<TTimedMidi> Input;
  std::vector<TTimedMidi> Output;
  int64_t RenderedSamples = 0;
  // Notes still sounding in the output when the render ended (a note-on without its note-off).
  int32_t HangingNotes = 0;
  int64_t IgnoredOutputEvents = 0;
};

// Starts nothing and closes nothing: the host must be loaded and started with the same sample rate and
// a maximum block size of at least settings.BlockSize. When rolling, the transport stops for one final
// block after the tail, as a DAW stops at the end of a song.
TRenderResult RenderSong(TVstHost& host, const TMidiSong& song, const TRenderSettings& settings);

// The output converted back to the song's ticks, in the order the plug-in sent it.
std::vector<TSongEvent> OutputToSongEvents(const TRenderResult& result, const TMidiSong& song,
                                           double sampleRate);

// Number of note-ons (velocity > 0) in a message list.
int64_t CountNoteOns(const std::vector<TTimedMidi>& messages);
int64_t CountNoteOffs(const std::vector<TTimedMidi>& messages);
