// vireo schema: the JSON Schema of `vireo run` scripts, for editors.
#include <cstdio>
#include <memory>

#include <nlohmann/json.hpp>

#include "vireo/tools/commands.h"
#include "vireo/tools/guide_choice.h"
#include "vireo/tools/runner/script_runner.h"

namespace vireo_cli {
namespace {

Action define(CLI::App& command) {
    command.description(
        "Print the JSON Schema of run scripts.\n\n"
        "The schema (draft 2020-12) is generated from the catalogue:\n"
        "every segment object property and field, and every code list's codes and member names.\n"
        "Point your editor at it for completion and checking.");
    command.footer("\nExample:\n  vireo schema > vireo-script.schema.json");
    auto guide_id = std::make_shared<std::string>(kDefaultGuide);
    add_guide_option(command, *guide_id,
                     "the schema of scripts that write this guide (" + prjVireo::guide::known_guides() + ")")
        ->capture_default_str();
    return [guide_id] {
        const prjVireo::guide::Guide& guide = chosen_guide(*guide_id);
        const std::string text = vireo_runner::script_schema(catalogue_of(guide)).dump(2) + "\n";
        std::fwrite(text.data(), 1, text.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    };
}

const Registration kSchema("schema", define);

}  // namespace
}  // namespace vireo_cli
