// vireo check: checks 837 files against the implementation guide.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "vireo/checker/guide_checker.h"
#include "vireo/tools/commands.h"
#include "vireo/tools/guide_choice.h"

namespace vireo_cli {
namespace {

constexpr const char* kDescription =
    "Check 837 files against their implementation guide.\n\n"
    "Each functional group is checked against the guide its GS08 names (004010X098A1 until a GS\n"
    "names another; --guide checks every group against one). Every segment is placed in the\n"
    "guide's loops and its elements checked: the envelope\n"
    "(ISA widths and delimiters, control numbers and counts), the order, presence and repeats of\n"
    "segments and loops, every element's usage, type, length and codes, the X12 syntax notes, the\n"
    "HL hierarchy and the LX numbering. Warnings name what the guide's text asks beyond that: claim\n"
    "totals, diagnosis pointers, NPI check digits, ZIP codes, SBR02 and the patient level.\n\n"
    "One line per finding, FILE:SEGMENT: LOOP SEGMENT[ELEMENT]: error|warning: message, where\n"
    "SEGMENT counts the segments from ISA = 1; then a summary per file. Exit status 0 when no file\n"
    "has an error, 1 when one has, 2 when a file cannot be read or is no X12 interchange.";

constexpr const char* kExamples =
    "\nExamples:\n"
    "  vireo check claims.837\n"
    "  vireo check --json claims.837 > findings.jsonl\n"
    "  vireo check --guide 004010X098A1 claims.837\n"
    "  generate-claims | vireo run - -o - | vireo check -      (standard input)\n"
    "  vireo check --warnings-as-errors out/*.837";

struct CheckArgs {
    std::vector<std::string> files;
    bool json = false;
    bool warnings_as_errors = false;
    std::string guide;  // "": chosen by each group's GS08
};

std::string plural(std::uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The status of a file that cannot be opened: its error is all that is said
// of it, no summary of a check that did not happen.
constexpr int kNotOpened = -1;

// Checks one file; returns 2 when it cannot be read or is no X12 interchange,
// kNotOpened when it cannot be opened.
int check_file(const std::string& name, prjVireo::GuideChecker& checker) {
    const bool standard_input = name == "-";
    const int fd = standard_input ? 0 : ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        std::fprintf(stderr, "vireo check: %s: %s\n", prjVireo::printable(name).c_str(), std::strerror(errno));
        return kNotOpened;
    }
    checker.begin_file(standard_input ? "<stdin>" : name);
    static std::unique_ptr<char[]> buffer(new char[1 << 20]);
    int status = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.get(), 1 << 20);
        if (n < 0) {
            if (errno == EINTR) continue;
            std::fprintf(stderr, "vireo check: %s: %s\n", prjVireo::printable(name).c_str(), std::strerror(errno));
            status = 2;
            break;
        }
        if (n == 0) break;
        checker.feed(std::string_view(buffer.get(), static_cast<std::size_t>(n)));
        // The checker has its verdict (no X12, or a segment without end):
        // the rest, which may never end (/dev/zero, a pipe), is not read.
        if (checker.stopped()) break;
    }
    if (!standard_input) ::close(fd);
    checker.end_file();
    return status;
}

int check(const CheckArgs& args) {
    prjVireo::CheckOptions options;
    if (!args.guide.empty()) options.guide = &chosen_guide(args.guide);
    options.keep = 0;  // printed as found: memory does not grow with the findings
    options.on_finding = [&](const prjVireo::Finding& f) {
        const std::string line = (args.json ? prjVireo::finding_json(f) : prjVireo::format_finding(f)) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
    };
    prjVireo::GuideChecker checker(options);
    int status = 0;
    std::uint64_t errors = 0, warnings = 0;
    for (const std::string& file : args.files) {
        checker.clear();
        int file_status = check_file(file, checker);
        if (file_status == kNotOpened) {
            status = 2;
            continue;
        }
        if (checker.not_x12()) file_status = 2;
        errors += checker.errors();
        warnings += checker.warnings();
        if (file_status == 0 && (checker.errors() || (args.warnings_as_errors && checker.warnings()))) file_status = 1;
        status = std::max(status, file_status);
        const std::string name = file == "-" ? "<stdin>" : prjVireo::printable(file);
        std::string summary = name + ": " + plural(checker.segments(), "segment", "segments") + ", " +
                              plural(checker.errors(), "error", "errors") + ", " +
                              plural(checker.warnings(), "warning", "warnings");
        if (args.warnings_as_errors && checker.warnings()) summary += " (warnings count as errors)";
        if (checker.not_x12()) summary += " (not an X12 interchange)";
        summary += "\n";
        std::fwrite(summary.data(), 1, summary.size(), args.json ? stderr : stdout);
    }
    if (args.files.size() > 1) {
        const std::string total = plural(args.files.size(), "file", "files") + ": " +
                                  plural(errors, "error", "errors") + ", " + plural(warnings, "warning", "warnings") +
                                  "\n";
        std::fwrite(total.data(), 1, total.size(), args.json ? stderr : stdout);
    }
    if (std::fflush(stdout) != 0) return std::max(status, 2);
    return status;
}

Action define(CLI::App& command) {
    auto args = std::make_shared<CheckArgs>();
    command.description(kDescription);
    command.footer(kExamples);
    command.add_option("FILE", args->files, "837 files to check, or - for standard input")->required();
    command.add_flag("--json", args->json,
                     "one JSON object per finding ({\"file\", \"segment\", \"loop\", \"segment_id\", \"element\", "
                     "\"severity\", \"rule\", \"message\"}); the summary goes to standard error");
    command.add_flag("--warnings-as-errors", args->warnings_as_errors, "exit with status 1 on warnings too");
    add_guide_option(command, args->guide,
                     "check every group against this guide, whatever its GS08 says (" +
                         prjVireo::guide::known_guides() + ")");
    return [args] { return check(*args); };
}

const Registration kCheck("check", define);

}  // namespace
}  // namespace vireo_cli
