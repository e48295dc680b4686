// The written rules of the 837 Professional, 005010X222A1: which of the
// rules the 837P guides share apply where, and the rules of 5010 alone, in the
// order they run on a segment. The diagnoses are those of the HI whose first
// qualifier is an ICD one (ABK, BK): the claim's other HI positions
// (anesthesia, conditions) list no diagnosis a service line may point to.
#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "vireo/checker/claim_rules.h"
#include "vireo/checker/engine.h"
#include "vireo/checker/values.h"

namespace prjVireo::checking {
namespace {

constexpr Finding::Severity kError = Finding::Severity::Error;

// ICD-10-CM codes: the qualifiers of the claim's diagnosis HI that name one.
bool icd10_qualifier(std::string_view q) { return q == "ABK" || q == "ABF" || q == "ABJ" || q == "ABN" || q == "APR"; }

// An ICD-10-CM code as the guide wants it: a letter, then 2 to 6 letters or
// digits, without the decimal point the code books print ("J44.9" is J449).
void check_icd10_codes(Engine& e, const SegmentCheck& c) {
    const char component = e.component_separator();
    for (int k = 1; k < e.element_count() && k <= 12; ++k) {
        const std::string_view element = e.element(k);
        const std::size_t split = element.find(component);
        if (split == std::string_view::npos) continue;
        const std::string_view qualifier = element.substr(0, split);
        std::string_view code = element.substr(split + 1);
        code = code.substr(0, code.find(component));
        if (!icd10_qualifier(qualifier) || code.empty()) continue;
        const std::string where = "HI" + std::string(k < 10 ? "0" : "") + std::to_string(k) + "-2";
        if (code.find('.') != std::string_view::npos) {
            std::string bare(code);
            bare.erase(std::remove(bare.begin(), bare.end(), '.'), bare.end());
            e.report(kError, "icd10", &c, where,
                     quoted(code) + " holds a decimal point: ICD-10-CM codes are sent without it (" + quoted(bare) +
                         ")");
            continue;
        }
        bool shaped = code.size() >= 3 && code.size() <= 7 && std::isupper(static_cast<unsigned char>(code[0]));
        for (char ch : code) {
            shaped = shaped && (std::isdigit(static_cast<unsigned char>(ch)) || std::isupper(static_cast<unsigned char>(ch)));
        }
        if (!shaped) {
            e.report(kError, "icd10", &c, where,
                     quoted(code) + " is no ICD-10-CM code (" + std::string(qualifier) +
                         "): a letter, then 2 to 6 letters or digits");
        }
    }
}

// The billing provider's address is where the provider is: a street address,
// never a post office box (a pay-to address may be one).
void check_street_address(Engine& e, const SegmentCheck& c) {
    for (int k = 1; k <= 2; ++k) {
        std::string line;
        for (char ch : e.element(k)) {
            if (ch != '.' && ch != ' ') line += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        }
        if (line.rfind("POBOX", 0) == 0 || line.rfind("POSTOFFICEBOX", 0) == 0 || line.rfind("BOX", 0) == 0 ||
            line.rfind("LOCKBOX", 0) == 0) {
            e.report(kError, "street-address", &c, k == 1 ? "N301" : "N302",
                     quoted(e.element(k)) +
                         " is a post office box: the billing provider's address must be a street address (a "
                         "box goes in the pay-to address, 2010AB)");
        }
    }
}

// The billing provider's and the service facility's ZIP codes have all nine
// digits in 5010 (the ZIP+4).
void check_zip_plus_four(Engine& e, const SegmentCheck& c) {
    const std::string_view zip = e.element(3);
    const std::string_view country = e.element(4);
    if (!zip.empty() && (country.empty() || country == "US") && all_digits(zip) && zip.size() == 5) {
        e.report(kError, "zip-plus-four", &c, "N403",
                 quoted(zip) + " has 5 digits: this address takes its ZIP code with all 9 digits (the ZIP+4)");
    }
}

// Segment ID, loop (empty: any), element and code it must take (0: any; a
// composite's first component), rule.
constexpr std::array<WrittenRule, 18> kRules{{
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
    {"HI", "2300", 1, "ABK", check_icd10_codes},
    {"LX", "2400", 0, "", check_line_number},
    {"SV1", "2400", 0, "", check_service_line},
    {"NM1", "", 8, "XX", check_npi},
    {"N4", "", 0, "", check_zip},
    {"N3", "2010AA", 0, "", check_street_address},
    {"N4", "2010AA", 0, "", check_zip_plus_four},
    {"N4", "2310C", 0, "", check_zip_plus_four},
}};

}  // namespace
}  // namespace prjVireo::checking

namespace prjVireo::professional_5010 {
std::span<const checking::WrittenRule> written_rules() { return checking::kRules; }
}  // namespace prjVireo::professional_5010
