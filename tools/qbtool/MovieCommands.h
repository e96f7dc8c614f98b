#pragma once
#include <string>
#include <vector>

namespace qbtool {

// `render` and `bench`: the movie engine on the command line. Both take the
// arguments after the command name and return the process exit code.
int RenderCommand(const std::vector<std::string>& args);
int BenchCommand(const std::vector<std::string>& args);

}  // namespace qbtool
