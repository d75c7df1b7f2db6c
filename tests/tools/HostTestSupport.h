// HostTestSupport: temporary folders, song fixtures and a command-line runner for the triaxo-host tests.
#pragma once

#include "HostCommandLine.h"
#include "MidiRender.h"
#include "MidiSong.h"
#include "VstHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <random>
#include <sstream>
#include <string>
#include <vector>

// Renders a song through a freshly loaded plug-in, started with chunk as its state when one is given.
inline TRenderResult RenderThrough(const std::string& plugin, const TMidiSong& song, double rate,
                                   int32_t block, bool stopped, const std::vector<uint8_t>* chunk = nullptr) {
  TVstHost host;
  host.Load(plugin);
  host.Start(rate, block, chunk);
  TRenderSettings settings;
  settings.SampleRate = rate;
  settings.BlockSize = block;
  settings.Stopped = stopped;
  TRenderResult result = RenderSong(host, song, settings);
  host.Close();
  return result;
}

// A fresh folder per test, removed afterwards.
class TTempFolder {
public:
  TTempFolder() {
    std::random_device device;
    FPath = std::filesystem::temp_directory_path() / ("triaxo-host-test-" + std::to_string(device()));
    std::filesystem::create_directories(FPath);
  }
  ~TTempFolder() {
    std::error_code error;
    std::filesystem::remove_all(FPath, error);
  }
  std::string File(const std::string& name) const { return (FPath / name).string(); }
  const std::filesystem::path& Path() const { return FPath; }

private:
  std::filesystem::path FPath;
};

// A note for a song fixture, in ticks.
struct TFixtureNote {
  int64_t OnTick;
  int64_t OffTick;
  int32_t Pitch;
  int32_t Velocity = 100;
  int32_t Channel = 0;
};

// A metrical song built in code; tempo changes as (tick, microseconds per quarter).
inline TMidiSong MakeSong(int16_t ticksPerQuarter, std::initializer_list<TFixtureNote> notes,
                          std::initializer_list<std::pair<int64_t, int64_t>> tempos = {}) {
  TMidiSong song;
  song.TimeFormat = ticksPerQuarter;
  for (const auto& [tick, us] : tempos)
    song.ConductorMeta.push_back(MakeTempoMeta(tick, us));
  song.ConductorMeta.push_back(MakeTimeSignatureMeta(0, 4, 4));
  for (const TFixtureNote& note : notes) {
    song.Events.push_back({note.OnTick,
                           {static_cast<uint8_t>(0x90 | note.Channel), static_cast<uint8_t>(note.Pitch),
                            static_cast<uint8_t>(note.Velocity)},
                           3});
    song.Events.push_back(
        {note.OffTick, {static_cast<uint8_t>(0x80 | note.Channel), static_cast<uint8_t>(note.Pitch), 0}, 3});
  }
  std::stable_sort(song.Events.begin(), song.Events.end(),
                   [](const TSongEvent& a, const TSongEvent& b) { return a.Tick < b.Tick; });
  RebuildTiming(song);
  return song;
}

// Writes the song through the host's own MIDI file writer.
inline std::string WriteSongFile(const TTempFolder& folder, const std::string& name, const TMidiSong& song) {
  const std::string path = folder.File(name);
  WriteMidiSong(path, song, song.Events, "Input");
  return path;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct TCommandResult {
  int ExitCode = -1;
  std::string Out;
  std::string Err;
};

// Runs triaxo-host in-process as if from the build tree's tools folder.
inline TCommandResult RunHost(const std::vector<std::string>& args, const std::string& executablePath = "") {
  std::ostringstream out;
  std::ostringstream err;
  TCommandResult result;
  result.ExitCode = RunHostCommandLine(args, executablePath, out, err);
  result.Out = out.str();
  result.Err = err.str();
  return result;
}

inline int CountLines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}
