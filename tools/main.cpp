// The vireo command: writes 837 Professional files and describes the control.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "vireo/core/errors.h"
#include "vireo/tools/commands.h"

namespace vireo_cli {

static std::vector<Command>& table() {
    static std::vector<Command> commands;
    return commands;
}

Registration::Registration(Command command) { table().push_back(command); }

const std::vector<Command>& registered_commands() {
    std::sort(table().begin(), table().end(),
              [](const Command& a, const Command& b) { return std::strcmp(a.name, b.name) < 0; });
    return table();
}

}  // namespace vireo_cli

namespace {

void usage(std::FILE* out) {
    std::fprintf(out, "usage: vireo COMMAND [ARGS]\n\ncommands:\n");
    for (const auto& c : vireo_cli::registered_commands()) std::fprintf(out, "  %s\n", c.usage);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help")) {
        usage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    for (const auto& c : vireo_cli::registered_commands()) {
        if (std::strcmp(argv[1], c.name) != 0) continue;
        try {
            return c.run(vireo_cli::Args(argv + 2, argv + argc));
        } catch (const prjVireo::VbError& e) {
            std::fprintf(stderr, "vireo %s: error %d: %s\n", c.name, e.number(), e.what());
        } catch (const std::exception& e) {
            std::fprintf(stderr, "vireo %s: %s\n", c.name, e.what());
        }
        return 1;
    }
    std::fprintf(stderr, "vireo: unknown command \"%s\"\n\n", argv[1]);
    usage(stderr);
    return 2;
}
