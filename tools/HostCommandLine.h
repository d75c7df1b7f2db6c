// HostCommandLine: the triaxo-host program (commands info and render) behind its main function.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace HostExitCode {
constexpr int Success = 0;
constexpr int BadInput = 1; // bad file or plug-in
constexpr int BadUsage = 2;
} // namespace HostExitCode

// args without the program name; executablePath locates the default plug-in built beside the program.
// Results go to out, the summary too; errors are one line each on err.
int RunHostCommandLine(const std::vector<std::string>& args, const std::string& executablePath,
                       std::ostream& out, std::ostream& err);

// The plug-in binary found beside the program (same folder, or the build tree's plug-in folder);
// empty when there is none.
std::string DefaultPluginPath(const std::string& executablePath);
