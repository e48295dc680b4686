#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Tabs.H>
#include <FL/fl_ask.H>

#include "vireo/core/errors.h"
#include "vireo/ui/windows.h"

namespace vireo_ui {
namespace {

// The frame around the page, in pixels.
constexpr int kMargin = 7;       // window edge to tab control, and tab control to buttons
constexpr int kTabHeight = 22;   // the row of tab captions
constexpr int kPagePadding = 6;  // tab control edge to page
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;

// The tab control around the page. The keyboard passes through it into the
// page, so that Tab from the last button comes back to the page's first field.
class PageTabs final : public Fl_Tabs {
public:
    using Fl_Tabs::Fl_Tabs;
    int handle(int event) override {
        if (event == FL_FOCUS) return Fl_Group::handle(event);
        return Fl_Tabs::handle(event);
    }
};

}  // namespace

PropertyFrame::PropertyFrame(pp1& page, std::function<void()> saved) : page_model_(page), saved_(std::move(saved)) {
    const int page_w = twips_to_pixels(kPageWidthTwips);
    const int page_h = twips_to_pixels(kPageHeightTwips);
    const int tabs_w = page_w + 2 * kPagePadding;
    const int tabs_h = kTabHeight + page_h + 2 * kPagePadding;
    const int buttons_y = kMargin + tabs_h + kMargin;
    const int window_w = kMargin + tabs_w + kMargin;
    const int window_h = buttons_y + kButtonHeight + kMargin;

    window_ = std::make_unique<Fl_Double_Window>(window_w, window_h, kFrameCaption);
    window_->callback(on_cancel, this);  // closing the frame cancels it

    tabs_ = new PageTabs(kMargin, kMargin, tabs_w, tabs_h);
    auto* tab = new Fl_Group(kMargin, kMargin + kTabHeight, tabs_w, tabs_h - kTabHeight, kPageCaption);
    page_ = new Fl_Group(kMargin + kPagePadding, kMargin + kTabHeight + kPagePadding, page_w, page_h);
    layout_ = page_model_.page_controls();
    controls_.assign(layout_.size(), nullptr);
    for (std::size_t i = 0; i < layout_.size(); ++i) {
        const PageControl& c = layout_[i];
        const int x = page_->x() + twips_to_pixels(c.left);
        const int y = page_->y() + twips_to_pixels(c.top);
        const int w = twips_to_pixels(c.width);
        const int h = twips_to_pixels(c.height);
        Fl_Widget* widget = nullptr;
        switch (c.kind) {
            case PageControlKind::CheckBox: widget = new Fl_Check_Button(x, y, w, h, c.caption); break;
            case PageControlKind::Label:
                widget = new Fl_Box(x, y, w, h, c.caption);
                widget->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
                break;
            case PageControlKind::TextBox: {
                auto* input = new Fl_Input(x, y, w, h);
                input->when(FL_WHEN_CHANGED);
                widget = input;
                break;
            }
        }
        if (c.kind != PageControlKind::Label) widget->callback(on_field, this);
        controls_[i] = widget;
    }
    page_->end();
    tab->end();
    tabs_->end();

    int x = kMargin + tabs_w - 3 * kButtonWidth - 2 * kButtonGap;
    ok_ = new Fl_Button(x, buttons_y, kButtonWidth, kButtonHeight, "OK");
    ok_->callback(on_ok, this);
    x += kButtonWidth + kButtonGap;
    cancel_ = new Fl_Button(x, buttons_y, kButtonWidth, kButtonHeight, "Cancel");
    cancel_->callback(on_cancel, this);
    x += kButtonWidth + kButtonGap;
    apply_ = new Fl_Button(x, buttons_y, kButtonWidth, kButtonHeight, "&Apply");
    apply_->callback(on_apply, this);
    window_->end();

    page_model_.on_changed = [this] { sync_apply_button(); };
    show_fields();
}

PropertyFrame::~PropertyFrame() { page_model_.on_changed = nullptr; }

Fl_Widget* PropertyFrame::control(std::string_view name) const {
    for (std::size_t i = 0; i < layout_.size(); ++i) {
        if (name == layout_[i].name) return controls_[i];
    }
    return nullptr;
}

void PropertyFrame::show_fields() {
    for (std::size_t i = 0; i < layout_.size(); ++i) {
        const PageControl& c = layout_[i];
        const std::string value = page_model_.value_of(c.name);
        if (c.kind == PageControlKind::TextBox) {
            static_cast<Fl_Input*>(controls_[i])->value(value.data(), static_cast<int>(value.size()));
        } else if (c.kind == PageControlKind::CheckBox) {
            static_cast<Fl_Check_Button*>(controls_[i])->value(value == "1");
        }
    }
    sync_apply_button();
}

void PropertyFrame::sync_apply_button() {
    if (page_model_.Changed() || unsaved_) {
        apply_->activate();
    } else {
        apply_->deactivate();
    }
}

bool PropertyFrame::apply() {
    try {
        if (page_model_.Changed()) page_model_.ApplyChanges();
        unsaved_ = true;
        if (saved_) saved_();
        unsaved_ = false;
    } catch (const prjVireo::VbError& e) {
        fl_alert("Error %d: %s", e.number(), e.what());
    } catch (const std::exception& e) {
        fl_alert("%s", e.what());
    }
    sync_apply_button();
    return !page_model_.Changed() && !unsaved_;
}

void PropertyFrame::on_field(Fl_Widget* w, void* data) {
    auto* frame = static_cast<PropertyFrame*>(data);
    for (std::size_t i = 0; i < frame->layout_.size(); ++i) {
        if (frame->controls_[i] != w) continue;
        const PageControl& c = frame->layout_[i];
        if (c.kind == PageControlKind::TextBox) {
            auto* input = static_cast<Fl_Input*>(w);
            frame->page_model_.edit(c.name, std::string(input->value(), static_cast<std::size_t>(input->size())));
        } else {
            frame->page_model_.edit(c.name, static_cast<Fl_Check_Button*>(w)->value() ? "1" : "0");
        }
    }
    frame->sync_apply_button();
}

void PropertyFrame::on_ok(Fl_Widget*, void* data) {
    auto* frame = static_cast<PropertyFrame*>(data);
    if ((frame->page_model_.Changed() || frame->unsaved_) && !frame->apply()) return;
    frame->window_->hide();
}

void PropertyFrame::on_cancel(Fl_Widget*, void* data) { static_cast<PropertyFrame*>(data)->window_->hide(); }

void PropertyFrame::on_apply(Fl_Widget*, void* data) { static_cast<PropertyFrame*>(data)->apply(); }

void PropertyFrame::run() {
    window_->set_modal();
    window_->show();
    while (window_->shown()) Fl::wait();
}

}  // namespace vireo_ui
