// vireo typelib: the control's type library as JSON.
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
    return print_for_chosen_guide(command, "the type library of the control of this guide",
                                  [](const prjVireo::guide::Guide& guide, const prjVireo::catalogue::Catalogue& catalogue) {
                                      return prjVireo::typelib::to_json(catalogue, guide.typelib_notes());
                                  });
}

const Registration kTypelib("typelib", define);

}  // namespace
}  // namespace vireo_cli
