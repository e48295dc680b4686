// vireo properties: the control's property page on a saved control.
#if VIREO_HAVE_UI
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "vireo/control/property_bag.h"
#include "vireo/control/vireo.h"
#include "vireo/tools/commands.h"
#include "vireo/ui/property_page.h"
#include "vireo/ui/windows.h"

namespace vireo_cli {
namespace {

constexpr const char* kUsage =
    "usage: vireo properties FILE [--set CONTROL=VALUE]... [--apply] [--print] [--screenshot PNG]\n"
    "  Opens the property page on the control saved in FILE. Apply and OK save it back.\n"
    "  --set CONTROL=VALUE  edit a field as the user would (txtFilename, txtDataElementSeparator,\n"
    "                       txtSubelementSeparator, txtSegmentTerminator, txtSegmentCount;\n"
    "                       chkErrorTrap and chkAnnotation take 0, 1 or 2)\n"
    "  --apply              apply the page to the control and save FILE, without a window\n"
    "  --print              print the page's fields as the page shows them, without a window\n"
    "  --screenshot PNG     show the page, save it as a PNG image and close it\n";

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

int properties(const Args& args) {
    std::string file;
    std::vector<std::pair<std::string, std::string>> edits;
    bool apply = false;
    bool print = false;
    std::string screenshot;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--set" || a == "--screenshot") && i + 1 < args.size()) {
            const std::string& value = args[++i];
            if (a == "--screenshot") {
                screenshot = value;
                continue;
            }
            const auto eq = value.find('=');
            if (eq == std::string::npos) {
                std::fprintf(stderr, "vireo properties: --set takes CONTROL=VALUE, not \"%s\"\n", value.c_str());
                return 2;
            }
            edits.emplace_back(value.substr(0, eq), value.substr(eq + 1));
        } else if (a == "--apply") {
            apply = true;
        } else if (a == "--print") {
            print = true;
        } else if (a == "-h" || a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (file.empty() && !a.starts_with("--")) {
            file = a;
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (file.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    // The container loads the control from its saved state.
    prjVireo::TextPropertyBag bag = prjVireo::TextPropertyBag::load(file);
    prjVireo::vireo control;
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
            for (const auto& c : vireo_ui::kPageControls) {
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

const Registration kProperties({"properties", properties,
                                "properties FILE       edit a saved control on its property page (--help for more)"});

}  // namespace
}  // namespace vireo_cli
#endif
