// triaxo-host: plays Standard MIDI Files through a VST 2.4 plug-in from the command line.
#include "HostCommandLine.h"

#include <filesystem>
#include <iostream>

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error)
    self = std::filesystem::absolute(argv[0], error);
  return RunHostCommandLine(args, self.string(), std::cout, std::cerr);
}
