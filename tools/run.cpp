// vireo run: writes an 837 file from a script of control calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <streambuf>
#include <string>

#include "vireo/core/output_target.h"
#include "vireo/tools/commands.h"
#include "vireo/tools/runner/script_runner.h"

namespace vireo_cli {
namespace {

constexpr const char* kDescription =
    "Write an 837 file from a JSON script.\n\n"
    "The script's control calls (settings, segments, Additem, Clear) run on a newly placed\n"
    "control, and the 837 file it writes goes to OUTPUT. OUTPUT is replaced only when every step\n"
    "succeeded and the file is on disk; on any error it is left as it was and the status is 1.\n"
    "A pipe or a device (a FIFO, /dev/null, /dev/stdout) is written directly, and -o - writes to\n"
    "standard output. Interrupted (SIGINT, SIGTERM, SIGHUP), the run removes its temporary file\n"
    "and ends with status 128 + the signal's number.\n"
    "A run that wrote OUTPUT ends with a summary (\"wrote OUTPUT: N steps, N segments, N bytes in S s\n"
    "(R MB/s of script)\") on standard output, or on standard error when the 837 goes to standard\n"
    "output; when that line cannot be written (standard output full or closed), OUTPUT is still\n"
    "in place and the status is 3. While it runs, a progress line on standard error (steps, segments, MB written, MB/s,\n"
    "seconds) is redrawn a few times a second when standard error is a terminal. --quiet prints\n"
    "neither; errors are always printed.\n"
    "A script is {\"output\": ..., \"steps\": [step, ...]}, or one step per line (JSON Lines,\n"
    "OUTPUT given with -o), told apart by the first member of the first object. A step\n"
    "{\"columns\": {\"L2300_CLM_00_CLMInfo\": [\"m01_PatAccountNum\", \"m02_TotalCLMChargeAmount\"]}} names a\n"
    "segment's fields once; each row [\"L2300_CLM_00_CLMInfo\", \"A1\", \"110\"] then writes one segment\n"
    "(Clear, those fields, Additem), as a segment step does.\n"
    "'vireo schema' prints the script format; docs/scripts.md describes it.";

constexpr const char* kExamples =
    "\nExamples:\n"
    "  vireo run examples/professional-claims.json -o claims.837\n"
    "  vireo run examples/minimal.json                 (writes the script's \"output\")\n"
    "  generate-claims | vireo run - -o claims.837     (script on standard input)\n"
    "  psql -At -f steps.sql | vireo run - -o claims.837 (one step per line from a query)\n"
    "  vireo run claims.json -o - | sftp-upload          (837 on standard output)\n"
    "  vireo run claims.json -o claims.837 --strict       (refuse values holding a delimiter)\n"
    "  vireo run claims.json -o claims.837 --trace 2> segments.jsonl\n"
    "  vireo run claims.json -o claims.837 --check=strict (nothing written unless the guide's checks pass)";

// The status of a run that wrote OUTPUT but could not write its summary
// (standard output full or closed).
constexpr int kSummaryLost = 3;

struct RunArgs {
    std::string script;
    std::string output;
    bool trace = false;
    bool strict = false;
    bool auto_bookkeeping = false;
    std::string check;  // "", "report" or "strict"
    bool quiet = false;
};

// Standard error with the progress line drawn on it: the line is redrawn in
// place, and cleared before anything else (an error, a trace line, a finding,
// the summary) is written there, so that it never mixes with other text.
class ProgressLine final : public std::streambuf {
public:
    explicit ProgressLine(std::streambuf* to) : to_(to) {}

    void draw(const std::string& text) {
        const std::string line = "\r" + text + kClearToEnd;
        to_->sputn(line.data(), static_cast<std::streamsize>(line.size()));
        to_->pubsync();
        drawn_ = true;
    }
    void clear() {
        if (!drawn_) return;
        drawn_ = false;
        const std::string blank = std::string("\r") + kClearToEnd;
        to_->sputn(blank.data(), static_cast<std::streamsize>(blank.size()));
        to_->pubsync();
    }

protected:
    int overflow(int c) override {
        clear();
        return c == traits_type::eof() ? traits_type::not_eof(c) : to_->sputc(traits_type::to_char_type(c));
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        clear();
        return to_->sputn(s, n);
    }
    int sync() override { return to_->pubsync(); }

private:
    static constexpr const char* kClearToEnd = "\x1b[K";  // erase to the end of the line
    std::streambuf* to_;
    bool drawn_ = false;
};

// An interrupted run leaves no temporary file of claims behind. Only
// async-signal-safe calls: unlinkat of names prepared in advance, then _exit.
extern "C" void end_run_on_signal(int signal_number) {
    prjVireo::files::remove_temporaries_for_signal();
    ::_exit(128 + signal_number);
}

void remove_temporaries_on_signals() {
    struct sigaction action {};
    action.sa_handler = end_run_on_signal;
    sigfillset(&action.sa_mask);  // one signal handled at a time
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal_number, &action, nullptr);
}

// The script's own file, when it is a regular one, so that an OUTPUT naming it
// (by any path) is refused.
std::optional<prjVireo::files::FileIdentity> regular_file_identity(int fd) {
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return prjVireo::files::FileIdentity{st.st_dev, st.st_ino};
}

int run(const RunArgs& args) {
    vireo_runner::RunOptions options;
    options.output = args.output;
    options.trace = args.trace;
    options.strict = args.strict;
    options.auto_bookkeeping = args.auto_bookkeeping;
    options.script_name = args.script == "-" ? "<stdin>" : args.script;  // as vireo check names it
    remove_temporaries_on_signals();
    if (args.check == "report") options.check = vireo_runner::RunOptions::Check::Report;
    if (args.check == "strict") options.check = vireo_runner::RunOptions::Check::Strict;

    // The progress line is for a person watching a terminal; an 837 on the
    // same terminal would be drawn over.
    ProgressLine line(std::cerr.rdbuf());
    std::ostream err(&line);
    const bool output_on_terminal = args.output == "-" && ::isatty(STDOUT_FILENO);
    if (!args.quiet && ::isatty(STDERR_FILENO) && !output_on_terminal) {
        options.progress = [&line](const vireo_runner::RunProgress& p) { line.draw(vireo_runner::progress_text(p)); };
    }

    vireo_runner::RunResult result;
    if (args.script == "-") {
        options.script_file = regular_file_identity(STDIN_FILENO);
        result = vireo_runner::run_script_descriptor(STDIN_FILENO, options, err);
    } else {
        const int fd = ::open(args.script.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            std::perror(("vireo run: " + vireo_runner::shown_name(args.script)).c_str());
            return 1;
        }
        options.script_file = regular_file_identity(fd);
        result = vireo_runner::run_script_descriptor(fd, options, err);
        ::close(fd);
    }
    line.clear();
    std::cerr.flush();
    if (!result.written || args.quiet) return result.exit_status;
    const std::string summary = vireo_runner::summary_text(result) + "\n";
    // Written to standard output, the 837 is all that goes there.
    std::FILE* to = result.to_standard_output ? stderr : stdout;
    errno = 0;
    if (std::fputs(summary.c_str(), to) >= 0 && std::fflush(to) == 0) return result.exit_status;
    // OUTPUT is in place: status 1 would say that it was left as it was.
    const int error = errno;
    std::fprintf(stderr, "vireo run: %s was written, but its summary could not be written to standard %s (%s)\n",
                 result.output == "-" ? "standard output" : vireo_runner::shown_name(result.output).c_str(),
                 to == stdout ? "output" : "error", error ? std::strerror(error) : "write error");
    return result.exit_status == 0 ? kSummaryLost : result.exit_status;
}

Action define(CLI::App& command) {
    auto args = std::make_shared<RunArgs>();
    command.description(kDescription);
    command.footer(kExamples);
    command.add_option("SCRIPT", args->script, "the script, or - for standard input")->required();
    command.add_option("-o,--output", args->output,
                       "the 837 file to write (instead of the script's \"output\"); - for standard output")
        ->check([](const std::string& value) { return value.empty() ? "OUTPUT is empty" : std::string(); });
    command.add_flag("--strict", args->strict,
                     "refuse a value that holds the data element separator, the component separator or the\n"
                     "segment terminator, naming the segment, field and character (by default such a value\n"
                     "is written unchanged, as the control always did)");
    command.add_flag("--auto", args->auto_bookkeeping,
                     "fill the empty HL01, HL02, HL04, LX01, SE02, GE01, GE02, IEA01 and IEA02 and set SegCount\n"
                     "to 0 before ST, keeping every value the script sets (as a script's \"auto\": true does;\n"
                     "for one step per line, which has no place for it)");
    command.add_flag("--trace", args->trace,
                     "write one JSON line per BeforeAdd ({\"step\", \"SegValue\", \"SegCount\"}) to standard error");
    command.add_flag("--check{report}", args->check,
                     "check every segment against the implementation guide as it is written and print the findings "
                     "to standard error after the run (as 'vireo check' does); errors make the status 1. "
                     "--check=strict leaves OUTPUT untouched when there is any error")
        ->check(CLI::IsMember({"report", "strict"}));
    command.add_flag("-q,--quiet", args->quiet,
                     "print neither the progress line nor the summary (errors and findings are still printed)");
    return [args] { return run(*args); };
}

const Registration kRun("run", define);

}  // namespace
}  // namespace vireo_cli
