// The written rules of the 837 Professional, 005010X222A1: which of the
// rules the 837P guides share apply where, in the order they run on a segment.
// The diagnoses are those of the HI whose first qualifier is an ICD one (ABK,
// BK): the claim's other HI positions (anesthesia, conditions) list no
// diagnosis a service line may point to.
#include <array>

#include "vireo/checker/claim_rules.h"

namespace prjVireo::checking {
namespace {

// Segment ID, loop (empty: any), element and code it must take (0: any; a
// composite's first component), rule.
constexpr std::array<WrittenRule, 14> kRules{{
    {"ISA", "", 0, "", check_isa},
    {"GS", "", 0, "", check_gs},
    {"ST", "", 0, "", check_st},
    {"SE", "", 0, "", check_se},
    {"GE", "", 0, "", check_ge},
    {"IEA", "", 0, "", check_iea},
    {"HL", "", 0, "", check_hl},
    {"SBR", "2000B", 0, "", note_subscriber},
    {"CLM", "2300", 0, "", note_claim_total},
    {"HI", "2300", 1, "ABK", count_diagnoses},
    {"LX", "2400", 0, "", check_line_number},
    {"SV1", "2400", 0, "", check_service_line},
    {"NM1", "", 8, "XX", check_npi},
    {"N4", "", 0, "", check_zip},
}};

}  // namespace
}  // namespace prjVireo::checking

namespace prjVireo::professional_5010 {
std::span<const checking::WrittenRule> written_rules() { return checking::kRules; }
}  // namespace prjVireo::professional_5010
