#pragma once
// The written rules the 837 Professional guides share (checker/claim_rules.cpp),
// for the tables of rules.cpp in each catalogue folder.
#include <algorithm>
#include <array>
#include <cstddef>

#include "vireo/checker/rules.h"

namespace prjVireo::checking {

// Envelope: ISA13 = IEA02, GS06 = GE02, ST02 = SE02, the counts, control numbers used twice.
void check_isa(Engine& e, const SegmentCheck& c);
void check_gs(Engine& e, const SegmentCheck& c);
void check_st(Engine& e, const SegmentCheck& c);
void check_se(Engine& e, const SegmentCheck& c);
void check_ge(Engine& e, const SegmentCheck& c);
void check_iea(Engine& e, const SegmentCheck& c);
// HL01 numbered 1, 2, 3... and HL02 naming the level above.
void check_hl(Engine& e, const SegmentCheck& c);
// SBR02 = 18: the subscriber is the patient.
void note_subscriber(Engine& e, const SegmentCheck& c);
// CLM02, the claim total its service lines must add up to.
void note_claim_total(Engine& e, const SegmentCheck& c);
// The diagnoses an HI lists, for the service lines' pointers.
void count_diagnoses(Engine& e, const SegmentCheck& c);
// LX01 numbered 1, 2, 3... in each claim.
void check_line_number(Engine& e, const SegmentCheck& c);
// SV102 into the lines' total; SV107 pointers naming a diagnosis.
void check_service_line(Engine& e, const SegmentCheck& c);
// NM109 with NM108 XX: a National Provider Identifier with its check digit.
void check_npi(Engine& e, const SegmentCheck& c);
// N403 of a US address: 5 or 9 digits.
void check_zip(Engine& e, const SegmentCheck& c);

// The rules every 837P table starts with: the envelope's control numbers and
// counts, and the HL numbering. A table lists its own rules after them.
inline constexpr std::array<WrittenRule, 7> kEnvelopeRules{{
    {"ISA", "", 0, "", check_isa},
    {"GS", "", 0, "", check_gs},
    {"ST", "", 0, "", check_st},
    {"SE", "", 0, "", check_se},
    {"GE", "", 0, "", check_ge},
    {"IEA", "", 0, "", check_iea},
    {"HL", "", 0, "", check_hl},
}};

// A guide's table: the envelope rules, then `own` in its order.
template <std::size_t N>
constexpr std::array<WrittenRule, kEnvelopeRules.size() + N> after_envelope_rules(
    const std::array<WrittenRule, N>& own) {
    std::array<WrittenRule, kEnvelopeRules.size() + N> table{};
    std::copy(own.begin(), own.end(), std::copy(kEnvelopeRules.begin(), kEnvelopeRules.end(), table.begin()));
    return table;
}

}  // namespace prjVireo::checking
