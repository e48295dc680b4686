#pragma once
// Subcommands of the vireo command. Each source file in tools/ registers its
// own commands with a static Registration; main() dispatches on the name.
#include <string>
#include <vector>

namespace vireo_cli {

using Args = std::vector<std::string>;
using CommandFn = int (*)(const Args& args);

struct Command {
    const char* name;
    CommandFn run;
    const char* usage;  // one line: "name ARGS   what it does"
};

// Adds a command to the table main() reads.
struct Registration {
    explicit Registration(Command command);
};

const std::vector<Command>& registered_commands();

}  // namespace vireo_cli
