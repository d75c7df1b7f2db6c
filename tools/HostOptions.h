// HostOptions: triaxo-host's commands and options as one table, written as --help text and as a man page.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace HostLimits {
constexpr double DefaultSampleRate = 44100;
constexpr int32_t DefaultBlockSize = 512;
constexpr double MinSampleRate = 8000;
constexpr double MaxSampleRate = 384000;
constexpr int32_t MaxBlockSize = 8192;
constexpr double DefaultTailSeconds = 10;
constexpr double MaxTailSeconds = 600;
} // namespace HostLimits

// One command (info, render) with its synopsis and what it does.
struct THostCommand {
  std::string Name;
  std::string Synopsis; // what follows the program name, e.g. "render INPUT.mid -o OUTPUT.mid [OPTION]..."
  std::string Argument; // the command as listed, e.g. "render INPUT.mid"
  std::string Help;
};

// One option: short letter (0 for none), long name without dashes, argument name (empty for a flag).
struct THostOption {
  char Short;
  std::string Long;
  std::string Argument;
  std::string Help;
};

// The program's own name, the plug-in file it looks for beside itself, and the one-paragraph purpose.
struct THostUsage {
  std::string Program;
  std::string PluginFileName;
  std::string Purpose;
  std::vector<THostCommand> Commands;
  std::vector<THostOption> Options;
  std::string ExitStatus;
};

// The table, with the defaults and limits of HostLimits written into the help texts.
const THostUsage& HostUsage();

// True when the option with this short letter takes a value ("-o FILE", "-oFILE").
bool ShortOptionTakesValue(char letter);

// The --help text: usage lines, purpose, commands, options (wrapped to 100 columns), exit status.
void WriteHostHelp(std::ostream& out);

// The same table as a man(7) page of section 1, dated by version (e.g. "1.0.0").
void WriteHostManPage(std::ostream& out, const std::string& version);
