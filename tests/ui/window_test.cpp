// The desktop windows on an X server: every control's kind, caption,
// place and size, the keyboard order, what the buttons do, and a screenshot
// of each window (written to the test directory, path printed).
// GoogleTest comes before the X11 headers, whose macros (None, Bool) it would trip on.
#include "test_support.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Tabs.H>
#include <FL/x.H>
#include <png.h>

#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "vireo/control/vireo.h"
#include "vireo/ui/windows.h"

// The font library keeps its font caches until the process ends; under the
// leak checker that is not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

using namespace vireo_ui;

namespace {

// CTest runs these tests under xvfb-run, which gives each one an X server of
// its own; run by hand, they need a display (DISPLAY) in the same way.
class Windows : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!std::getenv("DISPLAY")) return;
        fl_open_display();
        install();
    }
    static void TearDownTestSuite() {
        if (fl_display) fl_close_display();
    }
    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "no X display: run the tests under xvfb-run -a, as CTest does";
        vireo_test::reset_writer_state();
    }
    void TearDown() override { vireo_test::reset_writer_state(); }
};

// The kind of a widget, in the page's terms.
std::string kind_of(const Fl_Widget* w) {
    if (dynamic_cast<const Fl_Check_Button*>(w)) return "check box";
    if (dynamic_cast<const Fl_Return_Button*>(w)) return "default button";
    if (dynamic_cast<const Fl_Button*>(w)) return "button";
    if (dynamic_cast<const Fl_Input*>(w)) return "text box";
    if (dynamic_cast<const Fl_Box*>(w)) return w->h() == 1 && w->box() == FL_FLAT_BOX ? "line" : "label";
    return "picture";
}

std::string label_of(const Fl_Widget* w) { return w->label() ? w->label() : ""; }

// Every widget of `area` lies inside it, and no two overlap.
void expect_laid_out(const Fl_Group& area) {
    for (int i = 0; i < area.children(); ++i) {
        const Fl_Widget* a = area.child(i);
        EXPECT_TRUE(a->x() >= area.x() && a->y() >= area.y() && a->x() + a->w() <= area.x() + area.w() &&
                    a->y() + a->h() <= area.y() + area.h())
            << "child " << i << " reaches outside";
        for (int j = i + 1; j < area.children(); ++j) {
            const Fl_Widget* b = area.child(j);
            EXPECT_FALSE(a->x() < b->x() + b->w() && b->x() < a->x() + a->w() && a->y() < b->y() + b->h() &&
                         b->y() < a->y() + a->h())
                << "children " << i << " and " << j << " overlap";
        }
    }
}

// Presses Tab `count` times from `first` and returns the names of the widgets
// that had the focus, starting with `first`.
template <class NameOf>
std::vector<std::string> tab_walk(Fl_Window& window, Fl_Widget* first, int count, NameOf name_of) {
    std::vector<std::string> names;
    EXPECT_TRUE(first->take_focus());
    for (int i = 0; i <= count; ++i) {
        names.push_back(name_of(Fl::focus()));
        Fl::e_keysym = FL_Tab;
        Fl::e_state = 0;
        Fl::e_text = const_cast<char*>("\t");
        Fl::e_length = 1;
        Fl::handle(FL_KEYBOARD, &window);
    }
    return names;
}

// Saves the screenshot into the test directory and checks it is a real image
// of the window: its size, and more than a handful of colours.
void screenshot(Fl_Window& window, const std::string& file) {
    const std::string path = (vireo_test::temp_dir() / file).string();
    save_screenshot(window, path);
    std::cout << "screenshot: " << std::filesystem::absolute(path).string() << std::endl;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << image.message;
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) << image.message;
    EXPECT_EQ(static_cast<int>(image.width), window.w());
    EXPECT_EQ(static_cast<int>(image.height), window.h());
    std::set<unsigned> colours;
    for (std::size_t i = 0; i + 2 < pixels.size(); i += 3) {
        colours.insert(pixels[i] << 16 | pixels[i + 1] << 8 | pixels[i + 2]);
    }
    EXPECT_GT(colours.size(), 8u) << "the screenshot is nearly blank";
}

TEST_F(Windows, PropertyPageShowsTheSavedControl) {
    const std::string path = vireo_test::temp_path(".ctl");
    std::filesystem::copy_file(VIREO_EXAMPLES_DIR "/saved-control.ctl", path);
    prjVireo::TextPropertyBag bag = prjVireo::TextPropertyBag::load(path);
    prjVireo::vireo control;
    control.ReadProperties(bag);
    pp1 page;
    page.SelectedControls(pp1::selection_of({&control}));
    int saves = 0;
    PropertyFrame frame(page, [&] {
        control.WriteProperties(bag);
        bag.save(path);
        ++saves;
    });
    Fl_Double_Window& window = frame.window();
    window.show();

    EXPECT_STREQ(window.label(), "vireo Properties");
    EXPECT_EQ(window.w(), 421);
    EXPECT_EQ(window.h(), 311);
    EXPECT_EQ(label_of(frame.page_area().parent()), "vireo");  // the page's tab
    EXPECT_EQ(frame.page_area().w(), 395);
    EXPECT_EQ(frame.page_area().h(), 233);

    // Every control of the page's table, in tab order, where the table puts
    // it to the nearest pixel (94.67 pixels is 95), inside the page and
    // overlapping none of the others.
    EXPECT_EQ(twips_to_pixels(1420), 95);
    const char* const kinds[] = {"check box", "label", "text box"};  // PageControlKind's order
    Fl_Group& area = frame.page_area();
    ASSERT_EQ(area.children(), static_cast<int>(kPageControls.size()));
    for (int i = 0; i < area.children(); ++i) {
        const PageControl& c = kPageControls[i];
        SCOPED_TRACE(c.name);
        Fl_Widget* w = frame.control(c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(area.find(w), i) << "tab index";
        EXPECT_EQ(kind_of(w), kinds[static_cast<int>(c.kind)]);
        EXPECT_EQ(label_of(w), c.caption);
        EXPECT_EQ(w->x() - area.x(), twips_to_pixels(c.left));
        EXPECT_EQ(w->y() - area.y(), twips_to_pixels(c.top));
        EXPECT_EQ(w->w(), twips_to_pixels(c.width));
        EXPECT_EQ(w->h(), twips_to_pixels(c.height));
    }
    expect_laid_out(area);
    expect_laid_out(window);
    EXPECT_EQ(label_of(&frame.ok_button()), "OK");
    EXPECT_EQ(label_of(&frame.cancel_button()), "Cancel");
    EXPECT_EQ(label_of(&frame.apply_button()), "&Apply");

    // The saved values (what the page reads is PropertyPage's).
    EXPECT_STREQ(static_cast<Fl_Input*>(frame.control("txtDataElementSeparator"))->value(), "|");
    EXPECT_EQ(static_cast<Fl_Check_Button*>(frame.control("chkAnnotation"))->value(), 1);
    EXPECT_FALSE(frame.apply_button().active());

    screenshot(window, "property-page.png");

    // The keyboard visits the input fields in tab order, then the frame's buttons
    // (Apply only once there is something to apply).
    const auto name_of = [&](Fl_Widget* w) -> std::string {
        for (const auto& c : kPageControls) {
            if (frame.control(c.name) == w) return c.name;
        }
        return w ? label_of(w) : "(none)";
    };
    EXPECT_EQ(tab_walk(window, frame.control("chkErrorTrap"), 9, name_of),
              (std::vector<std::string>{"chkErrorTrap", "txtFilename", "txtDataElementSeparator",
                                        "txtSubelementSeparator", "txtSegmentTerminator", "txtSegmentCount",
                                        "chkAnnotation", "OK", "Cancel", "chkErrorTrap"}));

    // Typing marks the page changed; Apply writes the control and saves it.
    auto* separator = static_cast<Fl_Input*>(frame.control("txtDataElementSeparator"));
    separator->value("+-");
    separator->do_callback();
    auto* error_trap = static_cast<Fl_Check_Button*>(frame.control("chkErrorTrap"));
    error_trap->value(1);
    error_trap->do_callback();
    EXPECT_TRUE(frame.apply_button().active());
    frame.apply_button().do_callback();
    EXPECT_FALSE(frame.apply_button().active());
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(control.DataElementSeparator(), "+");
    EXPECT_EQ(control.ErrorTrap(), -1);
    EXPECT_NE(vireo_test::read_file(path).find("DataElementSeparator=\"+\"\n"), std::string::npos);

    // OK with nothing changed closes without saving again.
    frame.ok_button().do_callback();
    EXPECT_FALSE(window.shown());
    EXPECT_EQ(saves, 1);
}

TEST_F(Windows, PropertyPageCancelDropsTheEdits) {
    prjVireo::vireo control;
    control.Filename("kept.837");
    pp1 page;
    page.SelectedControls(pp1::selection_of({&control}));
    int saves = 0;
    PropertyFrame frame(page, [&] { ++saves; });
    frame.window().show();
    auto* filename = static_cast<Fl_Input*>(frame.control("txtFilename"));
    filename->value("other.837");
    filename->do_callback();
    frame.cancel_button().do_callback();
    EXPECT_FALSE(frame.window().shown());
    EXPECT_EQ(control.Filename(), "kept.837");
    EXPECT_EQ(saves, 0);
}

class RecordingShell final : public Shell {
public:
    bool file_exists(const std::string&) override { return false; }
    void start(const std::string& path) override { started.push_back(path); }
    std::vector<std::string> started;
};

class RecordingMessageBox final : public MessageBox {
public:
    void show(const std::string& prompt) override { shown.push_back(prompt); }
    std::vector<std::string> shown;
};

TEST_F(Windows, AboutBoxShowsTheVersionInformation) {
    HostRegistry registry;
    RecordingShell shell;
    RecordingMessageBox messages;
    AboutWindow about(registry, shell, messages);
    about.Load();
    Fl_Double_Window& window = *about.window();
    window.show();

    const std::string version = "Version " + std::to_string(VIREO_VERSION_MAJOR) + "." +
                                std::to_string(VIREO_VERSION_MINOR) + "." + std::to_string(VIREO_VERSION_PATCH);
    EXPECT_STREQ(window.label(), "About vireo");
    EXPECT_EQ(window.w(), 420);
    EXPECT_EQ(window.h(), 214);
    const struct {
        const char* name;
        const char* kind;
        const char* caption;
    } expected[] = {
        {"picIcon", "picture", ""},
        {"lblTitle", "label", "vireo"},
        {"lblVersion", "label", version.c_str()},
        {"lblDescription", "label", "Vireo ActiveX Control for HIPAA 837 4010"},
        {"lblDisclaimer", "label", about.form().lblDisclaimer.c_str()},
        {"Line1", "line", ""},
        {"Line2", "line", ""},
        {"cmdOK", "default button", "OK"},
        {"cmdSysInfo", "button", "&System Info..."},
    };
    ASSERT_EQ(window.children(), static_cast<int>(std::size(expected)));
    for (int i = 0; i < window.children(); ++i) {
        const auto& e = expected[i];
        SCOPED_TRACE(e.name);
        Fl_Widget* w = about.control(e.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(window.find(w), i) << "tab index";
        EXPECT_EQ(kind_of(w), e.kind);
        EXPECT_EQ(label_of(w), e.caption);
    }
    expect_laid_out(window);
    EXPECT_NE(about.form().lblDisclaimer.find("Copyright"), std::string::npos);

    screenshot(window, "about-box.png");

    const auto name_of = [&](Fl_Widget* w) -> std::string { return w ? label_of(w) : "(none)"; };
    EXPECT_EQ(tab_walk(window, about.control("cmdOK"), 2, name_of),
              (std::vector<std::string>{"OK", "&System Info...", "OK"}));

    // This system has no system information program: the message, nothing started.
    about.control("cmdSysInfo")->do_callback();
    EXPECT_EQ(messages.shown, std::vector<std::string>{"System Info Is Unavailable At This Time"});
    EXPECT_TRUE(shell.started.empty());
    // OK closes the form; unloading destroys the window.
    about.control("cmdOK")->do_callback();
    EXPECT_FALSE(window.shown());
    about.Unload();
    EXPECT_EQ(about.window(), nullptr);
}

// What a timer saw of the window on screen while the modal loop ran.
struct OnScreen {
    std::vector<std::string> texts;
    std::vector<std::string> buttons;
    const void* box = nullptr;
    bool modal = false;
};

void collect(Fl_Group& group, OnScreen& seen) {
    for (int i = 0; i < group.children(); ++i) {
        Fl_Widget* w = group.child(i);
        if (!w->visible()) continue;
        if (dynamic_cast<Fl_Button*>(w)) {
            seen.buttons.push_back(label_of(w));
        } else if (w->label() && *w->label()) {
            seen.texts.push_back(w->label());
        }
        if (auto* inner = w->as_group()) collect(*inner, seen);
    }
}

TEST_F(Windows, ShowAboutBoxShowsAFreshModalBoxEachTime) {
    prjVireo::vireo control;
    control.ErrorTrap(-1);
    OnScreen seen[2];
    for (auto& s : seen) {
        Fl::add_timeout(
            0.0,
            [](void* data) {
                auto& s = *static_cast<OnScreen*>(data);
                auto* about = dynamic_cast<AboutWindow*>(prjVireo::writer_state().about_box.get());
                if (!about || !about->window()) return;
                s.box = about;
                s.modal = about->window()->modal() && about->window()->shown();
                s.texts.push_back(about->window()->label());
                collect(*about->window(), s);
                about->control("cmdOK")->do_callback();
            },
            &s);
        control.ShowAboutBox();
        EXPECT_EQ(prjVireo::writer_state().about_box, nullptr);
    }
    for (const auto& s : seen) {
        EXPECT_NE(s.box, nullptr);
        EXPECT_TRUE(s.modal);
        ASSERT_GE(s.texts.size(), 3u);
        EXPECT_EQ(s.texts[0], "About vireo");
        EXPECT_EQ(s.texts[1], "vireo");
        EXPECT_EQ(s.buttons, (std::vector<std::string>{"OK", "&System Info..."}));
    }
}

TEST_F(Windows, SystemInfoMessageHasAnOkButtonOnly) {
    OnScreen seen;
    Fl::add_timeout(
        0.0,
        [](void* data) {
            auto& s = *static_cast<OnScreen*>(data);
            Fl_Window* message = Fl::first_window();
            if (!message) return;
            s.modal = message->modal();
            collect(*message, s);
            screenshot(*message, "system-info-message.png");
            for (int i = 0; i < message->children(); ++i) {
                auto* button = dynamic_cast<Fl_Button*>(message->child(i));
                if (button && button->visible()) {
                    button->do_callback();
                    break;
                }
            }
        },
        &seen);
    HostRegistry registry;
    RecordingShell shell;
    FltkMessageBox message_box;
    frmAbout form(registry, shell, message_box);
    form.StartSysInfo();
    EXPECT_TRUE(seen.modal);
    EXPECT_EQ(seen.buttons, std::vector<std::string>{"OK"});
    EXPECT_NE(std::find(seen.texts.begin(), seen.texts.end(), "System Info Is Unavailable At This Time"),
              seen.texts.end());
}

}  // namespace
