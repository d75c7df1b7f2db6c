#include "HostCommandLine.h"

#include "HostOptions.h"
#include "MidiRender.h"
#include "MidiSong.h"
#include "PianoRoll.h"
#include "PresetFile.h"
#include "VstHost.h"

#include "TriaxoVersion.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>

namespace {
using namespace HostLimits;
constexpr const char* ProgramName = "triaxo-host";
const std::string& PluginFileName() {
  return HostUsage().PluginFileName;
}

// Every can-do name a VST 2.4 plug-in is commonly asked about.
constexpr const char* CanDoNames[] = {"sendVstEvents",
                                      "sendVstMidiEvent",
                                      "receiveVstEvents",
                                      "receiveVstMidiEvent",
                                      "receiveVstTimeInfo",
                                      "sendVstTimeInfo",
                                      "offline",
                                      "midiProgramNames",
                                      "bypass",
                                      "noRealTime",
                                      "multipass",
                                      "metapass",
                                      "1in1out",
                                      "1in2out",
                                      "2in1out",
                                      "2in2out",
                                      "2in4out",
                                      "4in2out",
                                      "4in4out",
                                      "4in8out",
                                      "8in4out",
                                      "8in8out",
                                      "plugAsChannelInsert",
                                      "plugAsSend",
                                      "mixDryWet",
                                      "conformsToWindowRules",
                                      "LiveWithoutToolbar",
                                      "ChainPluginAPI",
                                      "hasCockosExtensions"};

// A usage error: reported with a hint to --help, exit code 2.
class EUsage : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

void PrintVersion(std::ostream& out) {
  out << ProgramName << " (Triaxo) " << TriaxoVersion::Full << "\n"
      << "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
         "This is free software: you are free to change and redistribute it.\n"
         "There is NO WARRANTY, to the extent permitted by law.\n";
}

struct TOptions {
  std::string Command;
  std::string Input;
  std::string Output;
  std::string Plugin;
  std::string Preset;
  std::string PianoRoll;
  double SampleRate = DefaultSampleRate;
  int32_t BlockSize = DefaultBlockSize;
  double TailSeconds = DefaultTailSeconds;
  bool Stopped = false;
  bool Quiet = false;
  bool Help = false;
  bool Version = false;
};

double ParseNumber(const std::string& option, const std::string& text, double low, double high) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value < low ||
      value > high) {
    std::ostringstream message;
    message << "invalid value '" << text << "' for " << option << " (" << low << " to " << high << ")";
    throw EUsage(message.str());
  }
  return value;
}

int32_t ParseWhole(const std::string& option, const std::string& text, int32_t low, int32_t high) {
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
    throw EUsage("invalid value '" + text + "' for " + option + " (" + std::to_string(low) + " to " +
                 std::to_string(high) + ")");
  return value;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  if (std::filesystem::equivalent(a, b, error))
    return true;
  std::error_code errorA;
  std::error_code errorB;
  const std::filesystem::path canonicalA = std::filesystem::weakly_canonical(a, errorA);
  const std::filesystem::path canonicalB = std::filesystem::weakly_canonical(b, errorB);
  if (errorA || errorB)
    return std::filesystem::absolute(a, errorA).lexically_normal() ==
           std::filesystem::absolute(b, errorB).lexically_normal();
  return canonicalA == canonicalB;
}

TOptions ParseArguments(const std::vector<std::string>& args) {
  TOptions options;
  std::vector<std::string> positional;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name = arg;
    std::optional<std::string> inlineValue;
    if (arg.rfind("--", 0) == 0) {
      const auto equals = arg.find('=');
      if (equals != std::string::npos) {
        name = arg.substr(0, equals);
        inlineValue = arg.substr(equals + 1);
      }
    } else if (arg.size() > 2 && ShortOptionTakesValue(arg[1])) {
      // -oFILE, as getopt allows for short options that take a value.
      name = arg.substr(0, 2);
      inlineValue = arg.substr(2);
    }
    auto value = [&]() -> std::string {
      if (inlineValue)
        return *inlineValue;
      if (i + 1 >= args.size())
        throw EUsage("option '" + name + "' requires an argument");
      return args[++i];
    };
    auto flag = [&]() {
      if (inlineValue)
        throw EUsage("option '" + name + "' doesn't allow an argument");
    };
    if (name == "-h" || name == "--help") {
      flag();
      options.Help = true;
    } else if (name == "-V" || name == "--version") {
      flag();
      options.Version = true;
    } else if (name == "-q" || name == "--quiet") {
      flag();
      options.Quiet = true;
    } else if (name == "--stopped") {
      flag();
      options.Stopped = true;
    } else if (name == "-p" || name == "--plugin") {
      options.Plugin = value();
    } else if (name == "-o" || name == "--output") {
      options.Output = value();
    } else if (name == "--preset") {
      options.Preset = value();
    } else if (name == "--piano-roll") {
      options.PianoRoll = value();
    } else if (name == "-r" || name == "--sample-rate") {
      options.SampleRate = ParseNumber("--sample-rate", value(), MinSampleRate, MaxSampleRate);
    } else if (name == "-b" || name == "--block") {
      options.BlockSize = ParseWhole("--block", value(), 1, MaxBlockSize);
    } else if (name == "--tail") {
      options.TailSeconds = ParseNumber("--tail", value(), 0, MaxTailSeconds);
    } else {
      throw EUsage((name.rfind("--", 0) == 0 ? "unrecognized option '" + name + "'"
                                             : "invalid option -- '" + name.substr(1) + "'"));
    }
  }
  if (options.Help || options.Version)
    return options;
  if (positional.empty())
    throw EUsage("missing command (info or render)");
  options.Command = positional[0];
  if (options.Command == "info") {
    if (positional.size() > 1)
      throw EUsage("info takes no file argument ('" + positional[1] + "')");
    if (!options.Output.empty() || !options.Preset.empty() || !options.PianoRoll.empty())
      throw EUsage("info takes only --plugin");
  } else if (options.Command == "render") {
    if (positional.size() < 2)
      throw EUsage("render needs an input file");
    if (positional.size() > 2)
      throw EUsage("render takes one input file (extra '" + positional[2] + "')");
    options.Input = positional[1];
    if (options.Output.empty())
      throw EUsage("render needs an output file (-o OUTPUT.mid)");
    // Never write over a file this run reads.
    for (const std::string* read : {&options.Input, &options.Preset, &options.Plugin})
      for (const std::string* written : {&options.Output, &options.PianoRoll})
        if (!read->empty() && !written->empty() && SameFile(*read, *written))
          throw EUsage("'" + *written + "' is also an input file");
    if (!options.PianoRoll.empty() && SameFile(options.Output, options.PianoRoll))
      throw EUsage("the output and the piano roll are the same file");
  } else {
    throw EUsage("unknown command '" + options.Command + "' (info or render)");
  }
  return options;
}

std::string ResolvePlugin(const TOptions& options, const std::string& executablePath) {
  if (!options.Plugin.empty())
    return options.Plugin;
  std::string found = DefaultPluginPath(executablePath);
  if (found.empty())
    throw EHostError("plug-in not found: no " + PluginFileName() + " beside triaxo-host (use --plugin PATH)");
  return found;
}

std::string FourCharText(int32_t id) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((static_cast<uint32_t>(id) >> shift) & 0xFF);
    text += (c >= 32 && c < 127) ? c : '?';
  }
  return text;
}

std::string FlagNames(int32_t flags) {
  static const std::pair<int32_t, const char*> Names[] = {
      {vst::effFlagsHasEditor, "HasEditor"},         {vst::effFlagsCanReplacing, "CanReplacing"},
      {vst::effFlagsProgramChunks, "ProgramChunks"}, {vst::effFlagsIsSynth, "IsSynth"},
      {vst::effFlagsNoSoundInStop, "NoSoundInStop"}, {vst::effFlagsCanDoubleReplacing, "CanDoubleReplacing"}};
  std::string text;
  for (const auto& [bit, name] : Names)
    if ((flags & bit) != 0)
      text += (text.empty() ? "" : " ") + std::string(name);
  return text;
}

std::string CategoryName(vst::VstIntPtr category) {
  static const char* const Names[] = {"unknown",     "effect",          "synth",       "analysis",
                                      "mastering",   "spatializer",     "room effect", "surround fx",
                                      "restoration", "offline process", "shell",       "generator"};
  if (category >= 0 && category < static_cast<vst::VstIntPtr>(std::size(Names)))
    return Names[category];
  return "other";
}

int RunInfo(const TOptions& options, const std::string& executablePath, std::ostream& out) {
  const std::string pluginPath = ResolvePlugin(options, executablePath);
  TVstHost host;
  host.Load(pluginPath);
  host.Start(DefaultSampleRate, DefaultBlockSize);
  const vst::AEffect& effect = host.Effect();
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<uint32_t>(effect.uniqueID));
  char flags[16];
  std::snprintf(flags, sizeof flags, "0x%X", static_cast<uint32_t>(effect.flags));
  const vst::VstIntPtr category = host.Dispatch(vst::effGetPlugCategory);

  out << "Plug-in:         " << pluginPath << "\n"
      << "Effect name:     " << host.DispatchText(vst::effGetEffectName).value_or("") << "\n"
      << "Product:         " << host.DispatchText(vst::effGetProductString).value_or("") << "\n"
      << "Vendor:          " << host.DispatchText(vst::effGetVendorString).value_or("") << "\n"
      << "Vendor version:  " << host.Dispatch(vst::effGetVendorVersion) << "\n"
      << "Unique ID:       '" << FourCharText(effect.uniqueID) << "' (" << hex << ")\n"
      << "Version:         " << effect.version << "\n"
      << "VST version:     " << host.Dispatch(vst::effGetVstVersion) << "\n"
      << "Category:        " << CategoryName(category) << " (" << category << ")\n"
      << "Flags:           " << flags << " (" << FlagNames(effect.flags) << ")\n"
      << "Audio:           " << effect.numInputs << " in, " << effect.numOutputs << " out\n"
      << "Initial delay:   " << effect.initialDelay << " samples\n"
      << "Programs:        " << effect.numPrograms << ", current " << host.Dispatch(vst::effGetProgram)
      << " \"" << host.DispatchText(vst::effGetProgramName).value_or("") << "\"\n";
  if ((effect.flags & vst::effFlagsProgramChunks) != 0)
    out << "Chunk size:      " << host.GetChunk(ckdProgram).size() << " bytes (program)\n";
  else
    out << "Chunk size:      none (the plug-in keeps no chunks)\n";
  out << "Parameters:      " << effect.numParams << "\n";
  if (effect.numParams > 0)
    out << "   #  Name                     Value         Label\n";
  for (int32_t i = 0; i < effect.numParams; ++i) {
    std::string name = host.DispatchText(vst::effGetParamName, i).value_or("");
    std::string display = host.DispatchText(vst::effGetParamDisplay, i).value_or("");
    std::string label = host.DispatchText(vst::effGetParamLabel, i).value_or("");
    char line[256];
    std::snprintf(line, sizeof line, "  %2d  %-24s %-13s %s\n", i, name.c_str(), display.c_str(),
                  label.c_str());
    out << line;
  }
  out << "Can do:\n";
  for (const char* name : CanDoNames) {
    const vst::VstIntPtr answer = host.CanDo(name);
    char line[128];
    std::snprintf(line, sizeof line, "  %-24s %s\n", name,
                  answer > 0 ? "yes" : (answer < 0 ? "no" : "don't know"));
    out << line;
  }
  host.Close();
  return HostExitCode::Success;
}

std::string SecondsText(int64_t sample, double sampleRate) {
  char text[64];
  std::snprintf(text, sizeof text, "%.4f s (sample %lld)", static_cast<double>(sample) / sampleRate,
                static_cast<long long>(sample));
  return text;
}

int RunRender(const TOptions& options, const std::string& executablePath, std::ostream& out,
              std::ostream& err) {
  // Check every input before the plug-in starts, so that a bad file fails fast and clearly.
  const TMidiSong song = ReadMidiSong(options.Input);
  std::optional<std::vector<uint8_t>> preset;
  if (!options.Preset.empty())
    preset = ReadPresetFile(options.Preset);
  const std::string pluginPath = ResolvePlugin(options, executablePath);

  TVstHost host;
  host.Load(pluginPath);
  host.Start(options.SampleRate, options.BlockSize, preset ? &*preset : nullptr);
  TRenderSettings settings;
  settings.SampleRate = options.SampleRate;
  settings.BlockSize = options.BlockSize;
  settings.Stopped = options.Stopped;
  settings.MaxTailSeconds = options.TailSeconds;
  const TRenderResult result = RenderSong(host, song, settings);
  const std::string trackName = host.DispatchText(vst::effGetEffectName).value_or("");
  host.Close();

  WriteMidiSong(options.Output, song, OutputToSongEvents(result, song, options.SampleRate),
                trackName.empty() ? "Plug-in output" : trackName);
  if (!options.PianoRoll.empty())
    WritePianoRoll(
        options.PianoRoll, result, options.SampleRate,
        std::filesystem::path(options.Input).filename().string() + " through " +
            (trackName.empty() ? std::filesystem::path(pluginPath).filename().string() : trackName));

  if (result.HangingNotes > 0)
    err << ProgramName << ": warning: " << result.HangingNotes
        << " output note(s) still sounding when the render ended\n";
  if (options.Quiet)
    return HostExitCode::Success;
  const int64_t inNoteOns = CountNoteOns(result.Input);
  const int64_t outNoteOns = CountNoteOns(result.Output);
  out << "Input:   " << options.Input << ": " << result.Input.size() << " events, " << inNoteOns
      << " note-ons, ";
  if (song.TempoMap.IsMetrical())
    out << song.TempoMap.TicksPerQuarter() << " ticks per quarter note\n";
  else
    out << "timecode resolution\n";
  out << "Host:    " << options.SampleRate << " Hz, blocks of " << options.BlockSize << " frames, transport "
      << (options.Stopped ? "stopped" : "rolling from 0") << (preset ? ", preset " + options.Preset : "")
      << "\n";
  char perTrigger[32];
  std::snprintf(perTrigger, sizeof perTrigger, "%.2f",
                inNoteOns > 0 ? static_cast<double>(outNoteOns) / static_cast<double>(inNoteOns) : 0.0);
  out << "Output:  " << result.Output.size() << " events (" << outNoteOns << " note-ons, "
      << CountNoteOffs(result.Output) << " note-offs), " << perTrigger << " notes per trigger\n";
  if (!result.Output.empty())
    out << "Timing:  first output at " << SecondsText(result.Output.front().Sample, options.SampleRate)
        << ", last at " << SecondsText(result.Output.back().Sample, options.SampleRate) << "\n";
  else
    out << "Timing:  the plug-in sent nothing\n";
  out << "Wrote:   " << options.Output << (options.PianoRoll.empty() ? "" : ", " + options.PianoRoll) << "\n";
  return HostExitCode::Success;
}
} // namespace

std::string DefaultPluginPath(const std::string& executablePath) {
  if (executablePath.empty())
    return {};
  const std::filesystem::path folder = std::filesystem::path(executablePath).parent_path();
  // Beside the program, the build tree, the release archive (Triaxo/ beside the program), an install under
  // a prefix (bin/ and lib/lxvst/Triaxo/), and the per-user install (~/.local/bin/ and ~/.lxvst/Triaxo/).
  for (const std::filesystem::path& candidate :
       {folder / PluginFileName(), folder / ".." / "src" / "plugin" / PluginFileName(),
        folder / "Triaxo" / PluginFileName(), folder / ".." / "lib" / "lxvst" / "Triaxo" / PluginFileName(),
        folder / ".." / ".." / ".lxvst" / "Triaxo" / PluginFileName(),
        folder / ".." / "lib" / "vst" / PluginFileName(),
        folder / ".." / "lib" / "lxvst" / PluginFileName()}) {
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error))
      return candidate.lexically_normal().string();
  }
  return {};
}

int RunHostCommandLine(const std::vector<std::string>& args, const std::string& executablePath,
                       std::ostream& out, std::ostream& err) {
  try {
    const TOptions options = ParseArguments(args);
    if (options.Help) {
      WriteHostHelp(out);
      return HostExitCode::Success;
    }
    if (options.Version) {
      PrintVersion(out);
      return HostExitCode::Success;
    }
    if (options.Command == "info")
      return RunInfo(options, executablePath, out);
    return RunRender(options, executablePath, out, err);
  } catch (const EUsage& e) {
    err << ProgramName << ": " << e.what() << "\nTry '" << ProgramName << " --help' for more information.\n";
    return HostExitCode::BadUsage;
  } catch (const EHostError& e) {
    err << ProgramName << ": " << e.what() << "\n";
    return HostExitCode::BadInput;
  } catch (const EMidiFileError& e) {
    err << ProgramName << ": " << e.what() << "\n";
    return HostExitCode::BadInput;
  } catch (const std::exception& e) {
    err << ProgramName << ": " << e.what() << "\n";
    return HostExitCode::BadInput;
  }
}
