#pragma once
// The desktop windows: the property frame that shows pp1, and the About box
// that shows frmAbout. Both are FLTK windows; the models do the work.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <FL/Fl_Double_Window.H>

#include "vireo/core/writer_state.h"
#include "vireo/ui/about_box.h"
#include "vireo/ui/property_page.h"

class Fl_Button;
class Fl_Group;
class Fl_Tabs;
class Fl_Widget;

namespace vireo_ui {

// Sets the look shared by every window (scheme, font size, message box
// buttons) and installs the About box for the control's ShowAboutBox.
// Call once before the first window.
void install();

// The frame a development environment puts around a property page: the page
// on a tab captioned with the page's caption, and OK, Cancel and Apply below.
class PropertyFrame {
public:
    // `saved` runs after every successful apply (the container saves the
    // control); an exception from it or from the apply is shown to the user.
    PropertyFrame(pp1& page, std::function<void()> saved);
    ~PropertyFrame();
    PropertyFrame(const PropertyFrame&) = delete;
    PropertyFrame& operator=(const PropertyFrame&) = delete;

    // Shows the frame and returns when it is closed.
    void run();
    // Copies the page's fields into its widgets.
    void show_fields();
    // Applies the page and saves; false (after telling the user) when either failed.
    bool apply();

    Fl_Double_Window& window() { return *window_; }
    Fl_Group& page_area() { return *page_; }
    // A page control by name (pp1::page_controls()), or nullptr.
    Fl_Widget* control(std::string_view name) const;
    Fl_Button& ok_button() { return *ok_; }
    Fl_Button& cancel_button() { return *cancel_; }
    Fl_Button& apply_button() { return *apply_; }

private:
    static void on_field(Fl_Widget* w, void* frame);
    static void on_ok(Fl_Widget* w, void* frame);
    static void on_cancel(Fl_Widget* w, void* frame);
    static void on_apply(Fl_Widget* w, void* frame);
    void sync_apply_button();

    pp1& page_model_;
    std::function<void()> saved_;
    std::unique_ptr<Fl_Double_Window> window_;
    Fl_Tabs* tabs_ = nullptr;
    Fl_Group* page_ = nullptr;
    std::vector<PageControl> layout_;  // the page's controls, for the selected control
    std::vector<Fl_Widget*> controls_;
    Fl_Button* ok_ = nullptr;
    Fl_Button* cancel_ = nullptr;
    Fl_Button* apply_ = nullptr;
    bool unsaved_ = false;  // applied to the control but not yet saved
};

// A message box with an OK button only.
class FltkMessageBox final : public MessageBox {
public:
    void show(const std::string& prompt) override;
};

// The About box window. Each instance loads its texts once, when first shown
// (or loaded), and is destroyed by Unload.
class AboutWindow final : public prjVireo::AboutBox {
public:
    // Reads the system's registry, starts programs with posix_spawn and shows
    // messages in FLTK message boxes.
    AboutWindow();
    // For tests: the given registry, shell and message box.
    AboutWindow(Registry& registry, Shell& shell, MessageBox& message_box);
    ~AboutWindow() override;

    // Builds the window and runs Form_Load, without showing it.
    void Load();
    // Loads if needed, shows modally, returns when the form is unloaded.
    void ShowModal() override;
    void Unload() override;

    frmAbout& form() { return *form_; }
    // The window between Load and Unload, else nullptr.
    Fl_Double_Window* window() { return window_.get(); }
    // A control of the form by name (picIcon, lblTitle, ..., cmdSysInfo), or nullptr.
    Fl_Widget* control(std::string_view name) const;

private:
    void build();

    std::unique_ptr<HostRegistry> own_registry_;
    std::unique_ptr<PosixShell> own_shell_;
    std::unique_ptr<FltkMessageBox> own_message_box_;
    std::unique_ptr<frmAbout> form_;
    std::unique_ptr<Fl_Double_Window> window_;
};

// What the control's ShowAboutBox shows: a new AboutWindow.
std::unique_ptr<prjVireo::AboutBox> make_about_box();

// True when an X display can be opened; otherwise `why` says what to do.
bool display_available(std::string& why);

// Shows `window` until it is drawn and writes its pixels to a PNG file;
// VbError when the file cannot be written.
void save_screenshot(Fl_Window& window, const std::string& png_path);

}  // namespace vireo_ui
