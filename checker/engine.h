#pragma once
// The streaming engine behind GuideChecker: bytes in, segments found by their
// terminator, each segment placed in the guide's loop tree and its elements
// checked, findings out. Its memory is the loop stack and a few counters,
// whatever the size of the file.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vireo/checker/guide_checker.h"
#include "vireo/checker/rules.h"
#include "vireo/checker/tables.h"

namespace prjVireo::checking {

class FindingSink {
public:
    virtual void found(Finding&& finding) = 0;

protected:
    ~FindingSink() = default;
};

class Engine {
public:
    // Checks against `guide`. Unless `fixed`, each group's GS08 chooses the
    // guide the group is checked against, among the guides the program knows;
    // every file starts with `guide`.
    Engine(FindingSink& sink, const guide::Guide& guide, bool fixed);
    // The same, from the next file on (the writer knows its guide only once a
    // control is attached).
    void use_guide(const guide::Guide& guide, bool fixed);
    const guide::Guide& guide() const { return *t_->guide; }

    void begin(std::string name);
    void feed(const char* data, std::size_t size);
    void end();
    bool in_file() const { return in_file_; }
    const std::string& file() const { return file_; }

    // Segments read in the file so far; the next one gets this number + 1.
    std::uint64_t segments() const { return segment_; }
    bool not_x12() const { return not_x12_; }
    // The rest of the file is not checked (it is no X12 interchange, or a
    // segment never ends): a reader can stop reading.
    bool stopped() const { return in_file_ && mode_ == Mode::Dead; }

    // A finding about the next segment, from what the writer knows of it (the
    // fields a segment was written from).
    void note_next(Finding&& finding);
    // The file holds annotation lines (reported once per file).
    void annotation_seen();

    // ---- what written rules (rules.h) see of the segment being checked ----

    // A loop occurrence on the loop stack.
    struct Frame {
        int node = 0;
        int child = 0;                 // the child last matched in this loop occurrence
        std::uint64_t seen = 0;        // children that occurred
        std::uint64_t reported = 0;    // required children already reported missing
        std::uint16_t count[64];       // occurrences of each child
        // An HL level
        std::uint64_t hl_segment = 0;
        char hl_id[16] = {};           // its HL01, NUL-terminated (cut at 15)
        char hl04 = 0;                 // '0', '1', or 0 when absent or other
        bool has_child_level = false;
        bool self_subscriber = false;  // 2000B with SBR02 = 18
    };

    // Element k of the segment (0 is its ID); empty past its last element.
    std::string_view element(int k) const {
        return k < elements_ ? std::string_view(begin_[k], static_cast<std::size_t>(end_[k] - begin_[k]))
                             : std::string_view();
    }
    // Its elements, the ID counted.
    int element_count() const { return elements_; }
    char component_separator() const { return component_; }
    const Tables& guide_tables() const { return *t_; }
    // The innermost loop occurrence (the one the segment is in), and the one
    // at a depth of the loop stack.
    Frame& innermost() { return frames_[static_cast<std::size_t>(depth_ - 1)]; }
    const Frame& frame_at(int depth) const { return frames_[static_cast<std::size_t>(depth)]; }
    RuleState& state() { return state_; }

    // A finding about the current segment (or `position`, when given).
    [[gnu::cold]] void report(Finding::Severity severity, const char* rule, const SegmentCheck* position,
                              std::string element, std::string message);

private:
    static constexpr int kMaxElements = 64;
    static constexpr std::size_t kMaxSegment = 1 << 20;

    enum class Mode : std::uint8_t { Start, Interchange, Dead };

    // Scans complete segments from p; returns where an incomplete one starts,
    // and sets wait_ to what completes it.
    const char* scan(const char* p, const char* end);
    const char* find_end(const char* p, const char* end, char awaited);
    // Stops checking the file: the bytes since the last segment are no X12.
    void give_up(const std::string& why);
    // Reads an ISA header at p; returns its end (after the terminator), p when
    // more bytes are needed, or nullptr when it is not one.
    const char* header(const char* p, const char* end);
    void segment(const char* begin, const char* end);
    // The ISA just read declares a repetition separator in ISA11 (I65): that
    // character becomes a delimiter of the interchange.
    void read_repetition_separator();

    struct Target {
        int level;
        int child;
        bool exact;
    };
    bool locate(std::uint16_t id, Target& target) const;
    bool qualifies(const SegmentCheck& check) const;
    // The code that tells `check`'s position from others of its ID.
    std::string_view qualifier_value(const SegmentCheck& check) const;
    const SegmentCheck& enter(const Target& target);
    void start_interchange();
    // GS08 names a guide other than the one in use: the interchange goes on
    // in that guide's loop tree. True when the guide changed.
    bool choose_guide();
    // An ISA begins an interchange (none open): the guide whose ISA12 takes
    // its version, the starting guide first.
    void choose_version_guide();
    void switch_tables(const Tables& next);
    // Checks from now on against `tables`: the frames they need and their IDs of ISA and GS.
    void use_tables(const Tables& tables);
    void close_frame();
    void close_all();
    void loop_begun(Frame& frame, const Node& node, const SegmentCheck& first);
    void loop_ended(Frame& frame, const Node& node);

    void check_elements(const SegmentCheck& check);
    void check_value(const SegmentCheck& check, const ElementCheck& e, std::string_view value, int element,
                     int component);
    enum class Problem : std::uint8_t {
        Delimiter, Repetition, Characters, Spaces, Integer, Negative, Decimal, Date, Time, Length, Code
    };
    [[gnu::cold, gnu::noinline]] void value_finding(const SegmentCheck& check, const ElementCheck& e,
                                                     std::string_view value, int element, int component,
                                                     Problem problem, std::size_t length = 0);
    void check_date_period(const SegmentCheck& check, const ElementCheck& e, std::string_view value, int element);

    [[gnu::cold]] void report_at(std::uint64_t segment, Finding::Severity severity, const char* rule,
                                 std::string_view loop, std::string_view id, std::string element,
                                 std::string message);
    [[gnu::cold]] void report_missing(const Frame& frame, std::uint64_t missing);
    [[gnu::cold]] void report_unplaced(std::uint16_t id);
    std::string where() const;
    std::string_view current_loop() const;

    const Tables* t_;
    const Tables* start_;  // the tables every file starts with
    bool fixed_ = false;
    FindingSink& sink_;
    std::string file_;
    bool in_file_ = false;
    bool not_x12_ = false;
    bool annotation_reported_ = false;
    Mode mode_ = Mode::Start;
    char separator_ = '*';
    char component_ = ':';
    char terminator_ = '~';
    // Per character: outside the X12 character set, the component separator,
    // the repetition separator (of an interchange whose ISA11 declares one).
    static constexpr std::uint8_t kOutsideCharacterSet = 1;
    static constexpr std::uint8_t kComponentSeparator = 2;
    static constexpr std::uint8_t kRepetitionSeparator = 4;
    char repetition_ = 0;
    std::uint8_t char_class_[256] = {};
    std::string carry_;
    // What completes the incomplete piece in carry_: this byte (the segment
    // terminator, or the line end of an annotation line), or 0 for a few more
    // bytes (an ISA header, a segment ID).
    char wait_ = 0;
    // Bytes of line ends and annotation lines since the last segment.
    std::size_t gap_ = 0;
    std::uint64_t segment_ = 0;
    std::vector<Finding> notes_;

    // The current segment, split into elements (0 is the ID).
    const char* begin_[kMaxElements + 1];
    const char* end_[kMaxElements + 1];
    int elements_ = 0;
    const SegmentCheck* current_ = nullptr;

    // The loop stack: frames_[d] is the loop occurrence at depth d.
    std::vector<Frame> frames_;
    int depth_ = 0;
    std::uint16_t isa_id_;
    std::uint16_t gs_id_;
    const SegmentCheck* last_ = nullptr;

    // Control numbers, hierarchy and claim, as the written rules keep them.
    RuleState state_;
};

}  // namespace prjVireo::checking
