// vireo about: the control's About box.
#if VIREO_HAVE_UI
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "vireo/control/vireo.h"
#include "vireo/tools/commands.h"
#include "vireo/ui/about_box.h"
#include "vireo/ui/windows.h"

namespace vireo_cli {
namespace {

int about(bool print, const std::string& screenshot) {
    if (print) {
        vireo_ui::HostRegistry registry;
        vireo_ui::PosixShell shell;
        vireo_ui::FltkMessageBox message_box;
        vireo_ui::frmAbout form(registry, shell, message_box);
        form.Form_Load();
        std::printf("Caption=%s\nlblTitle=%s\nlblVersion=%s\nlblDescription=%s\nlblDisclaimer=%s\n",
                    form.Caption.c_str(), form.lblTitle.c_str(), form.lblVersion.c_str(),
                    form.lblDescription.c_str(), form.lblDisclaimer.c_str());
        if (screenshot.empty()) return std::fflush(stdout) == 0 ? 0 : 1;
    }

    std::string why;
    if (!vireo_ui::display_available(why)) {
        std::fprintf(stderr, "vireo about: %s\n", why.c_str());
        return 1;
    }
    vireo_ui::install();
    if (!screenshot.empty()) {
        vireo_ui::AboutWindow window;
        window.Load();
        vireo_ui::save_screenshot(*window.window(), screenshot);
        std::printf("%s\n", std::filesystem::absolute(screenshot).c_str());
        return 0;
    }
    // As a host does: the control shows its About box modally.
    prjVireo::vireo control;
    control.ErrorTrap(-1);  // report a failure to show it instead of passing over it
    control.ShowAboutBox();
    return 0;
}

// Every command's controls show this About box, also those of a script run.
const bool kAboutBoxInstalled = (prjVireo::set_about_box_factory(vireo_ui::make_about_box), true);

Action define(CLI::App& command) {
    struct AboutArgs {
        bool print = false;
        std::string screenshot;
    };
    auto args = std::make_shared<AboutArgs>();
    command.description(
        "Show the control's About box.\n\n"
        "The box ShowAboutBox shows. The window needs an X display\n"
        "(xvfb-run works); on Linux System Info reports \"System Info Is Unavailable At This Time\".");
    command.footer("\nExamples:\n  vireo about\n  vireo about --print\n  xvfb-run vireo about --screenshot about.png");
    command.add_flag("--print", args->print, "print the About box's caption and labels, without a window");
    command.add_option("--screenshot", args->screenshot, "show the About box, save it as a PNG image and close it")
        ->type_name("PNG");
    return [args] { return about(args->print, args->screenshot); };
}

const Registration kAbout("about", define);

}  // namespace
}  // namespace vireo_cli
#endif
