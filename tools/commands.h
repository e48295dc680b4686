#pragma once
// Subcommands of the vireo command. Each takes the arguments after its name
// and returns the process exit status.
#include <string>
#include <vector>

namespace vireo_cli {

using Args = std::vector<std::string>;

int sample(const Args& args);
int typelib(const Args& args);

}  // namespace vireo_cli
