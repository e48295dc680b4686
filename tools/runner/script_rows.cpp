#include "vireo/tools/runner/script_rows.h"

#include <algorithm>

#include "vireo/tools/runner/script_control.h"
#include "vireo/tools/runner/script_messages.h"

namespace vireo_runner {

RowForm::RowForm(ScriptControl& control) : control_(control), fields_(control.catalogue().slots().size()) {}

void RowForm::begin_columns(std::size_t slot) {
    columns_slot_ = slot;
    fields_[slot].emplace().clear();
}

void RowForm::add_column(const Scalar& name) {
    if (name.type != Scalar::String) {
        throw RunError("\"columns\" names fields with strings, not " + std::string(name.type_name()));
    }
    const std::size_t field = control_.resolve_field(columns_slot_, name.text);
    std::vector<std::size_t>& columns = *fields_[columns_slot_];
    // A field named twice would take two values of each row, and keep only the last.
    if (std::find(columns.begin(), columns.end(), field) != columns.end()) {
        throw RunError("\"columns\" names " + control_.field_where(columns_slot_, field) + " twice for " +
                       control_.slot_name(columns_slot_) + "; a row sets each field once");
    }
    columns.push_back(field);
}

// The first value names the segment object property (Clear), each other one
// sets the next column's field.
void RowForm::value(const Scalar& v) {
    if (values_++ == 0) {
        if (v.type != Scalar::String) {
            throw RunError("a row begins with a segment object property name, not " + std::string(v.type_name()));
        }
        slot_ = control_.resolve_slot(v.text, false);
        if (!fields_[slot_]) {
            throw RunError("no \"columns\" step has named the fields of a " + json_quoted(control_.slot_name(slot_)) +
                           " row");
        }
        control_.segment(slot_).Clear();
        return;
    }
    const std::vector<std::size_t>& columns = *fields_[slot_];
    if (values_ - 1 > columns.size()) {
        throw RunError("the row has more values than the " + std::to_string(columns.size()) + " columns of " +
                       control_.slot_name(slot_));
    }
    set_field(control_, slot_, columns[values_ - 2], v);
}

void RowForm::end_row() {
    if (values_ == 0) throw RunError("a row is empty: it begins with a segment object property");
    const std::size_t columns = fields_[slot_]->size();
    if (values_ - 1 < columns) {
        throw RunError("the row has " + std::to_string(values_ - 1) + " values for the " + std::to_string(columns) +
                       " columns of " + control_.slot_name(slot_));
    }
    control_.additem(slot_);
}

std::string RowForm::value_text() const {
    if (values_ == 0) return "a row begins with a segment object property name";
    return "a row holds values";
}

}  // namespace vireo_runner
