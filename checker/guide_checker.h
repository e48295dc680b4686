#pragma once
// The guide checker: checks 837 Professional files against the implementation
// guide 004010X098A1, segment by segment, in one streaming pass whose memory
// does not grow with the file.
//
// Two ways in:
// - reading: begin_file, feed the bytes in pieces of any size, end_file;
// - writing: attach to a control, and every segment the control's thread
//   writes to a file is checked as it is written, after BeforeAdd had its
//   say, exactly as it reaches the file. Checking never changes a byte.
//
//     vireo ctl;
//     GuideChecker checker;
//     checker.attach(ctl);
//     ctl.OpenFile(path);
//     ...                      // Additem as usual; checker.findings() at any point
//     ctl.CloseFile();         // the checks that need the whole file run here
//     if (checker.errors()) ...
//
// A BeforeAdd handler may detach, attach or destroy the checker while its
// segment is on its way. Detached or destroyed, the checker stops at once: the
// file it was checking ends there (its whole-file checks run) and it checks
// nothing more, not even the segment in progress, which is written as usual.
// A checker attached in a handler checks from the next segment on.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vireo/core/text.h"

namespace prjVireo::guide {
class Guide;
}

namespace prjVireo {

class basic_vireo;
struct WriterState;

struct Finding {
    enum class Severity : std::uint8_t { Error, Warning };
    std::string file;            // as given to begin_file, or the path the control opened
    std::uint64_t segment = 0;   // segment number in the file, ISA = 1; 0 for the file as a whole
    std::string loop;            // "2300", "ISA" (interchange), "GS" (group), "ST" (transaction); "" when unknown
    std::string segment_id;      // "CLM"; "" when unknown
    std::string element;         // "CLM02", "CLM05-1"; "" for the whole segment
    Severity severity = Severity::Error;
    std::string rule;            // a short stable name of the check: "required-segment", "code", ...
    std::string message;
};

// "FILE:SEGMENT: LOOP SEGMENT[ELEMENT]: error: message", fit for a terminal:
// every byte outside printable ASCII in it (a file name may hold any) is
// written as \xHH, as the values in messages are.
std::string format_finding(const Finding& finding);
// One JSON object (no line end).
std::string finding_json(const Finding& finding);

struct CheckOptions {
    // Called for every finding as it is found (after it is counted); the
    // findings list keeps at most `keep` of them, the counts go on. It runs in
    // the middle of checking: it may destroy the checker, and OpenFile and
    // CloseFile are followed once the segment is checked, but the checker's
    // own calls and Additem on its thread while it is attached are refused
    // with VbError 5.
    std::function<void(const Finding&)> on_finding;
    std::size_t keep = 10000;
    // Attached to a control: a value that the file cannot hold as it was set
    // (one that holds a delimiter, which splits it; an ISA value cut to its
    // width) is a warning, as the control writes it on purpose unless
    // StrictValues refuses it. True makes it an error: the file then says
    // something other than what was set, and nothing in its bytes shows it
    // (vireo run --check).
    bool altered_values_are_errors = false;
    // The guide files are checked against. nullptr: reading, each group's
    // GS08 chooses among the guides the program knows (004010X098A1 until a
    // GS names another); attached, the guide of the control's catalogue.
    const guide::Guide* guide = nullptr;
};

class GuideChecker {
public:
    explicit GuideChecker(CheckOptions options = {});
    ~GuideChecker();  // detaches; on_finding is not called any more
    GuideChecker(const GuideChecker&) = delete;
    GuideChecker& operator=(const GuideChecker&) = delete;

    // ---- writing ----
    // Checks every segment that the control's thread writes to a file from now
    // on: each OpenFile starts a file, each CloseFile ends it. Call it on the
    // control's thread (the control refuses another thread), before the file's
    // first segment. One checker per thread: VbError 5 when another one is
    // attached. It checks against the guide of the control's catalogue: a
    // control whose catalogue has no registered guide, or another guide than
    // CheckOptions::guide, is refused with VbError 5.
    void attach(basic_vireo& control);
    // Stops checking (a file being written is ended first). Also done by the destructor.
    void detach();

    // ---- reading ----
    void begin_file(std::string name);
    void feed(std::string_view bytes);
    // The checks that need the whole file: trailers that never came.
    void end_file();

    // ---- results, at any point ----
    const std::vector<Finding>& findings() const;
    std::uint64_t errors() const;
    std::uint64_t warnings() const;
    // Segments read so far, in every file.
    std::uint64_t segments() const;
    // A file that did not begin with an ISA header: it is no X12 interchange,
    // and nothing in it was checked.
    bool not_x12() const;
    // The file being read is no longer checked: it is no X12 interchange, or
    // a segment does not end. Its other bytes need not be fed (an endless
    // input ends here).
    bool stopped() const;
    // Forgets every finding and count (the file being read, if any, goes on).
    void clear();

    class Impl;

private:
    std::shared_ptr<Impl> impl_;
};

}  // namespace prjVireo
