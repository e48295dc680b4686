// The written rules of the 837 Professional, 004010X098A1: which of the
// rules the 837P guides share apply where, in the order they run on a segment.
#include <array>

#include "vireo/checker/claim_rules.h"

namespace prjVireo::checking {
namespace {

// After the envelope rules: segment ID, loop (empty: any), element and code it must take (0: any), rule.
constexpr auto kRules = after_envelope_rules(std::array<WrittenRule, 7>{{
    {"SBR", "2000B", 0, "", note_subscriber},
    {"CLM", "2300", 0, "", note_claim_total},
    {"HI", "2300", 0, "", count_diagnoses},
    {"LX", "2400", 0, "", check_line_number},
    {"SV1", "2400", 0, "", check_service_line},
    {"NM1", "", 8, "XX", check_npi},
    {"N4", "", 0, "", check_zip},
}});

}  // namespace

std::span<const WrittenRule> rules_837p_4010() { return kRules; }

}  // namespace prjVireo::checking

namespace prjVireo {
std::span<const checking::WrittenRule> written_rules() { return checking::rules_837p_4010(); }
}  // namespace prjVireo
