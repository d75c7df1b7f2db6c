// The command line of triaxo-host: GNU conventions, exit codes and one-line reasons for bad input.
#include "HostOptions.h"
#include "HostTestSupport.h"

#include "TriaxoVersion.h"

namespace {
const std::string EchoPlugin = TRIAXO_TEST_ECHO_PLUGIN;

TMidiSong OneNoteSong() {
  return MakeSong(480, {{480, 960, 60}});
}

TEST(HostCommandLine, HelpAndVersionFollowGnuConventions) {
  const TCommandResult help = RunHost({"--help"});
  EXPECT_EQ(help.ExitCode, 0);
  EXPECT_NE(help.Out.find("Usage: triaxo-host info"), std::string::npos);
  EXPECT_NE(help.Out.find("--piano-roll"), std::string::npos);
  EXPECT_TRUE(help.Err.empty());

  const TCommandResult version = RunHost({"--version"});
  EXPECT_EQ(version.ExitCode, 0);
  EXPECT_EQ(version.Out.rfind(std::string("triaxo-host (Triaxo) ") + TriaxoVersion::Full + "\n", 0), 0u);
}

TEST(HostCommandLine, BadUsageExitsWithTwoAndPointsToHelp) {
  TTempFolder folder;
  const std::string song = WriteSongFile(folder, "in.mid", OneNoteSong());
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"play", song},
      {"render", song},
      {"render", "-o", folder.File("out.mid")},
      {"render", song, song, "-o", folder.File("out.mid")},
      {"render", song, "-o", folder.File("out.mid"), "--block", "0"},
      {"render", song, "-o", folder.File("out.mid"), "--block=9000"},
      {"render", song, "-o", folder.File("out.mid"), "--sample-rate", "fast"},
      {"render", song, "-o", folder.File("out.mid"), "--tail", "-1"},
      {"render", song, "-o"},
      {"render", song, "-o", folder.File("out.mid"), "--loud"},
      {"render", song, "-o", folder.File("out.mid"), "--stopped=yes"},
      {"info", song},
      {"render", song, "-o", song},
      {"render", song, "-o", folder.File("out.mid"), "--piano-roll", song},
      {"render", song, "-o", folder.File("./sub/../out.mid"), "--piano-roll", folder.File("out.mid")},
  };
  const std::vector<uint8_t> songBytes = ReadBytes(song);
  for (const auto& args : cases) {
    const TCommandResult result = RunHost(args);
    std::string joined;
    for (const auto& arg : args)
      joined += arg + " ";
    EXPECT_EQ(result.ExitCode, HostExitCode::BadUsage) << joined;
    EXPECT_EQ(result.Err.rfind("triaxo-host: ", 0), 0u) << joined;
    EXPECT_NE(result.Err.find("Try 'triaxo-host --help'"), std::string::npos) << joined;
    EXPECT_FALSE(std::filesystem::exists(folder.File("out.mid"))) << joined;
  }
  // Nothing is ever written over an input.
  EXPECT_EQ(ReadBytes(song), songBytes);
}

// Each bad file yields exit code 1 and exactly one line naming the problem; nothing is written.
void ExpectBadInput(const std::vector<std::string>& args, const std::string& reason,
                    const std::string& output) {
  const TCommandResult result = RunHost(args);
  EXPECT_EQ(result.ExitCode, HostExitCode::BadInput) << reason;
  EXPECT_EQ(CountLines(result.Err), 1) << result.Err;
  EXPECT_NE(result.Err.find(reason), std::string::npos) << result.Err;
  EXPECT_FALSE(std::filesystem::exists(output)) << reason;
}

TEST(HostCommandLine, BadMidiFilesGiveOneLineReasons) {
  TTempFolder folder;
  const std::string out = folder.File("out.mid");
  ExpectBadInput({"render", folder.File("missing.mid"), "-o", out, "-p", EchoPlugin},
                 "file not found: ", out);

  const std::string text = folder.File("text.mid");
  WriteBytes(text, {'h', 'e', 'l', 'l', 'o', '\n'});
  ExpectBadInput({"render", text, "-o", out, "-p", EchoPlugin}, "not a Standard MIDI File: ", out);

  // A real file cut short inside its track.
  const std::string good = WriteSongFile(folder, "good.mid", OneNoteSong());
  std::vector<uint8_t> bytes = ReadBytes(good);
  bytes.resize(bytes.size() - 6);
  const std::string cut = folder.File("cut.mid");
  WriteBytes(cut, bytes);
  ExpectBadInput({"render", cut, "-o", out, "-p", EchoPlugin}, "not a Standard MIDI File: ", out);

  // A header that claims zero ticks per quarter note.
  bytes = ReadBytes(good);
  bytes[12] = 0;
  bytes[13] = 0;
  const std::string zero = folder.File("zero.mid");
  WriteBytes(zero, bytes);
  ExpectBadInput({"render", zero, "-o", out, "-p", EchoPlugin}, "not a Standard MIDI File", out);

  ExpectBadInput({"render", folder.Path().string(), "-o", out, "-p", EchoPlugin}, "not a Standard MIDI File",
                 out);
}

TEST(HostCommandLine, BadPluginsGiveOneLineReasons) {
  TTempFolder folder;
  const std::string song = WriteSongFile(folder, "in.mid", OneNoteSong());
  const std::string out = folder.File("out.mid");
  ExpectBadInput({"render", song, "-o", out, "-p", folder.File("none.so")}, "plug-in not found: ", out);
  ExpectBadInput({"render", song, "-o", out, "-p", TRIAXO_TEST_NO_ENTRY}, "plug-in has no VST entry", out);
  const std::string fake = folder.File("fake.so");
  WriteBytes(fake, {'n', 'o', 't', ' ', 'E', 'L', 'F'});
  ExpectBadInput({"render", song, "-o", out, "-p", fake}, "cannot load plug-in ", out);
  // Without --plugin and no plug-in beside the program.
  ExpectBadInput({"info"}, "plug-in not found: no ", out);
}

TEST(HostCommandLine, BadPresetFilesGiveOneLineReasons) {
  TTempFolder folder;
  const std::string song = WriteSongFile(folder, "in.mid", OneNoteSong());
  const std::string out = folder.File("out.mid");
  ExpectBadInput({"render", song, "-o", out, "-p", EchoPlugin, "--preset", folder.File("none.ventrakisp")},
                 "preset not found: ", out);
  const std::string notChunk = folder.File("text.ventrakisp");
  WriteBytes(notChunk, {'T', 'P', 'F', '0', 1, 0, 0, 0, 0});
  ExpectBadInput({"render", song, "-o", out, "-p", EchoPlugin, "--preset", notChunk},
                 "preset damaged: " + notChunk + ": Invalid stream format", out);
  const std::string shortChunk = folder.File("short.ventrakisp");
  WriteBytes(shortChunk, {'m', 'm', 's', 't', 200, 0, 0, 0, 'T', 'P', 'F', '0'});
  ExpectBadInput({"render", song, "-o", out, "-p", EchoPlugin, "--preset", shortChunk},
                 "preset damaged: " + shortChunk + ": Stream read error", out);
}

TEST(HostCommandLine, InfoReportsThePluginAsTheHostSeesIt) {
  const TCommandResult result = RunHost({"info", "--plugin", EchoPlugin});
  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  for (const char* expected :
       {"Effect name:     Echo\n", "Vendor:          Triaxo Tests\n", "Product:         Echo Test Plug-in\n",
        "Vendor version:  7\n", "Unique ID:       'Echo' (0x4563686F)\n", "Category:        synth (2)\n",
        "Flags:           0x130 (CanReplacing ProgramChunks IsSynth)\n", "Audio:           0 in, 2 out\n",
        "Programs:        1, current 0 \"Echo Default\"\n", "Chunk size:      4 bytes (program)\n",
        "Parameters:      1\n", "   0  Gain                     -6.0          dB\n",
        "  receiveVstMidiEvent      yes\n", "  offline                  no\n",
        "  bypass                   don't know\n"})
    EXPECT_NE(result.Out.find(expected), std::string::npos) << expected << "\n" << result.Out;
}

TEST(HostCommandLine, DefaultPluginIsTheOneBesideTheProgram) {
  TTempFolder folder;
  std::filesystem::create_directories(folder.Path() / "tools");
  std::filesystem::create_directories(folder.Path() / "src" / "plugin");
  const std::string program = (folder.Path() / "tools" / "triaxo-host").string();
  EXPECT_EQ(DefaultPluginPath(program), "");
  std::filesystem::copy_file(EchoPlugin, folder.Path() / "src" / "plugin" / "Triaxo.so");
  EXPECT_EQ(DefaultPluginPath(program), (folder.Path() / "src" / "plugin" / "Triaxo.so").string());
  std::filesystem::copy_file(EchoPlugin, folder.Path() / "tools" / "Triaxo.so");
  EXPECT_EQ(DefaultPluginPath(program), (folder.Path() / "tools" / "Triaxo.so").string());

  const TCommandResult result = RunHost({"info"}, program);
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_NE(result.Out.find("Effect name:     Echo"), std::string::npos);
}

TEST(HostCommandLine, InstalledOrUnpackedProgramFindsThePluginBesideIt) {
  TTempFolder prefix;
  std::filesystem::create_directories(prefix.Path() / "bin");
  std::filesystem::create_directories(prefix.Path() / "lib" / "lxvst" / "Triaxo");
  const std::string program = (prefix.Path() / "bin" / "triaxo-host").string();
  std::filesystem::copy_file(EchoPlugin, prefix.Path() / "lib" / "lxvst" / "Triaxo" / "Triaxo.so");
  EXPECT_EQ(DefaultPluginPath(program), (prefix.Path() / "lib" / "lxvst" / "Triaxo" / "Triaxo.so").string());

  // The release archive: triaxo-host beside the Triaxo folder.
  TTempFolder archive;
  std::filesystem::create_directories(archive.Path() / "Triaxo");
  std::filesystem::copy_file(EchoPlugin, archive.Path() / "Triaxo" / "Triaxo.so");
  EXPECT_EQ(DefaultPluginPath((archive.Path() / "triaxo-host").string()),
            (archive.Path() / "Triaxo" / "Triaxo.so").string());

  // The per-user install: ~/.local/bin/triaxo-host and ~/.lxvst/Triaxo/Triaxo.so.
  TTempFolder home;
  std::filesystem::create_directories(home.Path() / ".local" / "bin");
  std::filesystem::create_directories(home.Path() / ".lxvst" / "Triaxo");
  const std::string userProgram = (home.Path() / ".local" / "bin" / "triaxo-host").string();
  EXPECT_EQ(DefaultPluginPath(userProgram), "");
  std::filesystem::copy_file(EchoPlugin, home.Path() / ".lxvst" / "Triaxo" / "Triaxo.so");
  EXPECT_EQ(DefaultPluginPath(userProgram), (home.Path() / ".lxvst" / "Triaxo" / "Triaxo.so").string());
}

// The help text and the man page come from one table: every option and command shows in both.
TEST(HostCommandLine, HelpAndManPageListTheSameOptions) {
  const std::string help = RunHost({"--help"}).Out;
  std::ostringstream man;
  WriteHostManPage(man, "1.0.0");
  const std::string page = man.str();
  EXPECT_EQ(page.rfind(".\\\"", 0), 0u);
  EXPECT_NE(page.find(".TH TRIAXO\\-HOST 1 \"\" \"Triaxo 1.0.0\""), std::string::npos);
  auto manName = [](const std::string& name) {
    std::string escaped;
    for (char c : name)
      escaped += c == '-' ? std::string("\\-") : std::string(1, c);
    return escaped;
  };
  for (const THostOption& option : HostUsage().Options) {
    SCOPED_TRACE(option.Long);
    const std::string longForm = "--" + option.Long + (option.Argument.empty() ? "" : "=" + option.Argument);
    EXPECT_NE(help.find(longForm), std::string::npos);
    EXPECT_NE(page.find("\\fB\\-\\-" + manName(option.Long) + "\\fR"), std::string::npos);
    if (option.Short != 0) {
      EXPECT_NE(help.find(std::string("-") + option.Short + ", --" + option.Long), std::string::npos);
      EXPECT_NE(page.find(std::string("\\fB\\-") + option.Short + "\\fR"), std::string::npos);
    }
    // Each description reaches both, whatever the line breaks.
    const std::string firstWords = option.Help.substr(0, option.Help.find(' ', 12));
    EXPECT_NE(help.find(firstWords), std::string::npos);
  }
  for (const THostCommand& command : HostUsage().Commands) {
    EXPECT_NE(help.find(command.Synopsis), std::string::npos);
    EXPECT_NE(page.find(".B " + command.Argument), std::string::npos);
  }
  // The parser knows every option the table documents, in both spellings.
  for (const THostOption& option : HostUsage().Options) {
    std::vector<std::vector<std::string>> spellings = {
        {"info", "--" + option.Long + (option.Argument.empty() ? "" : "=x")}};
    if (option.Short != 0) {
      spellings.push_back({"info", std::string("-") + option.Short});
      if (!option.Argument.empty())
        spellings.back().push_back("x");
    }
    for (const auto& args : spellings) {
      const TCommandResult result = RunHost(args);
      EXPECT_EQ(result.Err.find("unrecognized option"), std::string::npos) << args[1] << ": " << result.Err;
      EXPECT_EQ(result.Err.find("invalid option"), std::string::npos) << args[1] << ": " << result.Err;
    }
  }
  // Every help line fits a wide terminal.
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line);)
    EXPECT_LE(line.size(), 100u) << line;
}
} // namespace
