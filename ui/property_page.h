#pragma once
// pp1: the control's property page without its window. It shows and edits
// seven properties of the first selected control through that control's
// dispatch interface (eight for a control with a repetition separator, 5010's
// fourth delimiter), and keeps nothing of its own but its input fields.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vireo/control/dispatch.h"

namespace prjVireo {
class basic_vireo;
}

namespace vireo_ui {

// Values of a check box.
enum CheckBoxValue : int { vbUnchecked = 0, vbChecked = 1, vbGrayed = 2 };

// The page's size and its controls, in tab order, with their places in twips.
inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kPageWidthTwips = 5925;
inline constexpr int kPageHeightTwips = 3495;
// Twips to pixels, to the nearest pixel.
constexpr int twips_to_pixels(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

enum class PageControlKind { CheckBox, Label, TextBox };

struct PageControl {
    const char* name;
    PageControlKind kind;
    const char* caption;
    int left, top, width, height;  // twips
    const char* property;          // the control property it edits, or "" for a label
};

inline constexpr std::array<PageControl, 12> kPageControls{{
    {"chkErrorTrap", PageControlKind::CheckBox, "ErrorTrap", 90, 120, 2700, 285, "ErrorTrap"},
    {"lblFilename", PageControlKind::Label, "Filename:", 90, 770, 2700, 240, ""},
    {"txtFilename", PageControlKind::TextBox, "", 90, 1020, 2700, 330, "Filename"},
    {"lblDataElementSeparator", PageControlKind::Label, "DataElementSeparator:", 90, 1420, 2700, 240, ""},
    {"txtDataElementSeparator", PageControlKind::TextBox, "", 90, 1670, 2700, 330, "DataElementSeparator"},
    {"lblSubelementSeparator", PageControlKind::Label, "SubelementSeparator:", 90, 2070, 2700, 240, ""},
    {"txtSubelementSeparator", PageControlKind::TextBox, "", 90, 2320, 2700, 330, "SubelementSeparator"},
    {"lblSegmentTerminator", PageControlKind::Label, "SegmentTerminator:", 90, 2720, 2700, 240, ""},
    {"txtSegmentTerminator", PageControlKind::TextBox, "", 90, 2970, 2700, 330, "SegmentTerminator"},
    {"lblSegmentCount", PageControlKind::Label, "SegmentCount:", 3000, 120, 2700, 240, ""},
    {"txtSegmentCount", PageControlKind::TextBox, "", 3000, 370, 2700, 330, "SegCount"},
    {"chkAnnotation", PageControlKind::CheckBox, "Annotation", 3000, 770, 2700, 285, "Annotation"},
}};

// The fourth delimiter's field, after the others, for a control that has it.
inline constexpr std::array<PageControl, 2> kRepetitionSeparatorControls{{
    {"lblRepetitionSeparator", PageControlKind::Label, "RepetitionSeparator:", 3000, 1420, 2700, 240, ""},
    {"txtRepetitionSeparator", PageControlKind::TextBox, "", 3000, 1670, 2700, 330, "RepetitionSeparator"},
}};

// The caption of the page and of the frame that shows it.
inline constexpr const char* kPageCaption = "vireo";
inline constexpr const char* kFrameCaption = "vireo Properties";

class pp1 {
public:
    // The selected controls, each through its dispatch interface.
    using Selection = std::vector<std::shared_ptr<prjVireo::Dispatch>>;
    // A selection of controls, first one first. The controls must outlive it.
    static Selection selection_of(const std::vector<prjVireo::basic_vireo*>& controls);
    // The page's controls for the first selected control, in tab order:
    // kPageControls, then kRepetitionSeparatorControls when it has the property.
    std::vector<PageControl> page_controls() const;

    // The environment's page protocol.
    // Sets the selection and shows the first control's values.
    void SelectedControls(Selection selection);
    const Selection& SelectedControls() const { return selection_; }
    // Fills the fields from the first selected control; the page is then unchanged.
    void SelectionChanged();
    // Writes the fields to the first selected control. A property that refuses
    // its value (only when the control's ErrorTrap is set) stops the apply with
    // that VbError and the page stays changed.
    void ApplyChanges();
    // True once the user edited a field since the last showing or apply.
    bool Changed() const { return changed_; }
    // Told whenever the page becomes changed (the frame enables Apply).
    std::function<void()> on_changed;

    // The input fields.
    int chkErrorTrap = vbUnchecked;
    std::string txtFilename;
    std::string txtDataElementSeparator;
    std::string txtSubelementSeparator;
    std::string txtSegmentTerminator;
    std::string txtSegmentCount;
    int chkAnnotation = vbUnchecked;
    std::string txtRepetitionSeparator;  // shown for a control that has the property

    // Change events: the user clicked a check box or edited a text box.
    void chkErrorTrap_Click() { mark_changed(); }
    void chkAnnotation_Click() { mark_changed(); }
    void txtFilename_Change() { mark_changed(); }
    void txtDataElementSeparator_Change() { mark_changed(); }
    void txtSubelementSeparator_Change() { mark_changed(); }
    void txtSegmentTerminator_Change() { mark_changed(); }
    void txtSegmentCount_Change() { mark_changed(); }
    void txtRepetitionSeparator_Change() { mark_changed(); }

    // A user edit by control name: stores the value ("0", "1" or "2" for a
    // check box) and raises that control's change event. VbError 380 for a
    // name that is not an input field or a check box value out of range.
    void edit(std::string_view control, const std::string& value);
    // A field's value as text, by control name ("" for a label).
    std::string value_of(std::string_view control) const;

private:
    prjVireo::Dispatch& first_selected() const;
    void mark_changed();

    Selection selection_;
    bool changed_ = false;
    bool repetition_separator_ = false;  // the first selected control has RepetitionSeparator
};

}  // namespace vireo_ui
