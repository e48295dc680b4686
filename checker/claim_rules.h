#pragma once
// The written rules the 837 Professional guides share (checker/claim_rules.cpp),
// for the tables of rules.cpp in each catalogue folder.
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

}  // namespace prjVireo::checking
