#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>

#include "vireo/control/vireo.h"
#include "vireo/core/errors.h"
#include "vireo/ui/windows.h"

namespace vireo_ui {
namespace {

// The product icon: a claim file (a sheet with its segment lines) with a
// small bird in the corner.
class ProductIcon final : public Fl_Widget {
public:
    ProductIcon(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) {}

    void draw() override {
        const int fold = w() / 4;
        const int sheet_x = x() + 3;
        const int sheet_w = w() - 10;
        // The sheet with a folded corner.
        fl_color(FL_WHITE);
        fl_begin_polygon();
        fl_vertex(sheet_x, y() + 1);
        fl_vertex(sheet_x + sheet_w - fold, y() + 1);
        fl_vertex(sheet_x + sheet_w, y() + 1 + fold);
        fl_vertex(sheet_x + sheet_w, y() + h() - 2);
        fl_vertex(sheet_x, y() + h() - 2);
        fl_end_polygon();
        fl_color(fl_rgb_color(96, 96, 96));
        fl_begin_loop();
        fl_vertex(sheet_x, y() + 1);
        fl_vertex(sheet_x + sheet_w - fold, y() + 1);
        fl_vertex(sheet_x + sheet_w, y() + 1 + fold);
        fl_vertex(sheet_x + sheet_w, y() + h() - 2);
        fl_vertex(sheet_x, y() + h() - 2);
        fl_end_loop();
        fl_line(sheet_x + sheet_w - fold, y() + 1, sheet_x + sheet_w - fold, y() + 1 + fold, sheet_x + sheet_w,
                y() + 1 + fold);
        // Segment lines.
        fl_color(fl_rgb_color(70, 110, 170));
        for (int row = 0; row < 5; ++row) {
            const int ly = y() + 8 + row * 5;
            const int len = (row % 2) ? sheet_w - 12 : sheet_w - 8 - (row == 0 ? fold : 0);
            fl_rectf(sheet_x + 4, ly, len, 2);
        }
        // The bird: body, head, beak and wing.
        const int bx = x() + w() - 14;
        const int by = y() + h() - 14;
        fl_color(fl_rgb_color(110, 140, 60));
        fl_pie(bx, by + 3, 12, 9, 0, 360);
        fl_pie(bx + 7, by, 7, 7, 0, 360);
        fl_color(fl_rgb_color(200, 150, 40));
        fl_polygon(bx + 13, by + 2, bx + 17, by + 4, bx + 13, by + 5);
        fl_color(fl_rgb_color(70, 90, 40));
        fl_pie(bx + 1, by + 5, 8, 5, 0, 360);
        fl_color(FL_BLACK);
        fl_point(bx + 11, by + 2);
    }
};

Fl_Box* label_box(int x, int y, int w, int h, Fl_Fontsize size, Fl_Font font = FL_HELVETICA) {
    auto* box = new Fl_Box(x, y, w, h);
    box->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP | FL_ALIGN_CLIP);
    box->labelsize(size);
    box->labelfont(font);
    return box;
}

Fl_Box* line_box(int x, int y, int w, Fl_Color color) {
    auto* box = new Fl_Box(FL_FLAT_BOX, x, y, w, 1, nullptr);
    box->color(color);
    return box;
}

constexpr const char* kControlNames[] = {"picIcon",        "lblTitle", "lblVersion", "lblDescription",
                                         "lblDisclaimer",  "Line1",    "Line2",      "cmdOK",
                                         "cmdSysInfo"};

}  // namespace

void install() {
    static bool done = false;
    if (done) return;
    done = true;
    Fl::scheme("gtk+");
    FL_NORMAL_SIZE = 12;
    Fl::visible_focus(1);
    fl_message_title_default("vireo");
    fl_close = "OK";  // a message box has an OK button only
    prjVireo::set_about_box_factory(make_about_box);
}

void FltkMessageBox::show(const std::string& prompt) { fl_message("%s", prompt.c_str()); }

std::unique_ptr<prjVireo::AboutBox> make_about_box() { return std::make_unique<AboutWindow>(); }

AboutWindow::AboutWindow()
    : own_registry_(std::make_unique<HostRegistry>()),
      own_shell_(std::make_unique<PosixShell>()),
      own_message_box_(std::make_unique<FltkMessageBox>()),
      form_(std::make_unique<frmAbout>(*own_registry_, *own_shell_, *own_message_box_)) {}

AboutWindow::AboutWindow(Registry& registry, Shell& shell, MessageBox& message_box)
    : form_(std::make_unique<frmAbout>(registry, shell, message_box)) {}

AboutWindow::~AboutWindow() { Unload(); }

void AboutWindow::build() {
    window_ = std::make_unique<Fl_Double_Window>(420, 214);
    window_->callback([](Fl_Widget*, void* about) { static_cast<AboutWindow*>(about)->form().cmdOK_Click(); }, this);

    // Children in the order of kControlNames, which control() relies on.
    new ProductIcon(16, 16, 40, 40);
    label_box(72, 14, 332, 28, 18, FL_HELVETICA_BOLD);  // lblTitle
    label_box(72, 44, 332, 18, 12);                      // lblVersion
    label_box(72, 64, 332, 36, 12);                      // lblDescription
    label_box(16, 126, 282, 72, 11);                     // lblDisclaimer
    line_box(12, 112, 396, fl_rgb_color(128, 128, 128));  // Line1
    line_box(12, 113, 396, FL_WHITE);                     // Line2
    auto* ok = new Fl_Return_Button(312, 126, 92, 25, frmAbout::cmdOK);
    ok->callback([](Fl_Widget*, void* about) { static_cast<AboutWindow*>(about)->form().cmdOK_Click(); }, this);
    auto* sysinfo = new Fl_Button(312, 158, 92, 25, frmAbout::cmdSysInfo);
    sysinfo->callback([](Fl_Widget*, void* about) { static_cast<AboutWindow*>(about)->form().cmdSysInfo_Click(); },
                      this);
    window_->end();
}

void AboutWindow::Load() {
    if (window_) return;
    build();
    form_->on_unload = [this] {
        if (window_) window_->hide();
    };
    form_->Form_Load();
    window_->copy_label(form_->Caption.c_str());
    control("lblTitle")->copy_label(form_->lblTitle.c_str());
    control("lblVersion")->copy_label(form_->lblVersion.c_str());
    control("lblDescription")->copy_label(form_->lblDescription.c_str());
    control("lblDisclaimer")->copy_label(form_->lblDisclaimer.c_str());
}

void AboutWindow::ShowModal() {
    // Without a display FLTK would end the program; the control reports this
    // instead (or passes over it when ErrorTrap is off).
    std::string why;
    if (!display_available(why)) throw prjVireo::VbError(prjVireo::vbErrInvalidProcedureCall, why);
    install();
    Load();
    window_->set_modal();
    window_->show();
    while (window_ && window_->shown()) Fl::wait();
}

void AboutWindow::Unload() {
    form_->on_unload = nullptr;
    window_.reset();
}

Fl_Widget* AboutWindow::control(std::string_view name) const {
    if (!window_) return nullptr;
    for (int i = 0; i < static_cast<int>(std::size(kControlNames)); ++i) {
        if (name == kControlNames[i]) return window_->child(i);
    }
    return nullptr;
}

}  // namespace vireo_ui
