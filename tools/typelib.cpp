// vireo typelib: the control's type library as JSON.
#include <cstdio>
#include <memory>

#include "vireo/control/catalogue.h"
#include "vireo/control/typelib.h"
#include "vireo/guide/guide.h"
#include "vireo/tools/commands.h"
#include "vireo/tools/guide_choice.h"

namespace vireo_cli {
namespace {

Action define(CLI::App& command) {
    command.description(
        "Print the type library as JSON.\n\n"
        "The control's properties, methods and event, the\n"
        "218 segment classes in slot order with their fields and dispatch ids, every code list with its\n"
        "members, and NewLineValues.");
    command.footer("\nExample:\n  vireo typelib > vireo-typelib.json");
    auto guide_id = std::make_shared<std::string>(kDefaultGuide);
    add_guide_option(command, *guide_id,
                     "the type library of the control of this guide (" + prjVireo::guide::known_guides() + ")")
        ->capture_default_str();
    return [guide_id] {
        const prjVireo::guide::Guide& guide = chosen_guide(*guide_id);
        const std::string json = prjVireo::typelib::to_json(catalogue_of(guide), guide.typelib_notes());
        std::fwrite(json.data(), 1, json.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    };
}

const Registration kTypelib("typelib", define);

}  // namespace
}  // namespace vireo_cli
