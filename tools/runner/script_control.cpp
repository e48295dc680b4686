#include "vireo/tools/runner/script_control.h"

#include "vireo/core/bookkeeping.h"
#include "vireo/core/output_files.h"
#include "vireo/tools/runner/script_messages.h"

namespace vireo_runner {

using namespace prjVireo;

ScriptControl::ScriptControl(const RunOptions& options, const catalogue::Catalogue& catalogue)
    : catalogue_(catalogue),
      indexes_(indexes_of(catalogue_)), control_(catalogue_), dispatch_(control_),
      segments_(catalogue_.slots().size()) {
    TextPropertyBag empty;
    control_.ReadProperties(empty);
    control_.ErrorTrap(0);
    control_.SegCount("0");
    strict_before_ = control_.StrictValues();
    control_.StrictValues(options.strict);
    auto_before_ = control_.AutoBookkeeping();
    if (options.auto_bookkeeping) auto_bookkeeping(true);
}

ScriptControl::~ScriptControl() {
    control_.StrictValues(strict_before_);
    // The run closed its output, which wrote whatever was held; anything
    // still held now belongs to a run that failed and writes nothing.
    try {
        control_.AutoBookkeeping(auto_before_);
    } catch (...) {
    }
}

void ScriptControl::auto_bookkeeping(bool on) {
    control_.AutoBookkeeping(on);
    if (const Bookkeeper* b = writer_state().bookkeeper.get()) bookkept_before_ = b->written();
}

std::uint64_t ScriptControl::segments_written() const {
    // Bookkeeping holds the segments of an HL and writes them with a later
    // step: it counts what reached the file itself.
    if (const Bookkeeper* b = writer_state().bookkeeper.get()) return segments_written_ + b->written() - bookkept_before_;
    return segments_written_;
}

SegmentObject* ScriptControl::fetch(std::size_t slot) {
    SegmentObject* object = control_.member(slot).get();
    if (!object) throw RunError(std::string(catalogue_.slots()[slot].property) + " holds no object");
    return object;
}

void ScriptControl::additem(std::size_t slot) {
    if (writer_state().bookkeeper) return segment(slot).Additem();
    const std::uint64_t before = output_size();
    segment(slot).Additem();
    if (output_size() != before) ++segments_written_;
}

void ScriptControl::call(std::string_view method) {
    std::vector<Variant> none;
    dispatch_.Invoke(dispatch_.GetIDOfName(method), InvokeKind::Method, none);
}

std::uint64_t ScriptControl::output_size() {
    const files::OutputFile* file = files::find(writer_state().file_number);
    return file ? file->size() : 0;
}

std::size_t ScriptControl::resolve_slot(std::string_view name, bool verbs_allowed) const {
    if (auto slot = indexes_.slots.find(name)) return *slot;
    std::vector<std::string_view> candidates = indexes_.slots.names;
    std::string message = quoted_excerpt(name) + " is not a segment object property";
    if (verbs_allowed) {
        candidates.insert(candidates.end(), {kSet, kClear, kAssign, kAdditem});
        message += " nor a step verb (set, clear, assign, additem)";
    }
    // A class name stands for the one property that holds its object.
    if (const catalogue::Slot* slot = catalogue_.find_slot(name)) {
        throw RunError(message + " (did you mean " + json_quoted(slot->property) + "?)");
    }
    throw RunError(message + did_you_mean(name, candidates));
}

std::size_t ScriptControl::resolve_field(std::size_t slot, std::string_view k) const {
    const auto& ix = indexes_.fields[slot];
    const auto field = ix.find(k);
    if (!field) {
        throw RunError(std::string(catalogue_.slots()[slot].segment_class->name) + " has no field " +
                       quoted_excerpt(k) + suggest_field(k, ix.names));
    }
    return *field;
}

std::string ScriptControl::slot_name(std::size_t slot) const { return std::string(catalogue_.slots()[slot].property); }

const FieldDescriptor& ScriptControl::field(std::size_t slot, std::size_t field) const {
    return catalogue_.slots()[slot].segment_class->fields[field];
}

std::size_t ScriptControl::field_count(std::size_t slot) const {
    return catalogue_.slots()[slot].segment_class->field_count;
}

std::string ScriptControl::field_where(std::size_t slot, std::size_t field) const {
    return std::string(catalogue_.slots()[slot].segment_class->name) + "." + this->field(slot, field).name;
}

}  // namespace vireo_runner
