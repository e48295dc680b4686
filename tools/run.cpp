// vireo run: writes an 837 file from a script of control calls.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>

#include "vireo/tools/commands.h"
#include "vireo/tools/runner/script_runner.h"

namespace vireo_cli {
namespace {

constexpr const char* kDescription =
    "Write an 837 file from a JSON script.\n\n"
    "The script's control calls (settings, segments, Additem, Clear) run on a newly placed\n"
    "control, and the 837 file it writes goes to OUTPUT. OUTPUT is replaced only when every step\n"
    "succeeded and the file is on disk; on any error it is left as it was and the status is 1.\n"
    "'vireo schema' prints the script format; README.md describes it.";

constexpr const char* kExamples =
    "\nExamples:\n"
    "  vireo run examples/professional-claims.json -o claims.837\n"
    "  vireo run examples/minimal.json                 (writes the script's \"output\")\n"
    "  generate-claims | vireo run - -o claims.837     (script on standard input)\n"
    "  vireo run claims.json -o claims.837 --trace 2> segments.jsonl";

struct RunArgs {
    std::string script;
    std::string output;
    bool trace = false;
};

int run(const RunArgs& args) {
    vireo_runner::RunOptions options;
    options.output = args.output;
    options.trace = args.trace;
    options.script_name = args.script;

    vireo_runner::RunResult result;
    if (args.script == "-") {
        result = vireo_runner::run_script(std::cin, options, std::cerr);
    } else {
        std::ifstream in(args.script, std::ios::binary);
        if (!in) {
            std::perror(("vireo run: " + args.script).c_str());
            return 1;
        }
        result = vireo_runner::run_script(in, options, std::cerr);
    }
    std::cerr.flush();
    if (result.exit_status != 0) return result.exit_status;
    std::printf("wrote %s (%llu steps)\n", result.output.c_str(), static_cast<unsigned long long>(result.steps));
    return std::fflush(stdout) == 0 ? 0 : 1;
}

Action define(CLI::App& command) {
    auto args = std::make_shared<RunArgs>();
    command.description(kDescription);
    command.footer(kExamples);
    command.add_option("SCRIPT", args->script, "the script, or - for standard input")->required();
    command.add_option("-o,--output", args->output, "the 837 file to write (instead of the script's \"output\")")
        ->check([](const std::string& value) { return value.empty() ? "OUTPUT is empty" : std::string(); });
    command.add_flag("--trace", args->trace,
                     "write one JSON line per BeforeAdd ({\"step\", \"SegValue\", \"SegCount\"}) to standard error");
    return [args] { return run(*args); };
}

const Registration kRun("run", define);

}  // namespace
}  // namespace vireo_cli
