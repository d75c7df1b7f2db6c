#include "MidiRender.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {
bool IsNoteOn(const uint8_t* data) {
  return (data[0] & 0xF0) == 0x90 && data[2] > 0;
}
bool IsNoteOff(const uint8_t* data) {
  return (data[0] & 0xF0) == 0x80 || ((data[0] & 0xF0) == 0x90 && data[2] == 0);
}

// Counts notes sounding per channel and pitch; a note-on of a sounding pitch stacks.
class TNoteBalance {
public:
  void Add(const uint8_t* data) {
    const int key = ((data[0] & 0x0F) << 7) | (data[1] & 0x7F);
    if (IsNoteOn(data)) {
      ++FOpen[key];
    } else if (IsNoteOff(data)) {
      auto it = FOpen.find(key);
      if (it != FOpen.end() && --it->second <= 0)
        FOpen.erase(it);
    }
  }
  bool Silent() const { return FOpen.empty(); }
  int32_t Sounding() const {
    int32_t total = 0;
    for (const auto& [key, count] : FOpen)
      total += count;
    return total;
  }

private:
  std::map<int, int> FOpen;
};

THostTransport TransportAt(const TMidiSong& song, const TRenderSettings& settings, int64_t blockStart,
                           bool playing) {
  THostTransport transport;
  transport.Playing = playing;
  const double position = playing ? static_cast<double>(blockStart) : 0.0;
  transport.SamplePosition = position;
  transport.QuarterPosition = song.TempoMap.QuartersAtSample(position, settings.SampleRate);
  transport.Tempo = song.TempoMap.TempoAtSample(position, settings.SampleRate);
  for (const TTimeSignature& signature : song.TimeSignatures) {
    if (song.TempoMap.TickToSample(signature.Tick, settings.SampleRate) > position)
      break;
    transport.TimeSignatureNumerator = signature.Numerator;
    transport.TimeSignatureDenominator = signature.Denominator;
  }
  return transport;
}
// The render keeps the channel messages sent while a block was processed; system messages and events
// sent outside a processing call count as ignored.
bool Rendered(const TCapturedMidiEvent& captured) {
  return captured.DuringProcessing && captured.IsChannelMessage();
}
} // namespace

int64_t CountNoteOns(const std::vector<TTimedMidi>& messages) {
  return std::count_if(messages.begin(), messages.end(),
                       [](const TTimedMidi& m) { return IsNoteOn(m.Data); });
}

int64_t CountNoteOffs(const std::vector<TTimedMidi>& messages) {
  return std::count_if(messages.begin(), messages.end(),
                       [](const TTimedMidi& m) { return IsNoteOff(m.Data); });
}

TRenderResult RenderSong(TVstHost& host, const TMidiSong& song, const TRenderSettings& settings) {
  TRenderResult result;
  for (const TSongEvent& event : song.Events) {
    TTimedMidi timed;
    timed.Sample = song.TempoMap.TickToSample(event.Tick, settings.SampleRate);
    std::copy_n(event.Data, 3, timed.Data);
    timed.Size = event.Size;
    result.Input.push_back(timed);
  }
  // Sorting by sample keeps the file's order among messages that land on the same sample.
  std::stable_sort(result.Input.begin(), result.Input.end(),
                   [](const TTimedMidi& a, const TTimedMidi& b) { return a.Sample < b.Sample; });

  const int64_t block = settings.BlockSize;
  const int64_t lastInput = result.Input.empty() ? 0 : result.Input.back().Sample;
  const auto maxTail = static_cast<int64_t>(std::ceil(settings.MaxTailSeconds * settings.SampleRate));
  const std::size_t capturedBefore = host.Captured().size();
  TNoteBalance inputBalance;
  TNoteBalance outputBalance;
  std::size_t nextInput = 0;
  std::size_t nextOutput = capturedBefore;
  // Counts what the plug-in sent since the last call into the output's sounding notes.
  const auto balanceNewOutput = [&] {
    for (; nextOutput < host.Captured().size(); ++nextOutput)
      if (Rendered(host.Captured()[nextOutput]))
        outputBalance.Add(host.Captured()[nextOutput].Data);
  };
  std::vector<THostMidiEvent> blockEvents;
  int64_t blockStart = 0;
  for (;;) {
    blockEvents.clear();
    while (nextInput < result.Input.size() && result.Input[nextInput].Sample < blockStart + block) {
      const TTimedMidi& timed = result.Input[nextInput++];
      THostMidiEvent event;
      std::copy_n(timed.Data, 3, event.Data);
      event.DeltaFrames = static_cast<int32_t>(timed.Sample - blockStart);
      blockEvents.push_back(event);
      inputBalance.Add(timed.Data);
    }
    host.ProcessBlock(blockEvents, settings.BlockSize, blockStart,
                      TransportAt(song, settings, blockStart, !settings.Stopped));
    balanceNewOutput();
    blockStart += block;
    const bool songDone = nextInput >= result.Input.size() && blockStart > lastInput;
    if (songDone && ((inputBalance.Silent() && outputBalance.Silent()) || blockStart > lastInput + maxTail))
      break;
  }
  if (!settings.Stopped) {
    host.ProcessBlock({}, settings.BlockSize, blockStart, TransportAt(song, settings, blockStart, false));
    balanceNewOutput();
    blockStart += block;
  }
  result.RenderedSamples = blockStart;
  result.HangingNotes = outputBalance.Sounding();
  result.IgnoredOutputEvents = host.SkippedEventCount();

  for (std::size_t i = capturedBefore; i < host.Captured().size(); ++i) {
    const TCapturedMidiEvent& captured = host.Captured()[i];
    if (!Rendered(captured)) {
      ++result.IgnoredOutputEvents;
      continue;
    }
    TTimedMidi timed;
    timed.Sample = captured.Sample;
    std::copy_n(captured.Data, 3, timed.Data);
    const uint8_t kind = captured.Data[0] & 0xF0;
    timed.Size = (kind == 0xC0 || kind == 0xD0) ? 2 : 3;
    if (timed.Size == 2)
      timed.Data[2] = 0;
    result.Output.push_back(timed);
  }
  // Inside a block a plug-in sends in its own order (due note-offs before note-ons, say).
  std::stable_sort(result.Output.begin(), result.Output.end(),
                   [](const TTimedMidi& a, const TTimedMidi& b) { return a.Sample < b.Sample; });
  return result;
}

std::vector<TSongEvent> OutputToSongEvents(const TRenderResult& result, const TMidiSong& song,
                                           double sampleRate) {
  std::vector<TSongEvent> events;
  for (const TTimedMidi& timed : result.Output) {
    TSongEvent event;
    event.Tick = song.TempoMap.SampleToTick(std::max<int64_t>(0, timed.Sample), sampleRate);
    std::copy_n(timed.Data, 3, event.Data);
    event.Size = timed.Size;
    events.push_back(event);
  }
  // A plug-in sends in its own order, which need not be time order (the file format needs it).
  std::stable_sort(events.begin(), events.end(),
                   [](const TSongEvent& a, const TSongEvent& b) { return a.Tick < b.Tick; });
  return events;
}
