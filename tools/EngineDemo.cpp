// EngineDemo: plays one trigger through a strummed C-major chord and prints the scheduled MIDI output.
#include "engine/Plugin.h"
#include "engine/PluginHost.h"
#include "engine/ZelMidi.h"
#include "engine/ZelRandom.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {
constexpr float DemoSampleRate = 44100.0f;
constexpr int32_t DemoFrames = 512;
constexpr int32_t DemoBlocks = 120;
constexpr int32_t TriggerNote = 60;
constexpr int32_t TriggerBlock = 2;
constexpr int32_t TriggerOffset = 100;
constexpr int32_t ReleaseBlock = 60;
constexpr int32_t ReleaseOffset = 300;

// A stand-in for the module: a rolling transport, and every outgoing message printed with its time.
class TDemoHost : public TPluginHost {
public:
  int32_t Block = 0;
  double Position = 0.0;
  int32_t Count = 0;

  TTimeInfo GetTimeInfo() override { return {Position, true}; }
  float SampleRate() const override { return DemoSampleRate; }
  void QueueMidiMessage(uint8_t status, uint8_t data1, uint8_t data2, int32_t deltaFrames) override {
    const double sample = Position + deltaFrames;
    const char* kind = (status & 0xF0) == 0x90   ? "Note on "
                       : (status & 0xF0) == 0x80 ? "Note off"
                                                 : "Message ";
    std::printf("%5d %7d %10.0f %9.1f   %s  %-4s (%3d)  velocity %3d  channel %2d\n", Block, deltaFrames,
                sample, sample * 1000.0 / DemoSampleRate, kind, NoteText(data1).c_str(), data1, data2,
                (status & 0x0F) + 1);
    ++Count;
  }
  int32_t OutputRoom() const override { return 1023; }
  TMidiCCMode CCMode() const override { return ccmNone; }
  void SetCCMode(TMidiCCMode) override {}
  void SetEditorNeedsUpdate() override {}
  void SetParameterByName(std::string_view, float) override {}
};

void Trigger(TVSTPlugin& plugin, uint8_t status, uint8_t velocity, int32_t offset) {
  TMidiInEvent event;
  event.Data[0] = status;
  event.Data[1] = TriggerNote;
  event.Data[2] = velocity;
  event.DeltaFrames = offset;
  plugin.VSTModuleProcessMidi(event);
}
} // namespace

int main() {
  SetDisplayOctaveOffset(-2); // the plug-in's default lowest octave: note 60 is C3
  TDemoHost host;
  TVSTPlugin plugin(host);
  Seed(2024); // the same humanised output on every run

  // C major with the octave on top, strummed upwards: 40 ms between strings, a little random spread,
  // the later strings softer, released in the same order.
  TChordNotes& chord = plugin.Setup.Triggers[0].Notes;
  {
    TUpdateScope<TChordNotes> update(chord);
    for (const int32_t note : {0, 4, 7, 12}) {
      chord.AddNote(note, true);
    }
  }
  for (int32_t p = 0; p < 4; ++p) {
    TNoteSetupItem& item = plugin.Setup.NoteSetup[p];
    item.Start = 40;
    item.StartRandom = 8;
    item.End = 25;
    item.VelocityScale = -8 * p;
    item.VelocityRandom = 6;
  }
  plugin.Setup.NoteSetup.Items(0).Start = 0;
  plugin.Setup.NoteSetup.RelativeTiming = true;

  std::printf("Triaxo engine demo: trigger %s (note %d) through a strummed C-major chord\n",
              NoteText(TriggerNote).c_str(), TriggerNote);
  std::printf("%.0f Hz, %d-frame blocks, transport rolling from sample 0; note-on in block %d at offset %d, "
              "note-off in block %d at offset %d\n\n",
              DemoSampleRate, DemoFrames, TriggerBlock, TriggerOffset, ReleaseBlock, ReleaseOffset);
  std::printf("%5s %7s %10s %9s   %s\n", "block", "offset", "sample", "ms", "message");
  for (host.Block = 0; host.Block < DemoBlocks; ++host.Block) {
    if (host.Block == TriggerBlock) {
      Trigger(plugin, 0x90, 100, TriggerOffset);
    }
    if (host.Block == ReleaseBlock) {
      Trigger(plugin, 0x80, 0, ReleaseOffset);
    }
    plugin.VSTModuleProcess32Replacing(nullptr, nullptr, DemoFrames);
    host.Position += DemoFrames;
  }
  const int32_t left = plugin.View().QueuedEvents;
  std::printf("\n%d messages; %d events left in the queue\n", host.Count, left);
  return left == 0 ? 0 : 1;
}
