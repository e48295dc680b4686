// The written rules the 837 Professional guides share, 4010 and 5010: control
// numbers and counts of the envelope, the HL hierarchy, claim totals and
// diagnosis pointers, service line numbers, NPI check digits and ZIP codes.
// Each guide's table (rules.cpp in its catalogue folder) picks the ones that
// apply to it and says where.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "vireo/checker/claim_rules.h"

#include "vireo/checker/engine.h"
#include "vireo/checker/values.h"

namespace prjVireo::checking {
namespace {

constexpr Finding::Severity kError = Finding::Severity::Error;
constexpr Finding::Severity kWarning = Finding::Severity::Warning;

}  // namespace

// ---- envelope: control numbers and counts ----

void check_isa(Engine& e, const SegmentCheck& c) {
    RuleState& s = e.state();
    s.isa13.assign(e.element(13));
    s.gs06_seen.clear();
    std::string key;
    for (int k = 5; k <= 8; ++k) key.append(e.element(k)).push_back('\0');
    key += s.isa13;
    if (s.isa13_seen.size() < RuleState::kControlNumbersKept && !s.isa13_seen.insert(key).second) {
        e.report(kError, "envelope", &c, "ISA13",
                 "interchange control number " + quoted(s.isa13) +
                     " is used twice in the file by the same sender and receiver (ISA05 to ISA08): the receiver "
                     "discards the second interchange as a duplicate");
    }
}

void check_gs(Engine& e, const SegmentCheck& c) {
    RuleState& s = e.state();
    ++s.groups;
    s.transactions = 0;
    s.st02_seen.clear();
    s.gs06.assign(e.element(6));
    s.gs08.assign(e.element(8));
    if (!s.gs06.empty() && s.gs06_seen.size() < RuleState::kControlNumbersKept && !s.gs06_seen.insert(s.gs06).second) {
        e.report(kError, "envelope", &c, "GS06",
                 "group control number " + quoted(s.gs06) + " is used twice in this interchange");
    }
}

void check_st(Engine& e, const SegmentCheck& c) {
    RuleState& s = e.state();
    ++s.transactions;
    s.st_segment = e.segments();
    s.hl_next = 1;
    s.st02.assign(e.element(2));
    if (!s.st02.empty() && s.st02_seen.size() < RuleState::kControlNumbersKept && !s.st02_seen.insert(s.st02).second) {
        e.report(kError, "envelope", &c, "ST02",
                 "transaction set control number " + quoted(s.st02) + " is used twice in this functional group");
    }
    // ST03, where the guide uses it (5010), repeats the group's GS08.
    const std::string_view st03 = e.element(3);
    if (!st03.empty() && st03 != s.gs08) {
        e.report(kError, "envelope", &c, "ST03",
                 "ST03 is " + quoted(st03) + " but the group's GS08 is " + quoted(s.gs08) + ": ST03 repeats GS08");
    }
}

namespace {

// What a trailer repeats of its envelope: element 1 counts what the envelope
// holds, element 2 repeats the header's control number.
struct Trailer {
    const char* id;              // SE
    const char* envelope;        // the transaction
    const char* counted;         // segments
    const char* advice;          // after the count's message
    const char* header_element;  // ST02
};

void check_trailer(Engine& e, const SegmentCheck& c, const Trailer& t, std::uint64_t counted,
                   const std::string& control_number) {
    const std::string id = t.id;
    bool ok;
    const std::uint64_t said = to_number(e.element(1), ok);
    if (ok && said != counted) {
        e.report(kError, "envelope", &c, id + "01",
                 id + "01 is " + std::string(e.element(1)) + " but " + t.envelope + " has " +
                     std::to_string(counted) + " " + t.counted + t.advice);
    }
    if (e.element(2) != control_number) {
        e.report(kError, "envelope", &c, id + "02",
                 id + "02 " + quoted(e.element(2)) + " differs from " + t.header_element + " " + quoted(control_number));
    }
}

}  // namespace

void check_se(Engine& e, const SegmentCheck& c) {
    const RuleState& s = e.state();
    check_trailer(e, c,
                  {"SE", "the transaction", "segments",
                   ", ST and SE included (set SegCount to 0 before ST, and leave SE01 empty)", "ST02"},
                  e.segments() - s.st_segment + 1, s.st02);
}

void check_ge(Engine& e, const SegmentCheck& c) {
    const RuleState& s = e.state();
    check_trailer(e, c, {"GE", "the group", "transaction sets", "", "GS06"}, s.transactions, s.gs06);
}

void check_iea(Engine& e, const SegmentCheck& c) {
    const RuleState& s = e.state();
    check_trailer(e, c, {"IEA", "the interchange", "functional groups", "", "ISA13"}, s.groups, s.isa13);
}

// ---- the hierarchy ----

// Numbers the level the HL begins and keeps its HL01 and HL04 for the levels
// under it and for the check when it ends.
void check_hl(Engine& e, const SegmentCheck& c) {
    RuleState& s = e.state();
    Engine::Frame& frame = e.innermost();
    const Tables& t = e.guide_tables();
    const Node& node = t.nodes[static_cast<std::size_t>(frame.node)];
    const std::string_view id = e.element(1);
    const std::size_t kept = std::min<std::size_t>(id.size(), sizeof frame.hl_id - 1);
    if (kept) std::memcpy(frame.hl_id, id.data(), kept);  // an HL without HL01 has no data to copy
    frame.hl_id[kept] = 0;
    const std::string_view hl04 = e.element(4);
    frame.hl04 = hl04.size() == 1 && (hl04[0] == '0' || hl04[0] == '1') ? hl04[0] : 0;
    bool ok;
    const std::uint64_t number = to_number(id, ok);
    if (!ok || number != s.hl_next) {
        e.report(kError, "hierarchy", &c, "HL01",
                 "HL01 is " + quoted(id) + ", expected " + std::to_string(s.hl_next) +
                     ": the levels are numbered 1, 2, 3... in each transaction");
    }
    s.hl_next = ok ? number + 1 : s.hl_next + 1;
    if (node.hl_parent >= 0) {
        const Node& above = t.nodes[static_cast<std::size_t>(node.hl_parent)];
        const Engine::Frame& parent = e.frame_at(above.depth);
        if (e.element(2) != std::string_view(parent.hl_id)) {
            e.report(kError, "hierarchy", &c, "HL02",
                     "HL02 is " + quoted(e.element(2)) + " but this level belongs to HL " + quoted(parent.hl_id) +
                         " (" + std::string(above.loop->name) + ") above it");
        }
    }
}

// SBR02 = 18: the subscriber is the patient, and no patient level follows.
void note_subscriber(Engine& e, const SegmentCheck&) { e.innermost().self_subscriber = e.element(2) == "18"; }

// ---- the claim and its service lines ----

void note_claim_total(Engine& e, const SegmentCheck&) {
    if (auto total = millionths(e.element(2))) {
        RuleState& s = e.state();
        s.clm_total = *total;
        s.totals_known = true;
    }
}

void count_diagnoses(Engine& e, const SegmentCheck&) {
    RuleState& s = e.state();
    s.hi_seen = true;
    s.diagnoses = 0;
    for (int k = 1; k < e.element_count() && k <= 12; ++k) {
        if (!e.element(k).empty()) ++s.diagnoses;
    }
}

void check_line_number(Engine& e, const SegmentCheck& c) {
    RuleState& s = e.state();
    bool ok;
    const std::uint64_t number = to_number(e.element(1), ok);
    if (ok && number != s.lx_next) {
        e.report(kError, "line-number", &c, "LX01",
                 "LX01 is " + std::string(e.element(1)) + ", expected " + std::to_string(s.lx_next) +
                     ": the service lines of a claim are numbered 1, 2, 3...");
    }
    s.lx_next = ok ? number + 1 : s.lx_next + 1;
}

// Adds the line's charge to the claim's lines total, and checks its diagnosis
// pointers (SV107: up to four, as components) against the claim's HI.
void check_service_line(Engine& e, const SegmentCheck& c) {
    RuleState& s = e.state();
    ++s.lines;
    if (auto amount = millionths(e.element(2))) {
        s.lines_total += *amount;
    } else {
        s.totals_known = false;
    }
    const std::string_view pointers = e.element(7);
    const char component = e.component_separator();
    std::size_t from = 0;
    for (int m = 1; !pointers.empty() && from <= pointers.size(); ++m) {
        std::size_t to = pointers.find(component, from);
        if (to == std::string_view::npos) to = pointers.size();
        const std::string_view p = pointers.substr(from, to - from);
        bool ok;
        const std::uint64_t n = to_number(p, ok);
        if (ok && (n < 1 || n > static_cast<std::uint64_t>(s.diagnoses))) {
            e.report(kWarning, "diagnosis-pointer", &c, guide::reference("SV1", 7, m),
                     "diagnosis pointer " + std::string(p) + " names no diagnosis: the claim's HI lists " +
                         std::to_string(s.diagnoses) + (s.hi_seen ? "" : " (it has no HI segment)"));
        }
        from = to + 1;
    }
}

// ---- names and addresses ----

void check_npi(Engine& e, const SegmentCheck& c) {
    if (e.element(8) == "XX" && !e.element(9).empty() && !is_npi(e.element(9))) {
        e.report(kWarning, "npi", &c, "NM109",
                 quoted(e.element(9)) + " is not a National Provider Identifier: NM108 XX takes 10 digits whose "
                                        "last is the check digit");
    }
}

// N404 names the country of an address outside the US; any other postal code
// is a ZIP code, of digits only.
void check_zip(Engine& e, const SegmentCheck& c) {
    const std::string_view zip = e.element(3);
    const std::string_view country = e.element(4);
    if (!zip.empty() && (country.empty() || country == "US") &&
        !(all_digits(zip) && (zip.size() == 5 || zip.size() == 9))) {
        e.report(kWarning, "zip", &c, "N403",
                 quoted(zip) + " is no ZIP code: a ZIP code has 5 or 9 digits, and nothing else (an address "
                               "outside the US names its country in N404)");
    }
}

}  // namespace prjVireo::checking
