#pragma once
// The script host: runs a JSON script of control calls (property settings,
// Clear, field assignments, Additem) against a control, through the dispatch
// layer, and writes the output file atomically: the file named as OUTPUT is
// replaced only when the whole script succeeded, and is left untouched otherwise
// (core/output_target.h says how; a pipe or a device is written directly).
//
// A script comes in one of two forms:
//
//   {"output": "path", "steps": [ step, step, ... ]}     the classic form
//   step                                                  one step per line
//   step                                                  (JSON Lines)
//
// told apart by the first member of the first object: a step verb or a
// segment object property begins a script of one step per line. A step is an
// object (a segment step, "set", "assign", "clear", "additem", "columns") or a
// row: ["property", value, ...] writes one segment whose fields the last
// "columns" step for that property named, in order. The script is
// read as a stream: steps are cut from the input as it arrives and run in
// order, so memory does not grow with the number of steps. `vireo schema`
// prints the format as a JSON Schema.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "vireo/core/output_target.h"

namespace prjVireo::catalogue {
class Catalogue;
}

namespace vireo_runner {

// A failure of the runner itself (bad script, unusable output), with its message.
class RunError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How far a run has come, for a progress display.
struct RunProgress {
    std::uint64_t steps = 0;         // steps run
    std::uint64_t segments = 0;      // segments written
    std::uint64_t script_bytes = 0;  // bytes of the script read
    std::uint64_t output_bytes = 0;  // bytes of output written (buffered ones included)
    double seconds = 0;              // since the run began
};

struct RunOptions {
    // The output file; when empty the script's "output" member names it.
    // Tests and fuzz targets set it, so that no script chooses where it writes.
    std::string output;
    // How error messages name the script ("-" for standard input).
    std::string script_name = "<script>";
    // Writes one JSON line per BeforeAdd ({"step", "SegValue", "SegCount"}) to
    // the error stream.
    bool trace = false;
    // Strict values: a value holding one of the delimiters fails the run
    // instead of being written unchanged.
    bool strict = false;
    // Automatic bookkeeping from the first step on (`--auto`; a script's
    // "auto": true asks for it too): the control fills the control numbers,
    // counts and HL links the steps leave empty.
    bool auto_bookkeeping = false;
    // The script's own file, when it is one: an OUTPUT that is the same file,
    // by any name, is refused before anything is written.
    std::optional<prjVireo::files::FileIdentity> script_file;
    // Checks every segment against the implementation guide as it is written
    // and prints the findings to the error stream after the run. Report: the
    // output is written whatever is found; Strict: it is left untouched when
    // there is any error. Either way errors make the run fail.
    enum class Check { Off, Report, Strict };
    Check check = Check::Off;
    // Told how far the run has come, at most once every `progress_interval`
    // seconds while steps are being run, never after the last one. The clock
    // is read only every kProgressStride steps, so that a run pays nothing
    // measurable for it. Must not throw.
    std::function<void(const RunProgress&)> progress;
    double progress_interval = 0.25;
    // The catalogue of the control the script drives; nullptr: the 4010 one.
    const prjVireo::catalogue::Catalogue* catalogue = nullptr;
};

inline constexpr std::uint64_t kProgressStride = 4096;

struct RunResult {
    int exit_status = 0;       // 0 success, 1 the script failed (nothing written) or the check found errors
    std::string output;        // the file written (or that would have been)
    std::uint64_t steps = 0;   // steps read
    std::uint64_t script_bytes = 0;  // bytes of the script read
    std::uint64_t segments = 0;      // Additem calls that wrote a segment
    std::uint64_t output_bytes = 0;  // bytes of the output (the file's size once written)
    double seconds = 0;              // the run's wall time, closing the output included
    bool streamed = false;     // written directly (standard output, a pipe, a device), not replaced
    bool to_standard_output = false;  // written to this process's standard output
    bool written = false;      // the output was replaced
    std::uint64_t check_errors = 0, check_warnings = 0;
};

// Where a script's bytes come from.
class ScriptSource {
public:
    virtual ~ScriptSource() = default;
    // Up to `max` bytes into `into`; 0 only at the end of the script. Throws
    // RunError when the script cannot be read.
    virtual std::size_t read(char* into, std::size_t max) = 0;
};

// Quotes a name or value of the script for a message: as a JSON string, cut
// after about 80 characters with the full length given, so that a huge value
// never fills a message.
std::string quoted_excerpt(std::string_view text);

// A file name as messages show it: unchanged when it is UTF-8 without control
// characters, otherwise as a JSON string in which every control character
// (C0, DEL, C1) and every byte that is not UTF-8 is escaped as \u00XX, so that
// no name can move the cursor, ring the bell or recolour the terminal.
std::string shown_name(std::string_view name);

// Runs a script read from `source`. Error messages (and trace lines) go to
// `err`. Every run starts from the writer state of a new control that read an
// empty property bag: delimiters "*", ":" and "~", NewLine 0, Annotation and
// ErrorTrap false, SegCount 0, no file name. The calling thread's writer state
// is used; no other state outlives the call.
RunResult run_script(ScriptSource& source, const RunOptions& options, std::ostream& err);
// The same for a script read from a stream, from memory, or from a file
// descriptor (read as it arrives: a pipe is run while it is being written).
RunResult run_script(std::istream& in, const RunOptions& options, std::ostream& err);
RunResult run_script(std::string_view script, const RunOptions& options, std::ostream& err);
RunResult run_script_descriptor(int fd, const RunOptions& options, std::ostream& err);

// The lines vireo run prints: the progress of a run (without the carriage
// return that redraws it) and the summary of a run that wrote its output,
// "wrote OUTPUT: N steps, N segments, N bytes in S s (R MB/s of script)".
std::string progress_text(const RunProgress& progress);
std::string summary_text(const RunResult& result);

// A JSON Schema (draft 2020-12) of the script format, generated from the
// catalogue: every segment object property with its fields, and for code
// fields the code texts and member names of their code lists.
nlohmann::ordered_json script_schema();
// The same for the scripts of a control of `catalogue`.
nlohmann::ordered_json script_schema(const prjVireo::catalogue::Catalogue& catalogue);

}  // namespace vireo_runner
