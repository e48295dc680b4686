// The vireo command: writes 837 Professional files and describes the control.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "core/errors.h"
#include "tools/commands.h"

namespace {

struct Command {
    const char* name;
    int (*run)(const vireo_cli::Args&);
    const char* usage;
};

const Command kCommands[] = {
    {"sample", vireo_cli::sample, "sample [-o FILE]      write a sample 837 envelope (default vireo-sample.837)"},
    {"typelib", vireo_cli::typelib, "typelib               print the type library as JSON"},
};

void usage(std::FILE* out) {
    std::fprintf(out, "usage: vireo COMMAND [ARGS]\n\ncommands:\n");
    for (const Command& c : kCommands) std::fprintf(out, "  %s\n", c.usage);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help")) {
        usage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    for (const Command& c : kCommands) {
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
