#pragma once
// Written rules: what a segment must hold beyond the shapes of its elements
// (control numbers that match, levels and service lines numbered in order,
// diagnosis pointers that name a diagnosis...). A guide brings its written
// rules as a table; each row names the segment position it applies to and the
// small function that checks it. The tables give every segment position the
// functions of its rows once, so that checking a segment calls them without
// looking anything up.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace prjVireo::guide {
class Guide;
}

namespace prjVireo::checking {

class Engine;
struct SegmentCheck;

// Checks the segment the engine has just read at `position`: reads its
// elements, reports findings and keeps what later segments are checked
// against in the engine's RuleState.
using RuleFunction = void (*)(Engine& engine, const SegmentCheck& position);

// One row of a guide's written rules. It applies to every position of the
// segment ID in the loop, or in every loop when the loop is empty; with an
// element and a code, only to the positions whose element takes that code.
struct WrittenRule {
    std::string_view segment;
    std::string_view loop;
    std::uint8_t element;
    std::string_view code;
    RuleFunction run;
};

// What written rules carry from one segment to the next.
struct RuleState {
    // Envelope
    std::string isa13, gs06, gs08, st02;
    std::uint64_t groups = 0, transactions = 0, st_segment = 0;
    // ST02 is unique in its group, GS06 in its interchange, and ISA13 for its
    // sender and receiver (ISA05 to ISA08) in the file: a receiver discards a
    // second interchange of theirs with the same number as a duplicate.
    std::unordered_set<std::string> st02_seen, gs06_seen, isa13_seen;
    static constexpr std::size_t kControlNumbersKept = 100000;
    // Hierarchy and claim
    std::uint64_t hl_next = 1;
    std::uint64_t lx_next = 1;
    std::uint64_t clm_segment = 0;
    __int128 clm_total = 0, lines_total = 0;
    bool totals_known = false;
    int lines = 0;
    int diagnoses = 0;
    bool hi_seen = false;
    // The claim's diagnoses are ICD-9-CM (BK, BF): the HI segment, 0 when not.
    std::uint64_t icd9_segment = 0;
    // A finding the end of the claim reports unless a later segment of the
    // claim meets it (rule is nullptr when there is none), such as a
    // replacement claim's REF*F8.
    struct Pending {
        const char* rule = nullptr;
        std::uint64_t segment = 0;
        std::string element, message;
    } claim_pending;
};

// The written rules of the 837 Professional, 004010X098A1, in the order they
// run on a segment.
std::span<const WrittenRule> rules_837p_4010();

// A guide's written rules: a program that brings a guide of its own
// registers its table once, before the guide is first checked (the 4010
// table is known). A guide without a table is checked by its shapes alone.
void register_written_rules(std::string_view guide_id, std::span<const WrittenRule> rules);

// The tables of the catalogues built into the library (their rules.cpp), by
// guide id, in the order the build adds them.
struct BuiltInRules {
    std::string_view guide_id;
    std::span<const WrittenRule> (*rules)();
};
std::vector<BuiltInRules> built_in_rules();
std::span<const WrittenRule> written_rules_of(const guide::Guide& guide);

}  // namespace prjVireo::checking
