#include "HostOptions.h"

#include <sstream>

namespace {
constexpr std::size_t HelpColumn = 28; // where option and command descriptions start
constexpr std::size_t HelpWidth = 100;

std::string Number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

THostUsage MakeUsage() {
  using namespace HostLimits;
  THostUsage usage;
  usage.Program = "triaxo-host";
#if defined(_WIN32)
  usage.PluginFileName = "Triaxo.dll";
#else
  usage.PluginFileName = "Triaxo.so";
#endif
  usage.Purpose =
      "Play a Standard MIDI File through a VST 2.4 plug-in, as a DAW does, and write the MIDI the "
      "plug-in sends back. The plug-in is by default the Triaxo plug-in built beside this program.";
  usage.Commands = {
      {"info", "info [--plugin PATH]", "info",
       "show the plug-in's identity, flags, parameters with their current values, can-do answers, program "
       "name and chunk size"},
      {"render", "render INPUT.mid -o OUTPUT.mid [OPTION]...", "render INPUT.mid",
       "play INPUT.mid through the plug-in, write its output and a summary"},
  };
  usage.Options = {
      {'p', "plugin", "PATH",
       "plug-in binary (default: " + usage.PluginFileName +
           " beside triaxo-host, or the one installed or unpacked with it)"},
      {'o', "output", "FILE.mid",
       "Standard MIDI File to write (render; required), with the input's resolution and tempo map"},
      {0, "preset", "FILE.ventrakisp", "load this preset into the plug-in before playing"},
      {'r', "sample-rate", "HZ",
       "sample rate, " + Number(MinSampleRate) + " to " + Number(MaxSampleRate) + " (default " +
           Number(DefaultSampleRate) + ")"},
      {'b', "block", "FRAMES",
       "frames per processing call, 1 to " + Number(MaxBlockSize) + " (default " + Number(DefaultBlockSize) +
           ")"},
      {0, "stopped", "",
       "keep the host transport stopped (as for live input) instead of rolling from the start of the song"},
      {0, "piano-roll", "FILE.svg", "also write an SVG piano roll of the input and output notes"},
      {0, "tail", "SECONDS",
       "after the song, wait at most this long for notes to end (default " + Number(DefaultTailSeconds) +
           ")"},
      {'q', "quiet", "", "print no summary"},
      {'h', "help", "", "display this help and exit"},
      {'V', "version", "", "output version information and exit"},
  };
  usage.ExitStatus = "0 on success, 1 on a bad file or plug-in, 2 on bad usage.";
  return usage;
}

// Words of text filled into lines of at most width - indent characters, each line after the first indented.
void WriteWrapped(std::ostream& out, const std::string& text, std::size_t firstColumn, std::size_t indent) {
  std::istringstream words(text);
  std::string word;
  std::size_t column = firstColumn;
  bool lineStart = true;
  while (words >> word) {
    if (!lineStart && column + 1 + word.size() > HelpWidth) {
      out << "\n" << std::string(indent, ' ');
      column = indent;
      lineStart = true;
    }
    if (!lineStart) {
      out << ' ';
      ++column;
    }
    out << word;
    column += word.size();
    lineStart = false;
  }
  out << "\n";
}

// A term of the two-column lists, followed by its description from HelpColumn on.
void WriteListEntry(std::ostream& out, const std::string& term, const std::string& help) {
  out << term;
  std::size_t column = term.size();
  if (column < HelpColumn) {
    out << std::string(HelpColumn - column, ' ');
    column = HelpColumn;
  } else {
    out << "  ";
    column += 2;
  }
  WriteWrapped(out, help, column, HelpColumn);
}

// Text for roff: backslashes escaped, hyphens made minus signs, no control character at a line start.
std::string Roff(const std::string& text) {
  std::string result;
  for (char c : text) {
    if (c == '\\')
      result += "\\e";
    else if (c == '-')
      result += "\\-";
    else
      result += c;
  }
  if (!result.empty() && (result[0] == '.' || result[0] == '\''))
    result.insert(0, "\\&");
  return result;
}

std::string SentenceCase(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
    text[0] = static_cast<char>(text[0] - 'a' + 'A');
  if (!text.empty() && text.back() != '.')
    text += '.';
  return text;
}
} // namespace

const THostUsage& HostUsage() {
  static const THostUsage usage = MakeUsage();
  return usage;
}

bool ShortOptionTakesValue(char letter) {
  for (const THostOption& option : HostUsage().Options)
    if (option.Short == letter && letter != 0)
      return !option.Argument.empty();
  return false;
}

void WriteHostHelp(std::ostream& out) {
  const THostUsage& usage = HostUsage();
  for (std::size_t i = 0; i < usage.Commands.size(); ++i)
    out << (i == 0 ? "Usage: " : "  or:  ") << usage.Program << " " << usage.Commands[i].Synopsis << "\n";
  WriteWrapped(out, usage.Purpose, 0, 0);
  out << "\nCommands:\n";
  for (const THostCommand& command : usage.Commands)
    WriteListEntry(out, "  " + command.Argument, command.Help);
  out << "\nOptions:\n";
  for (const THostOption& option : usage.Options) {
    std::string term = option.Short != 0 ? std::string("  -") + option.Short + ", " : std::string(6, ' ');
    term += "--" + option.Long;
    if (!option.Argument.empty())
      term += "=" + option.Argument;
    WriteListEntry(out, term, option.Help);
  }
  out << "\nExit status: " << usage.ExitStatus << "\n";
}

void WriteHostManPage(std::ostream& out, const std::string& version) {
  const THostUsage& usage = HostUsage();
  out << ".\\\" Written by triaxo-host-man from the option table that --help prints.\n"
      << ".TH TRIAXO\\-HOST 1 \"\" \"Triaxo " << Roff(version) << "\" \"User Commands\"\n"
      << ".SH NAME\n"
      << Roff(usage.Program) << " \\- play a Standard MIDI File through a VST 2.4 plug-in\n"
      << ".SH SYNOPSIS\n";
  for (const THostCommand& command : usage.Commands)
    out << ".B " << Roff(usage.Program) << "\n" << Roff(command.Synopsis) << "\n.br\n";
  out << ".SH DESCRIPTION\n" << Roff(usage.Purpose) << "\n.SH COMMANDS\n";
  for (const THostCommand& command : usage.Commands)
    out << ".TP\n.B " << Roff(command.Argument) << "\n" << Roff(SentenceCase(command.Help)) << "\n";
  out << ".SH OPTIONS\n";
  for (const THostOption& option : usage.Options) {
    out << ".TP\n";
    if (option.Short != 0)
      out << "\\fB\\-" << option.Short << "\\fR, ";
    out << "\\fB\\-\\-" << Roff(option.Long) << "\\fR";
    if (!option.Argument.empty())
      out << "=\\fI" << Roff(option.Argument) << "\\fR";
    out << "\n" << Roff(SentenceCase(option.Help)) << "\n";
  }
  out << ".SH EXIT STATUS\n"
      << Roff(usage.ExitStatus) << "\n"
      << ".SH EXAMPLES\n"
      << ".nf\n"
      << Roff(usage.Program) << " info\n"
      << Roff(usage.Program)
      << " render melody.mid \\-o chords.mid \\-\\-preset \"C Major Strum.ventrakisp\"\n"
      << ".fi\n"
      << ".SH SEE ALSO\n"
      << "The Triaxo User Guide (Triaxo User Guide.pdf, installed beside the plug-in).\n";
}
