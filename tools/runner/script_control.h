#pragma once
// The control a run drives: a new control of the run's catalogue, loaded from
// an empty property bag, with the names of its segment object properties and
// their fields, and the segment objects that steps clear, fill and add.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vireo/control/control.h"
#include "vireo/control/dispatch.h"
#include "vireo/tools/runner/script_names.h"
#include "vireo/tools/runner/script_runner.h"

namespace vireo_runner {

class ScriptControl {
public:
    // A control just placed on a form: delimiters, NewLine, Annotation and
    // ErrorTrap as an empty property bag leaves them, SegCount 0, and
    // StrictValues and AutoBookkeeping as the options say until the control
    // is gone.
    ScriptControl(const RunOptions& options, const prjVireo::catalogue::Catalogue& catalogue);
    ~ScriptControl();
    ScriptControl(const ScriptControl&) = delete;
    ScriptControl& operator=(const ScriptControl&) = delete;

    prjVireo::basic_vireo& control() { return control_; }
    prjVireo::ControlDispatch& dispatch() { return dispatch_; }
    const prjVireo::catalogue::Catalogue& catalogue() const { return catalogue_; }
    const CatalogueIndexes& indexes() const { return indexes_; }

    // The segment object of a slot, fetched once: fields are set and Clear and
    // Additem called on it directly. The control's members do not change
    // during a run (no step replaces one).
    prjVireo::SegmentObject& segment(std::size_t slot) {
        prjVireo::SegmentObject*& cached = segments_[slot];
        if (!cached) cached = fetch(slot);
        return *cached;
    }

    // Additem, counting the segment when it reached the output: an Additem
    // that wrote nothing (passed over under ErrorTrap false) is not a segment.
    void additem(std::size_t slot);
    std::uint64_t segments_written() const;

    // AutoBookkeeping of the control; off again when the control is gone.
    void auto_bookkeeping(bool on);

    // Calls a method of the control by name, as late binding does.
    void call(std::string_view method);

    // Bytes written to the run's output so far.
    static std::uint64_t output_size();

    // The slot of a segment object property; `verbs_allowed` when a step verb
    // could stand where the name stands (the suggestions include them).
    std::size_t resolve_slot(std::string_view name, bool verbs_allowed) const;
    // The field of a slot's class named `name`.
    std::size_t resolve_field(std::size_t slot, std::string_view name) const;

    std::string slot_name(std::size_t slot) const;
    const prjVireo::FieldDescriptor& field(std::size_t slot, std::size_t field) const;
    std::size_t field_count(std::size_t slot) const;
    // "L1_ST_00.m02_TransSetControlNum": a field as messages name it.
    std::string field_where(std::size_t slot, std::size_t field) const;

private:
    prjVireo::SegmentObject* fetch(std::size_t slot);

    const prjVireo::catalogue::Catalogue& catalogue_;
    const CatalogueIndexes& indexes_;
    prjVireo::basic_vireo control_;
    prjVireo::ControlDispatch dispatch_;
    std::vector<prjVireo::SegmentObject*> segments_;
    std::uint64_t segments_written_ = 0;
    bool strict_before_ = false;
    bool auto_before_ = false;
    // Segments written by automatic bookkeeping before it was switched on here.
    std::uint64_t bookkept_before_ = 0;
};

}  // namespace vireo_runner
