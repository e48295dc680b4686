// vireo schema: the JSON Schema of `vireo run` scripts, for editors.
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
    return print_for_chosen_guide(command, "the schema of scripts that write this guide",
                                  [](const prjVireo::guide::Guide&, const prjVireo::catalogue::Catalogue& catalogue) {
                                      return vireo_runner::script_schema(catalogue).dump(2) + "\n";
                                  });
}

const Registration kSchema("schema", define);

}  // namespace
}  // namespace vireo_cli
