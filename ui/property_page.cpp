#include "vireo/ui/property_page.h"

#include "vireo/control/vireo.h"
#include "vireo/core/errors.h"

namespace vireo_ui {

using prjVireo::Variant;
using prjVireo::VbError;

pp1::Selection pp1::selection_of(const std::vector<prjVireo::basic_vireo*>& controls) {
    Selection selection;
    for (prjVireo::basic_vireo* control : controls) {
        selection.push_back(std::make_shared<prjVireo::ControlDispatch>(*control));
    }
    return selection;
}

std::vector<PageControl> pp1::page_controls() const {
    std::vector<PageControl> controls(kPageControls.begin(), kPageControls.end());
    if (repetition_separator_) {
        controls.insert(controls.end(), kRepetitionSeparatorControls.begin(), kRepetitionSeparatorControls.end());
    }
    return controls;
}

void pp1::SelectedControls(Selection selection) {
    selection_ = std::move(selection);
    SelectionChanged();
}

prjVireo::Dispatch& pp1::first_selected() const {
    if (selection_.empty() || !selection_.front()) throw VbError(prjVireo::vbErrObjectNotSet, "no control is selected");
    return *selection_.front();
}

void pp1::SelectionChanged() {
    prjVireo::Dispatch& control = first_selected();
    // A Boolean property is true as -1; only its lowest bit checks the box.
    chkAnnotation = control.get("Annotation").to_long() & 1;
    txtSegmentCount = control.get("SegCount").to_string();
    txtSegmentTerminator = control.get("SegmentTerminator").to_string();
    txtSubelementSeparator = control.get("SubelementSeparator").to_string();
    txtDataElementSeparator = control.get("DataElementSeparator").to_string();
    txtFilename = control.get("Filename").to_string();
    chkErrorTrap = control.get("ErrorTrap").to_long() & 1;
    // Only a control whose interchange header has a repetition separator knows the name.
    try {
        control.GetIDOfName("RepetitionSeparator");
        repetition_separator_ = true;
    } catch (const VbError&) {
        repetition_separator_ = false;
    }
    txtRepetitionSeparator = repetition_separator_ ? control.get("RepetitionSeparator").to_string() : std::string();
    changed_ = false;
}

void pp1::ApplyChanges() {
    prjVireo::Dispatch& control = first_selected();
    control.put("Annotation", Variant::boolean(chkAnnotation == vbChecked));
    control.put("SegCount", Variant(txtSegmentCount));
    control.put("SegmentTerminator", Variant(txtSegmentTerminator));
    control.put("SubelementSeparator", Variant(txtSubelementSeparator));
    control.put("DataElementSeparator", Variant(txtDataElementSeparator));
    control.put("Filename", Variant(txtFilename));
    control.put("ErrorTrap", Variant::boolean(chkErrorTrap == vbChecked));
    if (repetition_separator_) control.put("RepetitionSeparator", Variant(txtRepetitionSeparator));
    changed_ = false;
}

void pp1::mark_changed() {
    const bool was_changed = changed_;
    changed_ = true;
    if (!was_changed && on_changed) on_changed();
}

namespace {

struct TextField {
    const char* name;
    std::string pp1::* field;
    void (pp1::*change)();
};
constexpr TextField kTextFields[] = {
    {"txtFilename", &pp1::txtFilename, &pp1::txtFilename_Change},
    {"txtDataElementSeparator", &pp1::txtDataElementSeparator, &pp1::txtDataElementSeparator_Change},
    {"txtSubelementSeparator", &pp1::txtSubelementSeparator, &pp1::txtSubelementSeparator_Change},
    {"txtSegmentTerminator", &pp1::txtSegmentTerminator, &pp1::txtSegmentTerminator_Change},
    {"txtSegmentCount", &pp1::txtSegmentCount, &pp1::txtSegmentCount_Change},
    {"txtRepetitionSeparator", &pp1::txtRepetitionSeparator, &pp1::txtRepetitionSeparator_Change},
};

struct CheckField {
    const char* name;
    int pp1::* field;
    void (pp1::*click)();
};
constexpr CheckField kCheckFields[] = {
    {"chkErrorTrap", &pp1::chkErrorTrap, &pp1::chkErrorTrap_Click},
    {"chkAnnotation", &pp1::chkAnnotation, &pp1::chkAnnotation_Click},
};

}  // namespace

void pp1::edit(std::string_view control, const std::string& value) {
    for (const auto& f : kTextFields) {
        if (control == f.name && (repetition_separator_ || control != "txtRepetitionSeparator")) {
            this->*f.field = value;
            (this->*f.change)();
            return;
        }
    }
    for (const auto& f : kCheckFields) {
        if (control == f.name) {
            if (value != "0" && value != "1" && value != "2") {
                throw VbError(prjVireo::vbErrInvalidPropertyValue,
                              std::string(control) + " takes 0 (unchecked), 1 (checked) or 2 (greyed), not \"" +
                                  value + "\"");
            }
            this->*f.field = value[0] - '0';
            (this->*f.click)();
            return;
        }
    }
    throw VbError(prjVireo::vbErrInvalidPropertyValue,
                  "the page has no input field \"" + std::string(control) + "\"");
}

std::string pp1::value_of(std::string_view control) const {
    for (const auto& f : kTextFields) {
        if (control == f.name) return this->*f.field;
    }
    for (const auto& f : kCheckFields) {
        if (control == f.name) return std::to_string(this->*f.field);
    }
    return "";
}

}  // namespace vireo_ui
