#include "vireo/tools/runner/script_output.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ostream>

#include <fcntl.h>
#include <unistd.h>

#include "vireo/core/output_files.h"
#include "vireo/tools/runner/script_control.h"
#include "vireo/tools/runner/script_messages.h"

namespace vireo_runner {

using namespace prjVireo;

RunOutput::RunOutput(const RunOptions& options, std::ostream& err, ScriptControl& control)
    : options_(options), err_(err), control_(control), path_(options.output) {
    if (options_.check != RunOptions::Check::Off) {
        CheckOptions check;
        check.altered_values_are_errors = true;  // the output would say other than the script
        checker_ = std::make_unique<GuideChecker>(std::move(check));
        checker_->attach(control_.control());
    }
}

RunOutput::~RunOutput() { close_quietly(); }

void RunOutput::named_by_script(std::string_view path) {
    if (options_.output.empty()) path_.assign(path);
}

void RunOutput::open() {
    if (path_.empty()) {
        throw RunError("no output file: give -o OUTPUT, or put \"output\" before \"steps\" in the script");
    }
    // A script that names itself as OUTPUT would be replaced by the claims.
    files::FileIdentity target;
    const bool exists = path_ == "-" ? files::identity_of(STDOUT_FILENO, target) : files::identity_of(path_, target);
    if (options_.script_file && exists && target == *options_.script_file) {
        throw RunError("output " + quoted_excerpt(path_) + " is the script itself; nothing was written");
    }
    try {
        target_ = std::make_unique<files::OutputTarget>(path_);
    } catch (const VbError& e) {
        throw RunError("output: " + detail_of(e));
    }
    if (options_.check == RunOptions::Check::Strict && target_->mode() == files::OutputTarget::Mode::Direct) {
        throw RunError("--check=strict holds back a file until it passes, but " + quoted_excerpt(path_) +
                       " is written as the script runs (standard output, a pipe or a device): give -o a file");
    }
    // The control writes through a duplicate of the target's descriptor: no
    // path is opened again, and the target keeps its lock until commit.
    const int fd = ::fcntl(target_->descriptor(), F_DUPFD_CLOEXEC, 3);
    if (fd < 0) throw RunError("output: " + std::string(std::strerror(errno)));
    WriterState& ws = writer_state();
    ws.file_number = files::next_free_number();
    // Messages name the file actually written: the temporary, until commit.
    files::adopt_for_output(ws.file_number, fd, path_ == "-" ? "standard output" : target_->writing_path());
    opened_ = true;
}

// The file is closed on every path; a failed run leaves only its temporary
// file, which the output target removes.
void RunOutput::close_quietly() {
    if (!opened_) return;
    opened_ = false;
    try {
        control_.control().CloseFile();
    } catch (...) {
    }
}

void RunOutput::commit() {
    opened_ = false;
    bytes_ = ScriptControl::output_size();
    control_.call("CloseFile");  // flushes and syncs; reports any write error
    if (checker_ && !report_check()) {
        target_->discard();
        throw RunError(shown_name(path_) + " is left as it was: the guide checker found " +
                       std::to_string(checker_->errors()) + " error(s) (--check=strict)");
    }
    try {
        target_->commit();
    } catch (const VbError& e) {
        throw RunError("output: " + detail_of(e));
    }
    written_ = true;
}

// The checker's findings, named by the output's own path; false when the
// output must not be written.
bool RunOutput::report_check() {
    // Named as vireo check names a file, standard output as <stdout>.
    const std::string name = path_ == "-" ? "<stdout>" : shown_name(path_);
    for (Finding f : checker_->findings()) {
        f.file = name;
        err_ << format_finding(f) << '\n';
    }
    if (checker_->findings().size() < checker_->errors() + checker_->warnings()) {
        err_ << name << ": " << checker_->errors() + checker_->warnings() - checker_->findings().size()
             << " more findings not shown\n";
    }
    auto count = [](std::uint64_t n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); };
    err_ << name << ": " << count(checker_->segments(), "segment") << ", " << count(checker_->errors(), "error")
         << ", " << count(checker_->warnings(), "warning") << "\n";
    return checker_->errors() == 0 || options_.check != RunOptions::Check::Strict;
}

bool RunOutput::streamed() const { return target_ && target_->mode() == files::OutputTarget::Mode::Direct; }

bool RunOutput::to_standard_output() const {
    files::FileIdentity out;
    return streamed() && files::identity_of(STDOUT_FILENO, out) && out == target_->identity();
}

// ---- the lines vireo run prints ----

namespace {

std::string formatted(const char* format, auto... values) {
    char text[512];
    const int n = std::snprintf(text, sizeof text, format, values...);
    return std::string(text, n < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(n), sizeof text - 1));
}

// MB (10^6 bytes) per second; a run too short for the clock counts as one microsecond.
double megabytes_per_second(std::uint64_t bytes, double seconds) {
    return static_cast<double>(bytes) / std::max(seconds, 1e-6) / 1e6;
}

}  // namespace

std::string progress_text(const RunProgress& p) {
    return formatted("%llu steps, %llu segments, %.1f MB written, %.1f MB/s of script, %.1f s",
                     static_cast<unsigned long long>(p.steps), static_cast<unsigned long long>(p.segments),
                     static_cast<double>(p.output_bytes) / 1e6, megabytes_per_second(p.script_bytes, p.seconds),
                     p.seconds);
}

std::string summary_text(const RunResult& r) {
    const std::string name = r.output == "-" ? "standard output" : shown_name(r.output);
    return "wrote " + name +
           formatted(": %llu steps, %llu segments, %llu bytes in %.2f s (%.1f MB/s of script)",
                     static_cast<unsigned long long>(r.steps), static_cast<unsigned long long>(r.segments),
                     static_cast<unsigned long long>(r.output_bytes), r.seconds,
                     megabytes_per_second(r.script_bytes, r.seconds));
}

}  // namespace vireo_runner
