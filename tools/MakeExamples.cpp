// triaxo-make-examples: writes the bundled example preset and melody, reproducibly.
//
// The preset is made by a real plug-in instance (the base's own chunk writer, parameters set by name),
// the melody by the host's MIDI file writer, so the files always match the code that reads them.
#include "MidiSong.h"
#include "engine/Plugin.h"
#include "host/MemoryStreamChunk.h"
#include "host/VSTPluginBaseDM.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <random>
#include <string>

namespace {
constexpr const char* PresetName = "C Major Strum";
constexpr const char* PresetFile = "C Major Strum.ventrakisp";
constexpr const char* MelodyFile = "melody.mid";
constexpr int16_t TicksPerQuarter = 480;
constexpr int64_t MicrosecondsPerQuarter = 600000; // 100 bpm
constexpr int32_t StrumStepMs = 30;
// Each position plays 20 % softer at most and at the played velocity at best.
constexpr int32_t VelocityScale = -20;
constexpr int32_t VelocityRandom = 20;

struct TTriad {
  int32_t Trigger; // pitch class of the white key
  const char* Name;
  int32_t Notes[3]; // semitones from the C of the played octave
};

// The diatonic triads of C major on the seven white keys.
constexpr TTriad Triads[] = {
    {0, "C", {0, 4, 7}},   {2, "Dm", {2, 5, 9}},   {4, "Em", {4, 7, 11}},      {5, "F", {5, 9, 12}},
    {7, "G", {7, 11, 14}}, {9, "Am", {9, 12, 16}}, {11, "Bdim", {11, 14, 17}},
};

void MakePreset(const std::filesystem::path& folder) {
  // A scratch home, so that neither the user's settings nor an "init" preset shape the result.
  const std::filesystem::path home = std::filesystem::temp_directory_path() /
                                     ("triaxo-make-examples-" + std::to_string(std::random_device()()));
  std::filesystem::create_directories(home);
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);

  {
    TVSTPluginBase module([](TPluginHost& host) { return std::make_unique<TVSTPlugin>(host); });
    auto& plugin = dynamic_cast<TVSTPlugin&>(module.Plugin());
    TTriaxoSetup& setup = plugin.Setup;
    {
      TUpdateScope<TTriaxoSetup> batch(setup);
      for (const TTriad& triad : Triads) {
        TTriggerItem& trigger = setup.Triggers[triad.Trigger];
        trigger.Key = triad.Trigger;
        trigger.SetName(triad.Name);
        trigger.Notes.Clear();
        for (int32_t note : triad.Notes)
          trigger.Notes.AddNote(note, true); // root, third and fifth take Note1, Note2 and Note3
      }
    }
    for (int32_t position = 0; position < TNoteSetup::Count; ++position) {
      const std::string prefix = "Note" + std::to_string(position + 1);
      module.SetParameterByName(prefix + " Start", static_cast<float>(StrumStepMs * position));
      module.SetParameterByName(prefix + " Velocity Scale", static_cast<float>(VelocityScale));
      module.SetParameterByName(prefix + " Velocity Random", static_cast<float>(VelocityRandom));
    }
    module.SetPresetName(PresetName);
    TMemoryStreamChunk chunk;
    if (!module.StoreToChunk(chunk, nullptr))
      throw std::runtime_error("the plug-in could not store its state");
    chunk.SaveToFile((folder / PresetFile).string());
  }
  std::error_code error;
  std::filesystem::remove_all(home, error);
}

// Eight bars of quarter and half notes on white keys, each note a trigger.
void MakeMelody(const std::filesystem::path& folder) {
  struct TStep {
    int32_t Pitch;
    int32_t Quarters;
    int32_t Velocity;
  };
  const TStep steps[] = {
      {60, 1, 100}, {64, 1, 84}, {67, 1, 92}, {65, 1, 80}, {64, 2, 96},  {62, 2, 76},
      {57, 1, 90},  {60, 1, 78}, {62, 1, 86}, {55, 1, 74}, {60, 4, 104},
  };
  TMidiSong song;
  song.TimeFormat = TicksPerQuarter;
  song.ConductorMeta.push_back(MakeTempoMeta(0, MicrosecondsPerQuarter));
  song.ConductorMeta.push_back(MakeTimeSignatureMeta(0, 4, 4));
  int64_t tick = 0;
  // Notes end a sixteenth early, so that every chord is released before the next trigger.
  const int64_t gap = TicksPerQuarter / 4;
  for (const TStep& step : steps) {
    const int64_t length = step.Quarters * TicksPerQuarter;
    song.Events.push_back(
        {tick, {0x90, static_cast<uint8_t>(step.Pitch), static_cast<uint8_t>(step.Velocity)}, 3});
    song.Events.push_back({tick + length - gap, {0x80, static_cast<uint8_t>(step.Pitch), 64}, 3});
    tick += length;
  }
  RebuildTiming(song);
  WriteMidiSong((folder / MelodyFile).string(), song, song.Events, "Triggers");
}
} // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]) == "--help") {
    std::cerr << "Usage: triaxo-make-examples FOLDER\n"
                 "Writes the example preset \""
              << PresetFile << "\" and the melody \"" << MelodyFile << "\" into FOLDER.\n";
    return argc == 2 ? 0 : 2;
  }
  try {
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    MakePreset(folder);
    MakeMelody(folder);
    std::cout << "Wrote " << (folder / PresetFile).string() << " and " << (folder / MelodyFile).string()
              << "\n";
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "triaxo-make-examples: " << e.what() << "\n";
    return 1;
  }
}
