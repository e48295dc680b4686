#include "vireo/tools/guide_choice.h"

#include <cstdio>
#include <memory>
#include <utility>

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

Action print_for_chosen_guide(CLI::App& command, const std::string& help, CatalogueText text) {
    auto guide_id = std::make_shared<std::string>(kDefaultGuide);
    add_guide_option(command, *guide_id, help + " (" + prjVireo::guide::known_guides() + ")")->capture_default_str();
    return [guide_id, text = std::move(text)] {
        const prjVireo::guide::Guide& guide = chosen_guide(*guide_id);
        const std::string printed = text(guide, catalogue_of(guide));
        std::fwrite(printed.data(), 1, printed.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    };
}

}  // namespace vireo_cli
