#pragma once
// The script host: runs a JSON script of control calls (property settings,
// Clear, field assignments, Additem) against a control, through the dispatch
// layer, and writes the output file atomically: the file named as OUTPUT is
// replaced only when the whole script succeeded, and is left untouched otherwise.
//
// A script is {"output": "path", "steps": [ ... ]}, read as a stream: each
// step runs as soon as it has been read, so memory does not grow with the
// number of steps. `vireo schema` prints the format as a JSON Schema.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace vireo_runner {

struct RunOptions {
    // The output file; when empty the script's "output" member names it.
    // Tests and fuzz targets set it, so that no script chooses where it writes.
    std::string output;
    // How error messages name the script ("-" for standard input).
    std::string script_name = "<script>";
    // Writes one JSON line per BeforeAdd ({"step", "SegValue", "SegCount"}) to
    // the error stream.
    bool trace = false;
};

struct RunResult {
    int exit_status = 0;       // 0 success, 1 the script failed (nothing written)
    std::string output;        // the file written (or that would have been)
    std::uint64_t steps = 0;   // steps read
};

// Runs a script read from `in`. Error messages (and trace lines) go to `err`.
// Every run starts from the writer state of a new control that read an empty
// property bag: delimiters "*", ":" and "~", NewLine 0, Annotation and
// ErrorTrap false, SegCount 0, no file name. The calling thread's writer state
// is used; no other state outlives the call.
RunResult run_script(std::istream& in, const RunOptions& options, std::ostream& err);
// The same for a script held in memory.
RunResult run_script(std::string_view script, const RunOptions& options, std::ostream& err);

// A JSON Schema (draft 2020-12) of the script format, generated from the
// catalogue: every segment object property with its fields, and for code
// fields the code texts and member names of their code lists.
nlohmann::ordered_json script_schema();

// The names the "NewLine" setting takes besides integers, with their values.
struct NewLineName {
    const char* name;
    std::int32_t value;
};
extern const NewLineName kNewLineNames[3];

}  // namespace vireo_runner
