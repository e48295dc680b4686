// vireo schema: the JSON Schema of `vireo run` scripts, for editors.
#include <cstdio>

#include <nlohmann/json.hpp>

#include "vireo/tools/commands.h"
#include "vireo/tools/runner/script_runner.h"

namespace vireo_cli {
namespace {

int schema(const Args& args) {
    if (!args.empty()) {
        std::fprintf(stderr, "usage: vireo schema\n");
        return 2;
    }
    const std::string text = vireo_runner::script_schema().dump(2) + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

const Registration kSchema({"schema", schema, "schema                print the JSON Schema of run scripts"});

}  // namespace
}  // namespace vireo_cli
