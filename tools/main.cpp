// The vireo command: writes 837 Professional files and describes the control.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "vireo/core/errors.h"
#include "vireo/tools/commands.h"

namespace vireo_cli {
namespace {

struct Registered {
    const char* name;
    Define define;
};

// Lists each command by the first line of its description only.
class CommandFormatter : public CLI::Formatter {
public:
    std::string make_subcommand(const CLI::App* sub) const override {
        std::stringstream out;
        const std::string& description = sub->get_description();
        CLI::detail::format_help(out, sub->get_display_name(true), description.substr(0, description.find('\n')),
                                 get_column_width());
        return out.str();
    }
};

std::vector<Registered>& registrations() {
    static std::vector<Registered> table;
    return table;
}

#define VIREO_STRINGIFY2(x) #x
#define VIREO_STRINGIFY(x) VIREO_STRINGIFY2(x)
constexpr const char* kVersion = "vireo " VIREO_STRINGIFY(VIREO_VERSION_MAJOR) "." VIREO_STRINGIFY(
    VIREO_VERSION_MINOR) "." VIREO_STRINGIFY(VIREO_VERSION_PATCH) " (ASC X12 837 Professional 004010X098A1)";

constexpr const char* kDescription =
    "vireo writes health-care claim files in the ASC X12 837 Professional format, version 4010\n"
    "(implementation guide 004010X098A1), checks them against the guide, and describes the\n"
    "control that writes them.";

constexpr const char* kFooter =
    "\nExamples:\n"
    "  vireo run examples/professional-claims.json -o claims.837\n"
    "  vireo check claims.837\n"
    "  vireo help run\n"
    "  vireo schema > vireo-script.schema.json\n"
    "\n'vireo help COMMAND' or 'vireo COMMAND --help' describes a command.";

// A usage error: the message, where to read more, exit status 2.
int usage_error(const CLI::App& app, const std::string& message) {
    std::string where = "vireo --help";
    for (const CLI::App* sub : app.get_subcommands()) {
        if (sub->get_name() != "help") where = "vireo help " + sub->get_name();
    }
    std::cerr << "vireo: " << message << "\n(see '" << where << "')\n";
    return 2;
}

}  // namespace

Registration::Registration(const char* name, Define define) { registrations().push_back({name, define}); }

}  // namespace vireo_cli

int main(int argc, char** argv) {
    using namespace vireo_cli;
    CLI::App app{kDescription, "vireo"};
    app.set_version_flag("--version", kVersion, "print the version and exit");
    app.footer(kFooter);
    app.require_subcommand(0, 1);
    auto formatter = std::make_shared<CommandFormatter>();
    formatter->label("SUBCOMMAND", "COMMAND");
    app.formatter(formatter);

    // Commands appear in the help in name order, whatever the order of registration.
    std::vector<Registered> commands = registrations();
    std::sort(commands.begin(), commands.end(),
              [](const Registered& a, const Registered& b) { return std::string_view(a.name) < b.name; });
    std::map<const CLI::App*, Action> actions;
    for (const Registered& c : commands) {
        CLI::App* sub = app.add_subcommand(c.name);
        sub->group("Commands");
        actions[sub] = c.define(*sub);
    }

    CLI::App* help = app.add_subcommand("help", "Describe vireo or one of its commands.");
    help->group("Commands");

    // A first word that is no command and no option is a mistyped command.
    if (argc > 1 && argv[1][0] != '-') {
        const std::string word = argv[1];
        bool known = word == "help";
        std::string names;
        for (const Registered& c : commands) {
            known = known || word == c.name;
            names += std::string(names.empty() ? "" : ", ") + c.name;
        }
        if (!known) return usage_error(app, "there is no command \"" + word + "\" (commands: " + names + ", help)");
    }
    std::string help_topic;
    help->add_option("COMMAND", help_topic, "the command to describe");
    help->footer("\nExamples:\n  vireo help\n  vireo help run");

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);  // --help or --version: to standard output, status 0
    } catch (const CLI::ParseError& e) {
        return usage_error(app, e.what());
    }

    if (help->parsed()) {
        if (help_topic.empty()) {
            // The application's own help (app.help() would describe the chosen "help" command).
            std::cout << app.get_formatter()->make_help(&app, "vireo", CLI::AppFormatMode::Normal);
        } else {
            CLI::App* topic = nullptr;
            try {
                topic = app.get_subcommand(help_topic);
            } catch (const CLI::OptionNotFound&) {
                return usage_error(app, "there is no command \"" + help_topic + "\"");
            }
            std::cout << topic->help("vireo");
        }
        return std::cout.flush() ? 0 : 1;
    }
    if (app.get_subcommands().empty()) {
        std::cerr << app.help();
        return 2;
    }

    CLI::App* chosen = app.get_subcommands().front();
    try {
        const int status = actions.at(chosen)();
        std::cout.flush();
        std::fflush(stdout);
        return status;
    } catch (const UsageError& e) {
        return usage_error(app, e.what());
    } catch (const prjVireo::VbError& e) {
        std::cerr << "vireo " << chosen->get_name() << ": error " << e.number() << ": " << e.what() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "vireo " << chosen->get_name() << ": " << e.what() << "\n";
    }
    return 1;
}
