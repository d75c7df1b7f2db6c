// triaxo-host-man: writes triaxo-host's man page from the option table that --help prints.
#include "HostOptions.h"
#include "TriaxoVersion.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: triaxo-host-man OUTPUT.1\n";
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  WriteHostManPage(out, TriaxoVersion::Full);
  out.close();
  if (!out) {
    std::cerr << "triaxo-host-man: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
