#include "vireo/control/control.h"

#include <exception>
#include <utility>

#include "vireo/control/members.h"

#include "vireo/core/bookkeeping.h"
#include "vireo/core/errors.h"
#include "vireo/core/output_files.h"
#include "vireo/core/segment.h"

namespace prjVireo {
namespace {

AboutBoxFactory g_about_box_factory = nullptr;

// Runs a step of an operation of the control under the ErrorTrap rule of the
// thread's writer state.
template <class Step>
void guarded(Step&& step) {
    run_under_error_trap(writer_state().trapping(), std::forward<Step>(step));
}

}  // namespace

void set_about_box_factory(AboutBoxFactory factory) { g_about_box_factory = factory; }

basic_vireo::basic_vireo(const catalogue::Catalogue& catalogue) : catalogue_(catalogue) {
    writer_state();
    members_.resize(catalogue_.slots().size());
    for (std::size_t i = 0; i < members_.size(); ++i) hold(members_[i], catalogue_.slots()[i].make());
}

basic_vireo::~basic_vireo() {
    // Assigns none to every member in slot order; the writer state stays as it is.
    for (auto& member : members_) hold(member, nullptr);
}

void basic_vireo::hold(std::shared_ptr<SegmentObject>& member, std::shared_ptr<SegmentObject> object) {
    if (member == object) return;
    if (member) member->remove_forwarder(this);
    if (object) object->add_forwarder(this);
    member = std::move(object);
}

std::shared_ptr<SegmentObject> basic_vireo::member(std::size_t slot) const {
    state("member");
    return members_.at(slot);
}

void basic_vireo::set_member(std::size_t slot, std::shared_ptr<SegmentObject> object) {
    state("set_member");
    const auto& s = catalogue_.slots().at(slot);
    if (object && &object->descriptor() != s.segment_class) {
        throw VbError(vbErrTypeMismatch, std::string(s.property) + " takes an object of class " +
                                             s.segment_class->name + ", not " +
                                             object->descriptor().name);
    }
    hold(members_[slot], std::move(object));
}

// ---- properties ----

std::int16_t basic_vireo::ErrorTrap() const { return state("ErrorTrap").error_trap; }
void basic_vireo::ErrorTrap(std::int16_t value) { state("ErrorTrap").error_trap = value; }

std::string basic_vireo::Filename() const { return state("Filename").file_name; }
void basic_vireo::Filename(const std::string& value) {
    WriterState& ws = state("Filename");
    guarded([&] { ws.file_name = value; });
}

std::string basic_vireo::DataElementSeparator() const { return state("DataElementSeparator").element_separator.text(); }
void basic_vireo::DataElementSeparator(const std::string& value) {
    WriterState& ws = state("DataElementSeparator");
    guarded([&] { ws.element_separator.assign(value); });
}

std::string basic_vireo::SubelementSeparator() const { return state("SubelementSeparator").component_separator.text(); }
void basic_vireo::SubelementSeparator(const std::string& value) {
    WriterState& ws = state("SubelementSeparator");
    guarded([&] { ws.component_separator.assign(value); });
}

std::string basic_vireo::SegmentTerminator() const { return state("SegmentTerminator").segment_terminator.text(); }
void basic_vireo::SegmentTerminator(const std::string& value) {
    WriterState& ws = state("SegmentTerminator");
    guarded([&] { ws.segment_terminator.assign(value); });
}

std::string basic_vireo::RepetitionSeparator() const {
    return repetition_state("RepetitionSeparator").repetition_separator.text();
}
void basic_vireo::RepetitionSeparator(const std::string& value) {
    WriterState& ws = repetition_state("RepetitionSeparator");
    guarded([&] {
        ws.repetition_separator.assign(value);
        ws.has_repetition_separator = true;
    });
}

WriterState& basic_vireo::repetition_state(const char* member) const {
    WriterState& ws = state(member);
    if (!catalogue_.has_repetition_separator()) {
        throw VbError(vbErrNotSupported, std::string(member) + ": the " + std::string(catalogue_.name()) +
                                             " control has no repetition separator; its interchange header declares "
                                             "none (use a control of a catalogue whose header does, such as "
                                             "005010X222A1)");
    }
    return ws;
}

std::string basic_vireo::SegCount() const { return std::to_string(state("SegCount").segment_count); }
void basic_vireo::SegCount(const std::string& value) {
    WriterState& ws = state("SegCount");
    guarded([&] { ws.segment_count = text_to_long(value); });
}

NewLineValues basic_vireo::NewLine() const { return static_cast<NewLineValues>(state("NewLine").new_line); }
void basic_vireo::NewLine(NewLineValues value) { state("NewLine").new_line = static_cast<std::int32_t>(value); }

std::int16_t basic_vireo::Annotation() const { return state("Annotation").annotation; }
void basic_vireo::Annotation(std::int16_t value) { state("Annotation").annotation = value; }

bool basic_vireo::StrictValues() const { return state("StrictValues").strict_values; }
void basic_vireo::StrictValues(bool on) { state("StrictValues").strict_values = on; }

bool basic_vireo::AutoBookkeeping() const { return state("AutoBookkeeping").bookkeeper != nullptr; }
void basic_vireo::AutoBookkeeping(bool on) { set_auto_bookkeeping(state("AutoBookkeeping"), on); }

// ---- methods ----

void basic_vireo::OpenFile() {
    std::string path;
    OpenFile(path);
}

void basic_vireo::OpenFile(std::string& FilePath) {
    WriterState& ws = state("OpenFile");
    // Segments held for HL04 belong to the file open now.
    release_bookkeeping(ws);
    guarded([&] {
        if (FilePath.empty()) FilePath = ws.file_name;
    });
    guarded([&] { ws.file_number = files::next_free_number(); });
    guarded([&] { files::open_for_output(ws.file_number, FilePath); });
    if (ws.watcher && files::find(ws.file_number)) ws.watcher->file_opened(FilePath);
}

void basic_vireo::OpenFile(const std::string& FilePath) {
    std::string path = FilePath;
    OpenFile(path);
}

void basic_vireo::CloseFile() {
    WriterState& ws = state("CloseFile");
    // Segments held for HL04 are written before the file closes; the file
    // closes even when one of them fails, whose error follows.
    std::exception_ptr held_error;
    try {
        release_bookkeeping(ws);
    } catch (...) {
        held_error = std::current_exception();
    }
    if (ws.watcher && files::find(ws.file_number)) ws.watcher->file_closing();
    files::close(ws.file_number);
    if (held_error) std::rethrow_exception(held_error);
}

std::string basic_vireo::Date_to_CCYYMMDD(std::chrono::year_month_day inDate) const {
    state("Date_to_CCYYMMDD");
    std::string result;
    guarded([&] {
        if (!inDate.ok()) throw VbError(vbErrInvalidProcedureCall, "not a valid date");
        result = prjVireo::Date_to_CCYYMMDD(inDate);
    });
    return result;
}

void basic_vireo::ShowAboutBox() {
    WriterState& ws = state("ShowAboutBox");
    guarded([&] {
        if (!ws.about_box) {
            if (!g_about_box_factory) {
                throw VbError(vbErrNotSupported, "no About box is available in this program");
            }
            ws.about_box = g_about_box_factory();
        }
    });
    guarded([&] {
        if (ws.about_box) ws.about_box->ShowModal();
    });
    guarded([&] {
        if (ws.about_box) ws.about_box->Unload();
    });
    ws.about_box.reset();
}

std::string basic_vireo::StringToHex(const std::string& value) const {
    state("StringToHex");
    return prjVireo::StringToHex(value);
}

// ---- persistence ----

// The persisted properties the control has, in their places (control/members.def): each read
// as its key's value or, when none is saved, its initial value; each written
// unless it has that value.
void basic_vireo::ReadProperties(PropertyBag& bag) {
    state("ReadProperties");
    for (const members::Property* p : members::settings(catalogue_)) {
        if (p->persisted) members::put(*this, *p, bag.ReadProperty(p->persisted, members::initial_value(*p)));
    }
}

void basic_vireo::WriteProperties(PropertyBag& bag) const {
    state("WriteProperties");
    for (const members::Property* p : members::settings(catalogue_)) {
        if (p->persisted) bag.WriteProperty(p->persisted, members::get(*this, *p), members::initial_value(*p));
    }
}

void basic_vireo::Resize(std::int32_t, std::int32_t) {
    width_ = 500;
    height_ = 500;
}

}  // namespace prjVireo
