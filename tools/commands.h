#pragma once
// Commands of the vireo command. Each source file in tools/ registers its own
// commands with a static Registration; main() builds one CLI11 application
// from them, parses the arguments and runs the chosen command.
//
// Exit statuses: 0 success, 1 the command failed (message on standard error),
// 2 a usage error (message on standard error); help and --version print to
// standard output and exit 0.
#include <functional>

#include <CLI/CLI.hpp>

namespace vireo_cli {

// What a command does once its arguments are parsed; returns the exit status.
using Action = std::function<int()>;

// Declares one command: `define` adds its description, positionals, options
// and examples to the command's CLI11 subcommand and returns the action that
// reads them. The description's first line is the command's summary in the
// list of commands; the whole text heads the command's own help.
using Define = Action (*)(CLI::App& command);

struct Registration {
    Registration(const char* name, Define define);
};

// A usage error found after parsing (a combination CLI11 cannot express):
// reported like CLI11's own, with exit status 2.
struct UsageError : CLI::ParseError {
    explicit UsageError(const std::string& message) : CLI::ParseError("UsageError", message, 2) {}
};

}  // namespace vireo_cli
