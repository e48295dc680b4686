#include "vireo/checker/guide_checker.h"

#include <cstdio>
#include <optional>

#include "vireo/checker/engine.h"
#include "vireo/control/control.h"
#include "vireo/core/errors.h"
#include "vireo/core/output_files.h"
#include "vireo/core/text.h"
#include "vireo/core/writer_state.h"
#include "vireo/guide/guide.h"

namespace prjVireo {

namespace {

const char* severity_name(Finding::Severity s) { return s == Finding::Severity::Error ? "error" : "warning"; }

// The number of characters of a UTF-8 text.
std::size_t characters(std::string_view utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}

}  // namespace

std::string format_finding(const Finding& f) {
    std::string out = f.file + ":" + std::to_string(f.segment) + ": ";
    if (!f.loop.empty() || !f.segment_id.empty()) {
        out += f.loop;
        if (!f.segment_id.empty()) {
            if (!f.loop.empty()) out += ' ';
            out += f.segment_id;
            if (!f.element.empty()) out += "[" + f.element + "]";
        }
        out += ": ";
    }
    out += severity_name(f.severity);
    out += ": ";
    out += f.message;
    return printable(out);
}

std::string finding_json(const Finding& f) {
    std::string out = "{\"file\": ";
    text::append_json_string(out, f.file, text::JsonNonAscii::Escape);
    out += ", \"segment\": " + std::to_string(f.segment) + ", \"loop\": ";
    text::append_json_string(out, f.loop, text::JsonNonAscii::Escape);
    out += ", \"segment_id\": ";
    text::append_json_string(out, f.segment_id, text::JsonNonAscii::Escape);
    out += ", \"element\": ";
    text::append_json_string(out, f.element, text::JsonNonAscii::Escape);
    out += ", \"severity\": ";
    text::append_json_string(out, severity_name(f.severity), text::JsonNonAscii::Escape);
    out += ", \"rule\": ";
    text::append_json_string(out, f.rule, text::JsonNonAscii::Escape);
    out += ", \"message\": ";
    text::append_json_string(out, f.message, text::JsonNonAscii::Escape);
    out += "}";
    return out;
}

// The checker's state. A segment's begin and end reach the checker through
// the writer state, whose Additem keeps a plain pointer to it in between, while
// BeforeAdd handlers run: each segment begun holds the state until it ends, so
// that a handler may destroy the GuideChecker meanwhile.
class GuideChecker::Impl final : public checking::FindingSink,
                                 public SegmentWatcher,
                                 public std::enable_shared_from_this<Impl> {
public:
    explicit Impl(CheckOptions options)
        : options_(std::move(options)),
          engine_(*this, options_.guide ? *options_.guide : guide::professional_4010(), options_.guide != nullptr) {}
    ~Impl() { detach(); }

    // Files read are checked against the guide of the options, or each
    // group's GS08 chooses.
    void reading_guide() {
        engine_.use_guide(options_.guide ? *options_.guide : guide::professional_4010(), options_.guide != nullptr);
    }

    // The GuideChecker is destroyed: detached, it reports nothing more.
    void close() {
        detach();
        closed_ = true;
    }

    // on_finding is host code, called in the middle of the engine's work, which
    // cannot start over from inside: the checker's own calls and Additem on its
    // thread while it is attached are refused with VbError 5; OpenFile and
    // CloseFile are followed once the engine's step is over. Destroying the
    // checker is not refused: the engine finishes its step and reports nothing
    // more.
    void refuse_while_reporting(const char* what) const {
        if (reporting_) [[unlikely]] refuse(what);
    }

    void found(Finding&& f) override {
        if (f.severity == Finding::Severity::Error) {
            ++errors_;
        } else {
            ++warnings_;
        }
        if (options_.on_finding && !closed_) {
            struct Reporting {
                bool& flag;
                ~Reporting() { flag = false; }
            } reporting{reporting_ = true};
            options_.on_finding(f);
        }
        if (findings_.size() < options_.keep) findings_.push_back(std::move(f));
    }

    // ---- the writer's side ----

    void attach(const guide::Guide& guide) {
        if (options_.guide && options_.guide != &guide) {
            throw VbError(vbErrInvalidProcedureCall, "this GuideChecker checks against " +
                                                         std::string(options_.guide->id()) +
                                                         "; the control writes " + std::string(guide.id()));
        }
        WriterState& ws = writer_state();
        if (ws.watcher == this) return;
        if (ws.watcher) {
            throw VbError(vbErrInvalidProcedureCall,
                          "another GuideChecker is attached on this thread; detach it first");
        }
        ws.watcher = this;
        state_ = &ws;
        engine_.use_guide(guide, true);
        // Segments begun before now end after every segment begun from now on;
        // they were not seen to begin, so they are not checked.
        first_open_ = open_;
        BeforeAddEvent::watcher_installed();
        // A file already open is checked from its next segment on.
        if (files::OutputFile* f = files::find(ws.file_number)) file_opened(f->path());
    }

    void detach() {
        if (!state_) return;
        // Destroyed from on_finding, the checker leaves its file unfinished.
        if (engine_.in_file() && !reporting_) finish_file();
        if (state_->watcher == this) state_->watcher = nullptr;
        state_ = nullptr;
        reading_guide();
        deferred_.clear();
        BeforeAddEvent::watcher_removed();
        marks_.clear();
        pending_.clear();
    }

    void file_opened(const std::string& path) override {
        if (reporting_) {
            deferred_.emplace_back(path);
            return;
        }
        const std::shared_ptr<Impl> keep = shared_from_this();  // on_finding may destroy the checker
        if (engine_.in_file()) finish_file();
        engine_.begin(path);
        settle();
    }

    void segment_begun(const SegmentObject& object) override {
        refuse_while_reporting("Additem");
        if (open_++ == 0) self_ = shared_from_this();
        marks_.push_back(pending_.size());
        try {
            note_fields(object);
        } catch (...) {
            // A note that cannot be made is no reason to disturb the writer.
        }
    }

    void segment_ended(std::string_view written) override {
        // Declared first, so that it is the last thing released: the checker
        // may have been destroyed while the segment was on its way.
        const std::shared_ptr<Impl> last = --open_ == 0 ? std::move(self_) : nullptr;
        if (open_ < first_open_) {
            first_open_ = open_;  // begun before this attachment
            return;
        }
        const std::size_t mark = marks_.empty() ? pending_.size() : marks_.back();
        if (!marks_.empty()) marks_.pop_back();
        try {
            if (!written.empty() && state_) {
                if (!engine_.in_file()) {
                    files::OutputFile* f = files::find(state_->file_number);
                    engine_.begin(f ? f->path() : std::string("<file>"));
                }
                if (state_->annotation) engine_.annotation_seen();
                for (std::size_t i = mark; i < pending_.size(); ++i) engine_.note_next(std::move(pending_[i]));
                engine_.feed(written.data(), written.size());
            }
            settle();
        } catch (...) {
        }
        pending_.resize(std::min(mark, pending_.size()));
    }

    void file_closing() override {
        if (reporting_) {
            deferred_.emplace_back(std::nullopt);
            return;
        }
        const std::shared_ptr<Impl> keep = shared_from_this();  // on_finding may destroy the checker
        if (engine_.in_file()) finish_file();
        settle();
    }

    // ---- reading ----

    void begin_file(std::string name) {
        if (engine_.in_file()) finish_file();
        engine_.begin(std::move(name));
        settle();
    }
    void feed(std::string_view bytes) {
        if (!engine_.in_file()) engine_.begin("<input>");
        engine_.feed(bytes.data(), bytes.size());
        settle();
    }
    void end_file() {
        if (engine_.in_file()) finish_file();
        settle();
    }

    const std::vector<Finding>& findings() const { return findings_; }
    std::uint64_t errors() const { return errors_; }
    std::uint64_t warnings() const { return warnings_; }
    std::uint64_t segments() const { return segments_done_ + (engine_.in_file() ? engine_.segments() : 0); }
    bool not_x12() const { return not_x12_ || (engine_.in_file() && engine_.not_x12()); }
    bool stopped() const { return engine_.stopped(); }
    void clear() {
        findings_.clear();
        errors_ = warnings_ = segments_done_ = 0;
        not_x12_ = false;
    }

private:
    [[noreturn, gnu::cold]] static void refuse(const char* what) {
        throw VbError(vbErrInvalidProcedureCall,
                      std::string(what) + " was called from the GuideChecker's on_finding, in the middle of "
                                          "checking; call it after on_finding has returned");
    }

    // The files on_finding closed (nullopt) and opened meanwhile, in order.
    void settle() {
        while (!deferred_.empty()) {
            const std::vector<std::optional<std::string>> steps = std::move(deferred_);
            deferred_.clear();
            if (!state_ || closed_) continue;
            for (const auto& step : steps) {
                if (engine_.in_file()) finish_file();
                if (step) engine_.begin(*step);
            }
        }
    }

    void finish_file() {
        engine_.end();
        segments_done_ += engine_.segments();
        not_x12_ = not_x12_ || engine_.not_x12();
    }

    // What the fields tell and the bytes cannot: a value that holds a
    // delimiter (the file splits it), a fixed-width value that was cut. Every
    // value is looked at once, byte by byte; only a hit costs more.
    void note_fields(const SegmentObject& object) {
        const SegmentClassDescriptor& d = object.descriptor();
        const WriterState& ws = *state_;
        const std::string* delimiters[] = {&ws.element_separator.text(), &ws.component_separator.text(),
                                           &ws.segment_terminator.text()};
        bool first_byte[256] = {};
        for (const std::string* t : delimiters) first_byte[static_cast<unsigned char>((*t)[0])] = true;
        for (std::size_t i = 0; i < d.field_count; ++i) {
            const FieldDescriptor& f = d.fields[i];
            if (f.kind != FieldKind::Text && f.kind != FieldKind::Fixed) continue;
            const std::string& value = object.text(f);
            if (value.empty()) continue;
            if (f.kind == FieldKind::Fixed) {
                if (value.size() > f.width && characters(value) > f.width) note_cut(d, f, value);
                continue;
            }
            // ISA16 is the component separator itself.
            if (d.assembly == Assembly::Interchange && i + 1 == d.field_count) continue;
            bool hit = false;
            for (unsigned char c : value) hit |= first_byte[c];
            if (hit) note_delimiter(d, f, value, delimiters);
        }
    }

    [[gnu::cold]] void note_cut(const SegmentClassDescriptor& d, const FieldDescriptor& f, const std::string& value) {
        const std::string element = guide::reference(d.segment_id, f.element, f.component);
        note(d, element, "cut",
             std::string(f.name) + " \"" + value + "\" has " + std::to_string(characters(value)) + " characters; " +
                 element + " is " + std::to_string(f.width) + " wide, so the file holds only the first " +
                 std::to_string(f.width));
    }

    [[gnu::cold]] void note_delimiter(const SegmentClassDescriptor& d, const FieldDescriptor& f,
                                      const std::string& value, const std::string* const (&delimiters)[3]) {
        static const char* const kNames[] = {"data element separator", "component separator", "segment terminator"};
        for (int k = 0; k < 3; ++k) {
            if (value.find(*delimiters[k]) == std::string::npos) continue;
            note(d, guide::reference(d.segment_id, f.element, f.component), "delimiter",
                 std::string(f.name) + " \"" + value + "\" holds the " + kNames[k] + " \"" + *delimiters[k] +
                     "\": the file splits the value there");
            return;
        }
    }

    void note(const SegmentClassDescriptor& d, const std::string& element, const char* rule, std::string message) {
        const auto positions = engine_.guide().positions_of(d);
        Finding f;
        f.loop = positions.empty() ? std::string(d.loop) : std::string(positions.front()->loop->shown);
        f.segment_id = d.segment_id;
        f.element = element;
        f.severity = options_.altered_values_are_errors ? Finding::Severity::Error : Finding::Severity::Warning;
        f.rule = rule;
        f.message = std::move(message);
        pending_.push_back(std::move(f));
    }

    CheckOptions options_;
    checking::Engine engine_;
    std::vector<Finding> findings_;
    std::uint64_t errors_ = 0, warnings_ = 0, segments_done_ = 0;
    bool not_x12_ = false;
    WriterState* state_ = nullptr;
    bool closed_ = false;
    bool reporting_ = false;  // on_finding runs
    std::vector<std::optional<std::string>> deferred_;
    // Segments begun and not yet ended, and how many of them were begun
    // before the checker was last attached.
    std::size_t open_ = 0;
    std::size_t first_open_ = 0;
    std::shared_ptr<Impl> self_;  // while open_ > 0
    // Notes of segments begun and not yet ended, innermost last.
    std::vector<Finding> pending_;
    std::vector<std::size_t> marks_;
};

GuideChecker::GuideChecker(CheckOptions options) : impl_(std::make_shared<Impl>(std::move(options))) {}
GuideChecker::~GuideChecker() { impl_->close(); }

void GuideChecker::attach(basic_vireo& control) {
    // Reading a property checks that the control belongs to the calling
    // thread, whose writer state the checker watches (vbErrWrongThread otherwise).
    (void)control.ErrorTrap();
    const std::string_view writes = control.catalogue().name();
    const guide::Guide* guide = guide::guide_of(control.catalogue());
    if (!guide) {
        throw VbError(vbErrInvalidProcedureCall, "the guide checker knows no guide for the catalogue " +
                                                     std::string(writes) + " (it knows " + guide::known_guides() +
                                                     "): register the catalogue's guide first");
    }
    const std::shared_ptr<Impl> keep = impl_;  // on_finding may destroy the checker
    keep->refuse_while_reporting("GuideChecker::attach");
    keep->attach(*guide);
}
// Each call that runs the engine holds the checker's state to its end.
void GuideChecker::detach() {
    const std::shared_ptr<Impl> keep = impl_;
    keep->refuse_while_reporting("GuideChecker::detach");
    keep->detach();
}
void GuideChecker::begin_file(std::string name) {
    const std::shared_ptr<Impl> keep = impl_;
    keep->refuse_while_reporting("GuideChecker::begin_file");
    keep->begin_file(std::move(name));
}
void GuideChecker::feed(std::string_view bytes) {
    const std::shared_ptr<Impl> keep = impl_;
    keep->refuse_while_reporting("GuideChecker::feed");
    keep->feed(bytes);
}
void GuideChecker::end_file() {
    const std::shared_ptr<Impl> keep = impl_;
    keep->refuse_while_reporting("GuideChecker::end_file");
    keep->end_file();
}
const std::vector<Finding>& GuideChecker::findings() const { return impl_->findings(); }
std::uint64_t GuideChecker::errors() const { return impl_->errors(); }
std::uint64_t GuideChecker::warnings() const { return impl_->warnings(); }
std::uint64_t GuideChecker::segments() const { return impl_->segments(); }
bool GuideChecker::not_x12() const { return impl_->not_x12(); }
bool GuideChecker::stopped() const { return impl_->stopped(); }
void GuideChecker::clear() { impl_->clear(); }

}  // namespace prjVireo
