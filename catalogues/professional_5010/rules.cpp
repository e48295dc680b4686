// The written rules of the 837 Professional, 005010X222A1: which of the
// rules the 837P guides share apply where, and the rules of 5010 alone, in the
// order they run on a segment. The diagnoses are those of the HI whose first
// qualifier is an ICD one (ABK, BK): the claim's other HI positions
// (anesthesia, conditions: BP, BG) list no diagnosis a service line may point
// to, and the checker tells the three apart by that first qualifier.
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

// The qualifiers of the claim's diagnosis HI: ICD-10-CM ones, and the ICD-9-CM
// ones (BK, BF) a claim may use only for services before ICD-10's first day.
bool icd10_qualifier(std::string_view q) { return q == "ABK" || q == "ABF" || q == "ABJ" || q == "ABN" || q == "APR"; }
bool icd9_qualifier(std::string_view q) { return q == "BK" || q == "BF" || q == "BJ" || q == "BN" || q == "BR"; }
constexpr std::string_view kIcd10FirstDay = "20151001";

// An ICD-10-CM code as the guide wants it: a letter, then 2 to 6 letters or
// digits, without the decimal point the code books print ("J44.9" is J449).
// An ICD-9-CM code is noted for the service dates that follow.
void check_diagnosis_codes(Engine& e, const SegmentCheck& c) {
    const char component = e.component_separator();
    for (int k = 1; k < e.element_count() && k <= 12; ++k) {
        const std::string_view element = e.element(k);
        const std::size_t split = element.find(component);
        if (split == std::string_view::npos) continue;
        const std::string_view qualifier = element.substr(0, split);
        std::string_view code = element.substr(split + 1);
        code = code.substr(0, code.find(component));
        if (icd9_qualifier(qualifier) && !e.state().icd9_segment) e.state().icd9_segment = e.segments();
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

// A service on or after 2015-10-01 (DTP*472, a date or the start of a range)
// is coded in ICD-10-CM: a claim whose diagnoses are ICD-9-CM is refused.
void check_service_date(Engine& e, const SegmentCheck& c) {
    const std::uint64_t icd9 = e.state().icd9_segment;
    const std::string_view date = e.element(3).substr(0, 8);
    if (!icd9 || date.size() != 8 || date < kIcd10FirstDay) return;
    e.report(kError, "icd9", &c, "DTP03",
             "the service on " + std::string(date) + " is on or after 2015-10-01, but the claim's diagnoses (HI, segment " +
                 std::to_string(icd9) + ") are ICD-9-CM (BK, BF): code them in ICD-10-CM (ABK, ABF)");
    e.state().icd9_segment = 0;  // once per claim
}

// A replacement (CLM05-3 7) or a void (8) names the claim it replaces by the
// payer's claim control number, REF*F8 in the same claim.
void note_claim_frequency(Engine& e, const SegmentCheck&) {
    std::string_view place = e.element(5);
    const char component = e.component_separator();
    for (int skip = 0; skip < 2 && !place.empty(); ++skip) {
        const std::size_t at = place.find(component);
        place = at == std::string_view::npos ? std::string_view() : place.substr(at + 1);
    }
    const std::string_view frequency = place.substr(0, place.find(component));
    if (frequency != "7" && frequency != "8") return;
    RuleState::Pending& p = e.state().claim_pending;
    p.rule = "payer-claim-number";
    p.segment = e.segments();
    p.element = "CLM05-3";
    p.message = std::string("CLM05-3 is ") + (frequency == "7" ? "7 (a replacement)" : "8 (a void)") +
                " but the claim has no REF*F8: give the payer's claim control number of the claim it " +
                (frequency == "7" ? "replaces" : "voids");
}

void note_payer_claim_number(Engine& e, const SegmentCheck&) { e.state().claim_pending.rule = nullptr; }

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

// After the envelope rules: segment ID, loop (empty: any), element and code it must take (0: any; a
// composite's first component), rule.
constexpr auto kRules = after_envelope_rules(std::array<WrittenRule, 14>{{
    {"SBR", "2000B", 0, "", note_subscriber},
    {"CLM", "2300", 0, "", note_claim_total},
    {"CLM", "2300", 0, "", note_claim_frequency},
    {"REF", "2300", 1, "F8", note_payer_claim_number},
    {"HI", "2300", 1, "ABK", count_diagnoses},
    {"HI", "2300", 1, "ABK", check_diagnosis_codes},
    {"LX", "2400", 0, "", check_line_number},
    {"DTP", "2400", 1, "472", check_service_date},
    {"SV1", "2400", 0, "", check_service_line},
    {"NM1", "", 8, "XX", check_npi},
    {"N4", "", 0, "", check_zip},
    {"N3", "2010AA", 0, "", check_street_address},
    {"N4", "2010AA", 0, "", check_zip_plus_four},
    {"N4", "2310C", 0, "", check_zip_plus_four},
}});

}  // namespace
}  // namespace prjVireo::checking

namespace prjVireo::professional_5010 {
std::span<const checking::WrittenRule> written_rules() { return checking::kRules; }
}  // namespace prjVireo::professional_5010
