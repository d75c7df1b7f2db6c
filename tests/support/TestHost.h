// TestHost: stand-ins for the module layer and the editor window that the engine tests drive.
#pragma once

#include "engine/EditorView.h"
#include "engine/HighlightedNotes.h"
#include "engine/Plugin.h"
#include "engine/PluginHost.h"
#include "engine/ZelMidiNoteList.h"
#include "engine/ZelVSTParameterValues.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct TSentMessage {
  uint8_t Status = 0;
  uint8_t Data1 = 0;
  uint8_t Data2 = 0;
  int32_t Offset = 0;
  int32_t Block = 0; // the block the message went out in (counted by the test host)

  bool operator==(const TSentMessage& other) const {
    return Status == other.Status && Data1 == other.Data1 && Data2 == other.Data2 && Offset == other.Offset;
  }
};

// A module stand-in: a settable transport and a fixed-capacity output list (no allocation while the
// engine runs, like the real module).
class TTestHost : public TPluginHost {
public:
  static constexpr std::size_t OutputCapacity = 16384;

  TTimeInfo Time;
  float Rate = 44100.0f;
  std::atomic<TMidiCCMode> Mode{ccmNone};
  std::atomic<int32_t> EditorUpdates{0};
  int32_t TimeRequests = 0;
  int32_t CurrentBlock = 0;

  TTimeInfo GetTimeInfo() override {
    ++TimeRequests;
    return Time;
  }
  float SampleRate() const override { return Rate; }
  // Like the real module: at most BlockCap messages per processing call (CurrentBlock).
  int32_t BlockCap = 1023;
  void QueueMidiMessage(uint8_t status, uint8_t data1, uint8_t data2, int32_t deltaFrames) override {
    CountBlock();
    if (FBlockCount >= BlockCap) {
      ++Lost;
      return;
    }
    ++FBlockCount;
    if (FCount < OutputCapacity) {
      FSent[FCount++] = {status, data1, data2, deltaFrames, CurrentBlock};
    }
  }
  int32_t OutputRoom() const override {
    return FCountedBlock == CurrentBlock ? BlockCap - FBlockCount : BlockCap;
  }
  int32_t Lost = 0; // messages beyond the cap
  TMidiCCMode CCMode() const override { return Mode.load(); }
  void SetCCMode(TMidiCCMode mode) override { Mode.store(mode); }
  void SetEditorNeedsUpdate() override { ++EditorUpdates; }
  void SetParameterByName(std::string_view, float) override {}

  std::vector<TSentMessage> Sent() const { return {FSent.begin(), FSent.begin() + FCount}; }
  std::size_t SentCount() const { return FCount; }
  void ClearSent() { FCount = 0; }

private:
  void CountBlock() {
    if (FCountedBlock != CurrentBlock) {
      FCountedBlock = CurrentBlock;
      FBlockCount = 0;
    }
  }
  std::array<TSentMessage, OutputCapacity> FSent{};
  std::size_t FCount = 0;
  int32_t FCountedBlock = -1;
  int32_t FBlockCount = 0;
};

// The module as far as parameters go: set-by-name and the automated path run the plug-in's change
// handler, as the real module does, and record what the host would be told.
class TParameterModule : public TPluginHost, public TParameterAutomation {
public:
  TParameterModule() { Plugin.RegisterParameterValues(Values); }

  TTimeInfo GetTimeInfo() override { return {}; }
  float SampleRate() const override { return 44100.0f; }
  void QueueMidiMessage(uint8_t, uint8_t, uint8_t, int32_t) override {}
  int32_t OutputRoom() const override { return 1023; }
  TMidiCCMode CCMode() const override { return FMode; }
  void SetCCMode(TMidiCCMode mode) override { FMode = mode; }
  void SetEditorNeedsUpdate() override {}
  void SetParameterByName(std::string_view name, float value) override {
    const int32_t index = Values.IndexOfName(name);
    if (index < 0)
      throw std::runtime_error("Unknown parameter name: " + std::string(name));
    SetParameterAutomated(index, value);
  }
  float GetParameterValue(int32_t index) override { return Values.CurrentValueOf(index); }
  void SetParameterAutomated(int32_t index, float value) override {
    Plugin.ParameterChange(index, value);
    AutomateCalls.emplace_back(index, value);
  }

  // Sets a parameter the way the host's set-parameter does in the parameter's own units.
  void Set(int32_t index, float value) { Plugin.ParameterChange(index, value); }
  std::string Display(int32_t index) const { return Plugin.ParameterDisplay(index); }

  TVSTPlugin Plugin{*this};
  TVSTParameterValues Values{*this};
  std::vector<std::pair<int32_t, float>> AutomateCalls;

private:
  TMidiCCMode FMode = ccmNone;
};

// An editor stand-in that keeps the two lists and records what the idle call asked of it.
class TTestEditor : public TEditorView {
public:
  THighlightedNotes Highlights;
  TMidiNoteList Sounding;
  std::vector<std::pair<int32_t, bool>> KeysShown;
  std::vector<int32_t> LearnedOctaves;
  std::vector<std::string> InfoTexts;
  int32_t Updates = 0;

  TTestEditor() { Sounding.AllowDuplicates = true; }
  void UpdateFromPlugin() override { ++Updates; }
  THighlightedNotes& HighlightedNotes() override { return Highlights; }
  TMidiNoteList& SoundingNotes() override { return Sounding; }
  void SetLearnedOctave(int32_t octave) override { LearnedOctaves.push_back(octave); }
  void RefreshHighlights() override {
    Highlights.Refresh([this](int32_t key, bool pressed) { KeysShown.emplace_back(key, pressed); });
  }
  void ShowInfo(const std::string& text) override {
    InfoTexts.push_back(text.empty() ? Sounding.BuildText() : text);
  }
};

// Readable failure messages: "90 3C 64 @10".
inline void PrintTo(const TSentMessage& m, std::ostream* out) {
  char text[32];
  std::snprintf(text, sizeof(text), "%02X %02X %02X @%d", m.Status, m.Data1, m.Data2, m.Offset);
  *out << text;
}

inline TSentMessage On(int32_t channel, int32_t note, int32_t velocity, int32_t offset) {
  return {static_cast<uint8_t>(0x90 + channel), static_cast<uint8_t>(note), static_cast<uint8_t>(velocity),
          offset};
}
inline TSentMessage Off(int32_t channel, int32_t note, int32_t velocity, int32_t offset) {
  return {static_cast<uint8_t>(0x80 + channel), static_cast<uint8_t>(note), static_cast<uint8_t>(velocity),
          offset};
}

// Drives one plug-in like the module does: MIDI events of a block first, then the block, with the
// transport advancing by the block length while it plays.
class TEngineDriver {
public:
  TTestHost Host;
  TVSTPlugin Plugin{Host};
  int32_t Frames = 512;

  void Midi(uint8_t status, uint8_t data1, uint8_t data2, int32_t offset = 0) {
    TMidiInEvent event;
    event.Data[0] = status;
    event.Data[1] = data1;
    event.Data[2] = data2;
    event.DeltaFrames = offset;
    Plugin.VSTModuleProcessMidi(event);
  }
  void NoteOn(int32_t note, int32_t velocity = 100, int32_t offset = 0, int32_t channel = 0) {
    Midi(static_cast<uint8_t>(0x90 + channel), static_cast<uint8_t>(note), static_cast<uint8_t>(velocity),
         offset);
  }
  void NoteOff(int32_t note, int32_t offset = 0, int32_t channel = 0, int32_t velocity = 0) {
    Midi(static_cast<uint8_t>(0x80 + channel), static_cast<uint8_t>(note), static_cast<uint8_t>(velocity),
         offset);
  }
  // One block; the playing transport moves on by the block length afterwards.
  void Block() { Block(Frames); }
  void Block(int32_t frames) {
    Plugin.VSTModuleProcess32Replacing(nullptr, nullptr, frames);
    ++Host.CurrentBlock;
    if (Host.Time.Playing && frames > 0) {
      Host.Time.SamplePosition += frames;
    }
  }
  void Blocks(int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
      Block();
    }
  }
  void Play(double position = 0.0) {
    Host.Time.Playing = true;
    Host.Time.SamplePosition = position;
  }
  void Stop() { Host.Time.Playing = false; }
  std::vector<TSentMessage> Sent() const { return Host.Sent(); }
  // Messages in the order the module would deliver them within their block (stable by offset).
  std::vector<TSentMessage> SentOfBlock(int32_t block) const {
    std::vector<TSentMessage> result;
    for (const auto& message : Host.Sent()) {
      if (message.Block == block) {
        result.push_back(message);
      }
    }
    return result;
  }
  // Sets a chord on a trigger: notes at positions 0, 1, 2 ... in order.
  void SetChord(int32_t trigger, std::initializer_list<int32_t> notes) {
    TChordNotes& chord = Plugin.Setup.Triggers[trigger].Notes;
    TUpdateScope<TChordNotes> update(chord);
    chord.Clear();
    for (const int32_t note : notes) {
      chord.AddNote(note, true);
    }
  }
};
