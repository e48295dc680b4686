#pragma once
// The row form of a segment step: a "columns" step names, for a segment object
// property, the fields its rows set and their order; a row
// ["property", value, ...] then clears that property's object, sets those
// fields from its values and adds the segment.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "vireo/tools/runner/script_values.h"

namespace vireo_runner {

class ScriptControl;

class RowForm {
public:
    explicit RowForm(ScriptControl& control);

    // A "columns" list for `slot` begins: it replaces the one the slot had.
    void begin_columns(std::size_t slot);
    // A field name of that list.
    void add_column(const Scalar& name);

    // A row begins; each of its values; it ends, and its segment is added.
    void begin_row() { values_ = 0; }
    void value(const Scalar& v);
    void end_row();

    // What a row holds at the place of a value, for messages.
    std::string value_text() const;

private:
    ScriptControl& control_;
    // The fields of each slot's rows, in order, as its last "columns" step named them.
    std::vector<std::optional<std::vector<std::size_t>>> fields_;
    std::size_t columns_slot_ = 0;  // the slot whose list is being named
    std::size_t slot_ = 0;          // the current row's slot
    std::size_t values_ = 0;        // values of the current row so far, its property name included
};

}  // namespace vireo_runner
