// vireo properties: the control's property page on a saved control.
#if VIREO_HAVE_UI
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "vireo/control/property_bag.h"
#include "vireo/control/vireo.h"
#include "vireo/tools/commands.h"
#include "vireo/tools/guide_choice.h"
#include "vireo/ui/property_page.h"
#include "vireo/ui/windows.h"

namespace vireo_cli {
namespace {

// A field value for printing: control characters as \xHH so that every byte is visible.
std::string printable(const std::string& value) {
    std::string out;
    for (unsigned char c : value) {
        if (c < 0x20 || c == 0x7F || c == '\\') {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

struct PropertiesArgs {
    std::string file;
    std::vector<std::string> edits;  // CONTROL=VALUE
    bool apply = false;
    bool print = false;
    std::string screenshot;
    std::string guide = kDefaultGuide;  // the catalogue of the saved control
};

int properties(const PropertiesArgs& args) {
    const std::string& file = args.file;
    const bool apply = args.apply;
    const bool print = args.print;
    const std::string& screenshot = args.screenshot;
    std::vector<std::pair<std::string, std::string>> edits;
    for (const std::string& edit : args.edits) {
        const auto eq = edit.find('=');
        if (eq == std::string::npos) throw UsageError("--set takes CONTROL=VALUE, not \"" + edit + "\"");
        edits.emplace_back(edit.substr(0, eq), edit.substr(eq + 1));
    }

    // The container loads the control from its saved state.
    prjVireo::TextPropertyBag bag = prjVireo::TextPropertyBag::load(file);
    prjVireo::basic_vireo control(catalogue_of(chosen_guide(args.guide)));
    control.ReadProperties(bag);
    const auto save = [&] {
        control.WriteProperties(bag);
        bag.save(file);
    };

    vireo_ui::pp1 page;
    page.SelectedControls(vireo_ui::pp1::selection_of({&control}));
    for (const auto& [name, value] : edits) page.edit(name, value);

    if (apply || print) {
        if (apply) {
            page.ApplyChanges();
            save();
        }
        if (print) {
            // What the page shows when it is opened again.
            page.SelectionChanged();
            for (const auto& c : page.page_controls()) {
                if (c.kind == vireo_ui::PageControlKind::Label) continue;
                std::printf("%s=%s\n", c.name, printable(page.value_of(c.name)).c_str());
            }
        }
        if (screenshot.empty()) return std::fflush(stdout) == 0 ? 0 : 1;
    }

    std::string why;
    if (!vireo_ui::display_available(why)) {
        std::fprintf(stderr, "vireo properties: %s\n", why.c_str());
        return 1;
    }
    vireo_ui::install();
    vireo_ui::PropertyFrame frame(page, save);
    if (!screenshot.empty()) {
        vireo_ui::save_screenshot(frame.window(), screenshot);
        std::printf("%s\n", std::filesystem::absolute(screenshot).c_str());
        return 0;
    }
    frame.run();
    return 0;
}

Action define(CLI::App& command) {
    auto args = std::make_shared<PropertiesArgs>();
    command.description(
        "Edit a saved control on its property page.\n\n"
        "FILE is a saved control (a text property bag, as examples/saved-control.ctl). Apply and OK save the six persisted settings back to FILE;\n"
        "ErrorTrap and SegmentCount only affect the loaded control. The window needs an X display\n"
        "(xvfb-run works); --apply and --print work without one.");
    command.footer(
        "\nExamples:\n"
        "  vireo properties examples/saved-control.ctl\n"
        "  vireo properties my.ctl --set txtSegmentTerminator='~' --set chkAnnotation=1 --apply\n"
        "  vireo properties my.ctl --print");
    command.add_option("FILE", args->file, "the saved control")->required();
    command.add_option("--set", args->edits,
                       "edit a field as the user would: txtFilename, txtDataElementSeparator,\n"
                       "txtSubelementSeparator, txtSegmentTerminator, txtSegmentCount (text);\n"
                       "chkErrorTrap, chkAnnotation (0, 1 or 2); txtRepetitionSeparator for a 5010 control")
        ->type_name("CONTROL=VALUE");
    add_guide_option(command, args->guide,
                     "the saved control's catalogue (" + prjVireo::guide::known_guides() + "): a 5010 control's "
                     "page also shows its RepetitionSeparator")
        ->capture_default_str();
    command.add_flag("--apply", args->apply, "apply the page to the control and save FILE, without a window");
    command.add_flag("--print", args->print, "print the page's fields as the page shows them, without a window");
    command.add_option("--screenshot", args->screenshot, "show the page, save it as a PNG image and close it")
        ->type_name("PNG");
    return [args] { return properties(*args); };
}

const Registration kProperties("properties", define);

}  // namespace
}  // namespace vireo_cli
#endif
