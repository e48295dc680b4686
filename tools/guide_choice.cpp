#include "vireo/tools/guide_choice.h"

#include "vireo/core/text.h"
#include "vireo/tools/commands.h"

namespace vireo_cli {

CLI::Option* add_guide_option(CLI::App& command, std::string& id, const std::string& help) {
    return command.add_option("--guide", id, help)->type_name("ID");
}

const prjVireo::guide::Guide& chosen_guide(const std::string& id) {
    if (const prjVireo::guide::Guide* guide = prjVireo::guide::find_guide(id)) return *guide;
    throw UsageError("--guide: \"" + prjVireo::printable(id) + "\" is no guide vireo knows; it knows " +
                     prjVireo::guide::known_guides());
}

const prjVireo::catalogue::Catalogue& catalogue_of(const prjVireo::guide::Guide& guide) {
    if (const prjVireo::catalogue::Catalogue* c = prjVireo::catalogue::find_catalogue(guide.id())) return *c;
    throw UsageError("--guide: vireo knows the guide " + std::string(guide.id()) + " but no catalogue of its classes");
}

}  // namespace vireo_cli
