#pragma once
// Where a run writes: the output is opened when the steps begin, and moved
// into place only when the whole script succeeded and the guide checker (when
// asked for) lets it; otherwise it is left as it was.
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "vireo/checker/guide_checker.h"
#include "vireo/core/output_target.h"
#include "vireo/tools/runner/script_runner.h"

namespace vireo_runner {

class ScriptControl;

class RunOutput {
public:
    // Checks every segment the control writes when the options ask for it.
    RunOutput(const RunOptions& options, std::ostream& err, ScriptControl& control);
    // Closes the file of a run that did not finish; its temporary file goes.
    ~RunOutput();
    RunOutput(const RunOutput&) = delete;
    RunOutput& operator=(const RunOutput&) = delete;

    // The script's "output" member: the output, unless the options name one.
    void named_by_script(std::string_view path);
    const std::string& path() const { return path_; }

    // Opens the output and makes it the control's file. Throws RunError when
    // there is none, when it is the script itself, or when it cannot be written.
    void open();
    // Closes the control's file, ignoring any error: the run has failed.
    void close_quietly();
    // Closes the file and moves it into place (reporting the checker's
    // findings first). Throws RunError, leaving the output as it was, when
    // the file cannot be written or the checker holds it back.
    void commit();

    bool written() const { return written_; }
    // Written directly (standard output, a pipe, a device), not replaced.
    bool streamed() const;
    bool to_standard_output() const;
    std::uint64_t bytes() const { return bytes_; }
    std::uint64_t check_errors() const { return checker_ ? checker_->errors() : 0; }
    std::uint64_t check_warnings() const { return checker_ ? checker_->warnings() : 0; }

private:
    bool report_check();

    const RunOptions& options_;
    std::ostream& err_;
    ScriptControl& control_;
    std::string path_;
    std::unique_ptr<prjVireo::files::OutputTarget> target_;
    std::unique_ptr<prjVireo::GuideChecker> checker_;
    std::uint64_t bytes_ = 0;
    bool opened_ = false;
    bool written_ = false;
};

}  // namespace vireo_runner
