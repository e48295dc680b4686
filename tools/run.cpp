// vireo run: writes an 837 file from a script of control calls.
#include <cstdio>
#include <fstream>
#include <iostream>

#include "vireo/tools/commands.h"
#include "vireo/tools/runner/script_runner.h"

namespace vireo_cli {
namespace {

int usage() {
    std::fprintf(stderr, "usage: vireo run SCRIPT [-o OUTPUT] [--trace]   (SCRIPT may be - for standard input)\n");
    return 2;
}

int run(const Args& args) {
    vireo_runner::RunOptions options;
    std::string script;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "-o" || args[i] == "--output") && i + 1 < args.size()) {
            options.output = args[++i];
            if (options.output.empty()) return usage();
        } else if (args[i] == "--trace") {
            options.trace = true;
        } else if (script.empty() && (args[i] == "-" || args[i].rfind('-', 0) != 0)) {
            script = args[i];
        } else {
            return usage();
        }
    }
    if (script.empty()) return usage();
    options.script_name = script;

    vireo_runner::RunResult result;
    if (script == "-") {
        result = vireo_runner::run_script(std::cin, options, std::cerr);
    } else {
        std::ifstream in(script, std::ios::binary);
        if (!in) {
            std::perror(("vireo run: " + script).c_str());
            return 1;
        }
        result = vireo_runner::run_script(in, options, std::cerr);
    }
    std::cerr.flush();
    if (result.exit_status != 0) return result.exit_status;
    std::printf("wrote %s (%llu steps)\n", result.output.c_str(), static_cast<unsigned long long>(result.steps));
    return std::fflush(stdout) == 0 ? 0 : 1;
}

const Registration kRun({"run", run, "run SCRIPT [-o OUTPUT] [--trace]   write an 837 file from a JSON script"});

}  // namespace
}  // namespace vireo_cli
