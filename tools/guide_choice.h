#pragma once
// The --guide option of the commands that describe a catalogue (describe,
// schema, typelib) and of vireo check: a guide id as GS08 names it, chosen
// among the guides this program knows.
#include <functional>
#include <string>

#include <CLI/CLI.hpp>

#include "vireo/control/catalogue.h"
#include "vireo/guide/guide.h"
#include "vireo/tools/commands.h"

namespace vireo_cli {

constexpr const char* kDefaultGuide = "004010X098A1";

// Adds --guide ID to `command`, read into `id`.
CLI::Option* add_guide_option(CLI::App& command, std::string& id, const std::string& help);

// The registered guide `id` names; a usage error naming the known ones when none.
const prjVireo::guide::Guide& chosen_guide(const std::string& id);
// The catalogue whose classes the guide's positions name; a usage error when
// the program knows the guide but not its catalogue.
const prjVireo::catalogue::Catalogue& catalogue_of(const prjVireo::guide::Guide& guide);

// The action of a command that prints one text about a catalogue (schema,
// typelib): adds --guide (4010 by default, `help` followed by the known
// guides), and prints `text` of the chosen guide and its catalogue.
using CatalogueText =
    std::function<std::string(const prjVireo::guide::Guide&, const prjVireo::catalogue::Catalogue&)>;
Action print_for_chosen_guide(CLI::App& command, const std::string& help, CatalogueText text);

}  // namespace vireo_cli
