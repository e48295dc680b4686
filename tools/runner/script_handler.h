#pragma once
// The steps of a script, run as the reader hands over their tokens: the
// handler keeps only where the reader is (the script, a step, which object of
// it, which field) and acts on every value as it arrives, so a script of
// millions of steps needs no more memory than a short one. What a value does
// is the business of the parts it is handed to: the control (ScriptControl and
// script_values), the row form (RowForm) and the output (RunOutput).
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vireo/tools/runner/script_control.h"
#include "vireo/tools/runner/script_input.h"
#include "vireo/tools/runner/script_output.h"
#include "vireo/tools/runner/script_reader.h"
#include "vireo/tools/runner/script_rows.h"
#include "vireo/tools/runner/script_runner.h"
#include "vireo/tools/runner/script_values.h"

namespace vireo_runner {

class ScriptHandler final : public TokenHandler {
public:
    using Clock = std::chrono::steady_clock;

    ScriptHandler(const RunOptions& options, std::ostream& err, const ScriptPlace& place, const ScriptInput& input,
                  Clock::time_point started);

    // Closes the file and moves it into place; false (with the message written) on failure.
    bool finish();

    bool failed() const { return failed_; }
    const RunOutput& output() const { return *output_; }
    std::uint64_t steps() const { return step_; }
    std::uint64_t segments() const { return control_->segments_written(); }

    // Reports malformed JSON at `where` ("line:column").
    void malformed(const std::string& where, const std::string& what) override;
    void error(const std::string& where, const std::string& what) override { report(where, what); }

    // A key that begins a step rather than a script: a verb or a segment object property.
    bool names_a_step(std::string_view key) const override;

    // The steps begin: an array of them, or one step per line.
    bool begin_steps(bool lines) override;
    bool end_steps() override;
    void begin_step() override;
    void end_step() override { in_step_ = false; }

    bool null() override { return scalar(Scalar(Scalar::Null)); }
    bool boolean(bool v) override;
    bool number_integer(std::int64_t v) override;
    bool number_unsigned(std::uint64_t v) override;
    bool number_too_large(std::string_view) override { return scalar(Scalar(Scalar::TooLarge)); }
    bool number_float(double v, std::string_view text) override;
    bool string(std::string_view v) override;

    bool start_object() override;
    bool end_object() override;
    bool start_array() override;
    bool end_array() override;
    bool key(std::string_view k) override;

private:
    // Where the parser is.
    enum class Frame { Root, Steps, Step, Set, Assign, Fields, Columns, ColumnList, Row, Skip };
    // What the value after the last key (or the next array element) means.
    enum class Expect {
        Root,         // the whole script
        Nothing,      // a key comes next
        Output,       // "output"
        Guide,        // "guide"
        Auto,         // "auto"
        SchemaLink,   // "$schema"
        StepList,     // "steps"
        Comment,      // "#": anything, ignored
        Segment,      // slot property: fields object; Clear, assign, Additem
        SetObject,    // "set"
        AssignObject, // "assign"
        AssignFields, // slot property inside "assign": fields object
        ClearName,    // "clear": a slot property
        AdditemName,  // "additem": a slot property
        ColumnsObject, // "columns"
        ColumnList,   // slot property inside "columns": an array of field names
        SetValue,     // a control property's value
        FieldValue,   // a field's value
    };

    // Runs `fn`; an exception it throws is reported as the run's error, at the
    // place of the token being handled. False when the run has failed.
    template <class Fn>
    bool attempt(Fn&& fn);
    bool fail(const std::string& message);
    // Writes "SCRIPT:LINE:COLUMN: step N: message" (the first error only) and
    // closes the output.
    void report(const std::string& where, const std::string& message);
    void report_progress();

    Frame top() const { return frames_.back(); }
    void open_container(bool is_object);
    // An object of fields begins: none of them named yet.
    void begin_fields();
    void close_container();
    void on_key(std::string_view k);
    bool scalar(const Scalar& v);
    void on_scalar(const Scalar& v);
    // What the value expected here takes, for messages.
    std::string what_expected(Expect e) const;

    const RunOptions& options_;
    std::ostream& err_;
    const ScriptPlace& place_;
    const ScriptInput& input_;
    const Clock::time_point started_;
    Clock::time_point last_progress_;
    std::uint64_t progress_countdown_;
    // The control of the run's catalogue, its output and its row form: made
    // again when the script's "guide" names another catalogue.
    struct Parts {
        Parts(const RunOptions& options, const prjVireo::catalogue::Catalogue& catalogue, std::ostream& err)
            : control(options, catalogue), output(options, err, control), rows(control) {}
        ScriptControl control;
        RunOutput output;
        RowForm rows;
    };
    // "guide": the run writes with the catalogue of that guide.
    void choose_guide(std::string_view id);
    void make_parts(const prjVireo::catalogue::Catalogue& catalogue);

    std::unique_ptr<Parts> parts_;
    ScriptControl* control_ = nullptr;
    RunOutput* output_ = nullptr;
    RowForm* rows_ = nullptr;
    std::string output_named_;  // the script's "output", kept when the parts are made again
    bool auto_named_ = false;   // the script's "auto": true, kept likewise

    std::vector<Frame> frames_;
    Expect expect_ = Expect::Root;
    int skip_depth_ = 0;
    std::size_t slot_ = 0;
    std::size_t field_ = 0;
    const Setting* setting_ = nullptr;
    bool additem_on_close_ = false;
    std::vector<bool> fields_named_;  // by field, in the current object of fields
    std::string step_action_;
    std::size_t step_action_size_ = 0;
    bool step_commented_ = false;
    bool in_step_ = false;
    bool steps_seen_ = false;
    bool failed_ = false;
    std::uint64_t step_ = 0;
};

}  // namespace vireo_runner
