#include "vireo/bench/workload.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "vireo/catalogues/professional_5010/control.h"
#include "vireo/checker/guide_checker.h"
#include "vireo/control/vireo.h"

namespace vireo_bench {

using namespace prjVireo;

namespace {

// A small deterministic generator, so that every run writes the same bytes.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
    template <std::size_t N>
    const char* pick(const char* const (&items)[N]) { return items[below(N)]; }

private:
    std::uint64_t state_;
};

const char* const kLastNames[] = {"SMITH", "JOHNSON", "WILLIAMS", "BROWN", "JONES", "GARCIA", "MILLER",
                                  "DAVIS", "RODRIGUEZ", "MARTINEZ", "HERNANDEZ", "LOPEZ", "GONZALEZ",
                                  "WILSON", "ANDERSON", "THOMAS", "TAYLOR", "MOORE", "JACKSON", "MARTIN",
                                  "LEE", "PEREZ", "THOMPSON", "WHITE", "HARRIS", "SANCHEZ", "CLARK",
                                  "RAMIREZ", "LEWIS", "ROBINSON", "WALKER", "YOUNG", "ALLEN", "KING"};
const char* const kFirstNames[] = {"JAMES", "MARY", "ROBERT", "PATRICIA", "JOHN", "JENNIFER", "MICHAEL",
                                   "LINDA", "DAVID", "ELIZABETH", "WILLIAM", "BARBARA", "RICHARD", "SUSAN",
                                   "JOSEPH", "JESSICA", "THOMAS", "SARAH", "CHRISTOPHER", "KAREN", "DANIEL",
                                   "LISA", "MATTHEW", "NANCY", "ANTHONY", "BETTY", "MARK", "MARGARET"};
const char* const kStreets[] = {"MAIN STREET", "OAK AVENUE", "MAPLE DRIVE", "CEDAR LANE", "PINE ROAD",
                                "ELM STREET", "WASHINGTON BLVD", "LAKE VIEW COURT", "HILLCREST AVE",
                                "PARK PLACE", "SUNSET BOULEVARD", "RIVER ROAD", "CHURCH STREET"};
struct City {
    const char* name;
    const char* state;
    const char* zip;
};
const City kCities[] = {{"SPRINGFIELD", "IL", "62701"}, {"COLUMBUS", "OH", "43215"},
                        {"ALBANY", "NY", "12207"},      {"AUSTIN", "TX", "78701"},
                        {"DENVER", "CO", "80202"},      {"MADISON", "WI", "53703"},
                        {"RICHMOND", "VA", "23219"},    {"SALEM", "OR", "97301"},
                        {"TRENTON", "NJ", "08608"},     {"PHOENIX", "AZ", "85004"},
                        {"NASHVILLE", "TN", "37219"},   {"BOISE", "ID", "83702"}};
const char* const kFilingCodes[] = {"CI", "BL", "MB", "MC", "HM", "12", "16"};
const char* const kPayers[] = {"BLUE CROSS BLUE SHIELD", "AETNA", "UNITED HEALTHCARE", "CIGNA",
                               "HUMANA", "MEDICARE PART B", "STATE MEDICAID", "KAISER PERMANENTE"};
const char* const kProcedures[] = {"99213", "99214", "99203", "99204", "85025", "80053", "36415",
                                   "93000", "71046", "90471", "90686", "97110", "99395", "81002"};
// The same conditions in each guide's code set, at the same places: ICD-9 for
// 4010, ICD-10 for 5010.
const char* const kDiagnosesIcd9[] = {"4019", "25000", "2724", "53081", "7840", "4660", "78650", "V700",
                                      "2449", "311", "30000", "7242", "4779", "42731", "2859", "7295"};
const char* const kDiagnosesIcd10[] = {"I10", "E119", "E785", "K219", "R519", "J209", "R0789", "Z0000",
                                       "E039", "F329", "F419", "M5450", "J309", "I4891", "D649", "M79609"};
static_assert(std::size(kDiagnosesIcd9) == std::size(kDiagnosesIcd10));

std::string digits(Random& r, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s.push_back(static_cast<char>('0' + r.below(10)));
    return s;
}

std::string date_in_2026(Random& r) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "2026%02zu%02zu", 1 + r.below(12), 1 + r.below(28));
    return buf;
}

std::string amount(long cents) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%ld.%02ld", cents / 100, cents % 100);
    return buf;
}

// The interchange's constant values.
constexpr const char* kSender = "SUBMITTER01";
constexpr const char* kReceiver = "RECEIVER01";
constexpr const char* kInterchangeDate = "261205";
constexpr const char* kGroupDate = "20261205";
constexpr const char* kTime = "2200";
constexpr const char* kInterchangeNumber = "000000001";

long transactions_for(long claims) { return (claims + kClaimsPerTransaction - 1) / kClaimsPerTransaction; }

// What differs between the guides in this interchange, as values. The
// reference formatter, the script and the host loop all read them, so that
// each writes one loop for both guides.
struct GuideValues {
    const char* id;                // GS08; 4010's REF02 after BHT, 5010's ST03
    const char* isa11_field;       // 4010: the standards identifier; 5010: the repetition separator
    const char* isa11;
    const char* isa12;             // the interchange control version
    bool transmission_ref;         // 4010's REF*87 after BHT
    bool st03;                     // 5010's ST03, which repeats GS08
    const char* billing_hl;        // the property names that differ
    const char* billing_tax_id;
    const char* onset;
    const char* billing_zip;       // 5010 asks for the 9-digit ZIP
    const char* facility_qualifier;  // CLM05-2: 5010's "B"
    const char* signature_source;    // CLM10: 4010's "C", a code 5010 dropped
    const char* principal_diagnosis;  // HI01-1
    const char* other_diagnosis;      // HI02-1
    int segments_per_transaction;  // ST, BHT, (REF), submitter NM1 and PER, receiver NM1,
                                   // billing HL, NM1, N3, N4, REF, SE
};

constexpr GuideValues k4010{"004010X098A1", "m11_IntStandsIdent", "U", "00401", true, false,
                            "L2000A_HL_00_BillPaytoPROVHILevel", "L2010AA_REF_00_BillPROV2ndID",
                            "L2300_DTP_04_DateOnsetofCurSpell", "62704", "", "C", "BK", "BF", 12};
constexpr GuideValues k5010{"005010X222A1", "m11_RepetitionSeparator", "^", "00501", false, true,
                            "L2000A_HL_00_BillPROVHILevel", "L2010AA_REF_00_BillPROVTaxID",
                            "L2300_DTP_00_DateOnsetCurIllnessSymptom", "627041234", "B", "", "ABK", "ABF", 11};

const GuideValues& values_of(Guide guide) { return guide == Guide::Professional5010 ? k5010 : k4010; }

// The straightforward writer: a segment is a vector of element strings, the
// segment ID first, joined with "*" after dropping the empty trailing ones.
class NaiveSegments {
public:
    explicit NaiveSegments(std::FILE* out) : out_(out) {}

    void put(const std::vector<std::string>& elements) {
        std::size_t last = elements.size() - 1;
        while (last > 0 && elements[last].empty()) --last;
        std::string segment = elements[0];
        for (std::size_t i = 1; i <= last; ++i) {
            segment += '*';
            segment += elements[i];
        }
        segment += "~\n";
        if (std::fwrite(segment.data(), 1, segment.size(), out_) != segment.size()) {
            throw std::runtime_error("fwrite failed");
        }
        ++count_;
    }
    static std::string composite(const std::vector<std::string>& components) {
        std::size_t last = components.size();
        while (last > 0 && components[last - 1].empty()) --last;
        std::string joined;
        for (std::size_t i = 0; i < last; ++i) {
            if (i) joined += ':';
            joined += components[i];
        }
        return joined;
    }
    static std::string fixed(const std::string& text, std::size_t width) {
        std::string s = text.substr(0, width);
        s.resize(width, ' ');
        return s;
    }
    long count() const { return count_; }
    void reset_count() { count_ = 0; }

private:
    std::FILE* out_;
    long count_ = 0;
};

void walk_naive(const PreparedData& data, long claims, std::FILE* out) {
    const GuideValues& g = values_of(data.guide);
    NaiveSegments w(out);
    using N = NaiveSegments;
    w.put({"ISA", "00", N::fixed("", 10), "00", N::fixed("", 10), "ZZ", N::fixed(kSender, 15), "ZZ",
           N::fixed(kReceiver, 15), kInterchangeDate, kTime, g.isa11, g.isa12, kInterchangeNumber, "0", "P", ":"});
    w.put({"GS", "HC", kSender, kReceiver, kGroupDate, kTime, "1", "X", g.id});
    const long transactions = transactions_for(claims);
    long c = 0;
    for (long t = 0; t < transactions; ++t) {
        const std::string& control = data.control_numbers[t];
        w.reset_count();
        w.put({"ST", "837", control, g.st03 ? g.id : ""});
        w.put({"BHT", "0019", "00", control, kGroupDate, kTime, "CH"});
        if (g.transmission_ref) w.put({"REF", "87", g.id});
        w.put({"NM1", "41", "2", "PREMIER BILLING SERVICE", "", "", "", "", "46", kSender});
        w.put({"PER", "IC", "EDI DESK", "TE", "2175550100"});
        w.put({"NM1", "40", "2", "CLEARINGHOUSE NATIONAL", "", "", "", "", "46", kReceiver});
        w.put({"HL", "1", "", "20", "1"});
        w.put({"NM1", "85", "2", "RIVERSIDE FAMILY MEDICINE", "", "", "", "", "XX", "1234567893"});
        w.put({"N3", "1500 RIVERSIDE PARKWAY"});
        w.put({"N4", "SPRINGFIELD", "IL", g.billing_zip});
        w.put({"REF", "EI", "371234567"});
        const long end = std::min(claims, c + kClaimsPerTransaction);
        for (long k = 0; c < end; ++c, ++k) {
            const Subscriber& s = data.subscriber(c);
            const Payer& p = data.payer(c);
            const Claim& cl = data.claim(c);
            w.put({"HL", data.numbers[k + 2], "1", "22", "0"});
            w.put({"SBR", "P", "18", s.group_number, "", "", "", "", "", CodeToString(s.filing_code)});
            w.put({"NM1", "IL", "1", s.last_name, s.first_name, s.middle_name, "", "", "MI", s.member_id});
            w.put({"N3", s.address});
            w.put({"N4", s.city, s.state, s.zip});
            w.put({"DMG", "D8", s.birth_date, CodeToString(s.gender)});
            w.put({"NM1", "PR", "2", p.name, "", "", "", "", "PI", p.id});
            w.put({"CLM", cl.account, cl.total_charge, "", "", N::composite({"11", g.facility_qualifier, "1"}), "Y",
                   "A", "Y", "Y", g.signature_source});
            w.put({"DTP", "431", "D8", cl.onset_date});
            w.put({"HI", N::composite({g.principal_diagnosis, cl.diagnosis1}),
                   N::composite({g.other_diagnosis, cl.diagnosis2})});
            for (int j = 0; j < kLinesPerClaim; ++j) {
                const ServiceLine& line = cl.lines[j];
                w.put({"LX", data.numbers[j + 1]});
                w.put({"SV1", N::composite({"HC", line.procedure}), line.charge, "UN", line.units, "", "",
                       N::composite({"1", "2"})});
                w.put({"DTP", "472", "D8", line.date});
            }
        }
        w.put({"SE", std::to_string(w.count() + 1), control});
    }
    w.put({"GE", std::to_string(transactions), "1"});
    w.put({"IEA", "1", kInterchangeNumber});
}

// The script form of the interchange: each segment a step naming the control
// property and its fields, or a row of its values under the columns named for
// its property; code fields are given by their code text.
class ScriptSteps {
public:
    // `guide`, when given, is named before the classic form's steps.
    ScriptSteps(std::FILE* out, ScriptForm form, const char* guide = nullptr)
        : out_(out), form_(form), indent_(form == ScriptForm::Classic ? "    " : ""), guide_(guide) {}
    using Fields = std::initializer_list<std::pair<const char*, std::string_view>>;

    void segment(const char* property, Fields fields) {
        if (form_ == ScriptForm::Rows) return row(property, fields);
        line_ = indent_;
        line_ += "{\"";
        line_ += property;
        line_ += "\": {";
        bool first = true;
        for (const auto& [name, value] : fields) {
            if (!first) line_ += ", ";
            first = false;
            line_ += '"';
            line_ += name;
            line_ += "\": ";
            quote(value);
        }
        line_ += "}}";
        put();
    }
    void set(const char* setting, std::string_view json_value) {
        line_ = indent_;
        line_ += "{\"set\": {\"";
        line_ += setting;
        line_ += "\": ";
        line_ += json_value;
        line_ += "}}";
        put();
    }
    void finish() {
        if (std::fputs(form_ == ScriptForm::Classic ? "\n  ]\n}\n" : "\n", out_) < 0) {
            throw std::runtime_error("writing the script failed");
        }
    }

private:
    // A "columns" step when the property's fields are not the ones last named
    // for it, then the row of values.
    void row(const char* property, Fields fields) {
        std::vector<std::string_view>& named = columns_[property];
        bool same = named.size() == fields.size();
        for (std::size_t i = 0; same && i < named.size(); ++i) same = named[i] == fields.begin()[i].first;
        if (!same) {
            named.clear();
            line_ = "{\"columns\": {\"";
            line_ += property;
            line_ += "\": [";
            for (const auto& [name, value] : fields) {
                if (!named.empty()) line_ += ", ";
                named.push_back(name);
                quote(name);
            }
            line_ += "]}}";
            put();
        }
        line_ = "[\"";
        line_ += property;
        line_ += '"';
        for (const auto& [name, value] : fields) {
            line_ += ", ";
            quote(value);
        }
        line_ += ']';
        put();
    }

    void quote(std::string_view v) {
        line_ += '"';
        for (char c : v) {
            if (c == '"' || c == '\\') line_ += '\\';
            line_ += c;
        }
        line_ += '"';
    }
    void put() {
        if (first_ && form_ == ScriptForm::Classic && guide_ &&
            std::fprintf(out_, "{\n  \"guide\": \"%s\",\n  \"steps\": [\n", guide_) < 0) {
            throw std::runtime_error("writing the script failed");
        }
        const char* before = form_ == ScriptForm::Classic ? (first_ ? (guide_ ? "" : "{\n  \"steps\": [\n") : ",\n")
                                                          : (first_ ? "" : "\n");
        if (std::fputs(before, out_) < 0 ||
            std::fwrite(line_.data(), 1, line_.size(), out_) != line_.size()) {
            throw std::runtime_error("writing the script failed");
        }
        first_ = false;
    }

    std::FILE* out_;
    ScriptForm form_;
    const char* indent_;
    const char* guide_;
    std::string line_;
    bool first_ = true;
    std::map<std::string_view, std::vector<std::string_view>> columns_;
};

std::string code_text(std::int32_t value) { return CodeToString(value); }

}  // namespace

void write_script(const PreparedData& data, long claims, std::FILE* out, ScriptForm form) {
    const GuideValues& g = values_of(data.guide);
    // 4010 is the runner's default guide: its script does not name it.
    ScriptSteps w(out, form, data.guide == Guide::Professional4010 ? nullptr : g.id);
    w.set("NewLine", "1");
    w.segment("L0_ISA_00_IntControlHeader",
              {{"m01_AuthInfoQul", "00"}, {"m03_SecurityInfoQul", "00"}, {"m05_IntIDQul", "ZZ"},
               {"m06_IntSenderID", kSender}, {"m07_IntIDQul", "ZZ"}, {"m08_IntRecvID", kReceiver},
               {"m09_IntDate", kInterchangeDate}, {"m10_IntTime", kTime}, {g.isa11_field, g.isa11},
               {"m12_IntControlVersionNum", g.isa12}, {"m13_IntControlNumMustMatchIEA02", kInterchangeNumber},
               {"m14_AcknowledgmentRequested", "0"}, {"m15_ProductionTestUsageIndicator", "P"}});
    w.segment("L0_GS_00_FunctGroupHeader",
              {{"m01_FunctIdentCode", "HC"}, {"m02_AppSendersCode", kSender}, {"m03_AppRecvsCode", kReceiver},
               {"m04_CreationDate", kGroupDate}, {"m05_CreationTime", kTime}, {"m06_GroupControlNum", "1"},
               {"m07_RespAgencyCode", "X"}, {"m08_VersionReleaseIndIdentCode", g.id}});
    const long transactions = transactions_for(claims);
    long c = 0;
    for (long t = 0; t < transactions; ++t) {
        const std::string& control = data.control_numbers[t];
        w.set("SegCount", "\"0\"");
        if (g.st03) {
            w.segment("L1_ST_00_TransSetHeader", {{"m01_TransSetIdentCode", "837"},
                                                  {"m02_TransSetControlNum", control},
                                                  {"m03_ImplConventionRef", g.id}});
        } else {
            w.segment("L1_ST_00_TransSetHeader", {{"m01_TransSetIdentCode", "837"}, {"m02_TransSetControlNum", control}});
        }
        w.segment("L1_BHT_00_BegHITrans",
                  {{"m01_HIStructCode", "0019"}, {"m02_TransSetPurposeCode", "00"},
                   {"m03_OriginatorAppTransIdent", control}, {"m04_TransSetCreationDate", kGroupDate},
                   {"m05_TransSetCreationTime", kTime}, {"m06_CLMorEncounterIdent", "CH"}});
        if (g.transmission_ref) w.segment("L1_REF_00_TranTypeID", {{"m01_RefIDQul", "87"}, {"m02_TranTypeCode", g.id}});
        w.segment("L1000A_NM1_00_SubName",
                  {{"m01_EntityIdentCode", "41"}, {"m02_EntityTypeQul", "2"},
                   {"m03_SubLastorOrgName", "PREMIER BILLING SERVICE"}, {"m08_IDCodeQul", "46"},
                   {"m09_SubIdent", kSender}});
        w.segment("L1000A_PER_00_SubEDIContactInfo",
                  {{"m01_ContactFunctionCode", "IC"}, {"m02_SubContactName", "EDI DESK"},
                   {"m03_CommunicationNumQul", "TE"}, {"m04_CommunicationNum", "2175550100"}});
        w.segment("L1000B_NM1_00_RecvName",
                  {{"m01_EntityIdentCode", "40"}, {"m02_EntityTypeQul", "2"},
                   {"m03_RecvName", "CLEARINGHOUSE NATIONAL"}, {"m08_IDCodeQul", "46"},
                   {"m09_RecvPrimaryIdent", kReceiver}});
        w.segment(g.billing_hl,
                  {{"m01_HIIDNum", "1"}, {"m03_HILevelCode", "20"}, {"m04_HIChildCode", "1"}});
        w.segment("L2010AA_NM1_00_BillPROVName",
                  {{"m01_EntityIdentCode", "85"}, {"m02_EntityTypeQul", "2"},
                   {"m03_BillPROVLastorOrgalName", "RIVERSIDE FAMILY MEDICINE"}, {"m08_IDCodeQul", "XX"},
                   {"m09_BillPROVIdent", "1234567893"}});
        w.segment("L2010AA_N3_00_BillPROVAddress", {{"m01_BillPROVAddressLine", "1500 RIVERSIDE PARKWAY"}});
        w.segment("L2010AA_N4_00_BillPROVCityStateZip",
                  {{"m01_BillPROVCityName", "SPRINGFIELD"}, {"m02_BillPROVStateorProvinceCode", "IL"},
                   {"m03_BillPROVPostalZoneorZip", g.billing_zip}});
        w.segment(g.billing_tax_id, {{"m01_RefIDQul", "EI"}, {"m02_BillPROVAddIdent", "371234567"}});
        const long end = std::min(claims, c + kClaimsPerTransaction);
        for (long k = 0; c < end; ++c, ++k) {
            const Subscriber& s = data.subscriber(c);
            const Payer& p = data.payer(c);
            const Claim& cl = data.claim(c);
            w.segment("L2000B_HL_00_SubscriberHILevel", {{"m01_HIIDNum", data.numbers[k + 2]},
                                                         {"m02_HIParentIDNum", "1"},
                                                         {"m03_HILevelCode", "22"},
                                                         {"m04_HIChildCode", "0"}});
            const std::string filing = code_text(s.filing_code);
            w.segment("L2000B_SBR_00_SubscriberInfo",
                      {{"m01_PayerRespSequenceNumCode", "P"}, {"m02_IndividualRelationshipCode", "18"},
                       {"m03_InsuredGrouporPolicyNum", s.group_number}, {"m09_CLMFilingIndicatorCode", filing}});
            w.segment("L2010BA_NM1_00_SubscriberName",
                      {{"m01_EntityIdentCode", "IL"}, {"m02_EntityTypeQul", "1"},
                       {"m03_SubscriberLastName", s.last_name}, {"m04_SubscriberFirstName", s.first_name},
                       {"m05_SubscriberMiddleName", s.middle_name}, {"m08_IDCodeQul", "MI"},
                       {"m09_SubscriberPrimaryIdent", s.member_id}});
            w.segment("L2010BA_N3_00_SubscriberAddress", {{"m01_SubscriberAddressLine", s.address}});
            w.segment("L2010BA_N4_00_SubscriberCityStateZip",
                      {{"m01_SubscriberCityName", s.city}, {"m02_SubscriberStateCode", s.state},
                       {"m03_SubscriberPostalZoneorZip", s.zip}});
            const std::string gender = code_text(s.gender);
            w.segment("L2010BA_DMG_00_SubscriberDmoInfo",
                      {{"m01_DateTimePeriodFormatQul", "D8"}, {"m02_SubscriberBirthDate", s.birth_date},
                       {"m03_SubscriberGenderCode", gender}});
            w.segment("L2010BB_NM1_00_PayerName",
                      {{"m01_EntityIdentCode", "PR"}, {"m02_EntityTypeQul", "2"}, {"m03_PayerName", p.name},
                       {"m08_IDCodeQul", "PI"}, {"m09_PayerIdent", p.id}});
            // 4010 gives CLM10; 5010 dropped its codes and asks for CLM05-2.
            if (g.signature_source[0]) {
                w.segment("L2300_CLM_00_CLMInfo",
                          {{"m01_PatAccountNum", cl.account}, {"m02_TotalCLMChargeAmount", cl.total_charge},
                           {"m0501_FacTypeCode", "11"}, {"m0503_CLMFrequencyCode", "1"},
                           {"m06_PROVorSupplierSigIndicator", "Y"}, {"m07_McareAssignmentCode", "A"},
                           {"m08_BenefitsAssignmentCertIndicator", "Y"}, {"m09_ReleaseofInfoCode", "Y"},
                           {"m10_PatSigSourceCode", g.signature_source}});
            } else {
                w.segment("L2300_CLM_00_CLMInfo",
                          {{"m01_PatAccountNum", cl.account}, {"m02_TotalCLMChargeAmount", cl.total_charge},
                           {"m0501_FacTypeCode", "11"}, {"m0502_FacCodeQul", g.facility_qualifier},
                           {"m0503_CLMFrequencyCode", "1"}, {"m06_PROVorSupplierSigIndicator", "Y"},
                           {"m07_McareAssignmentCode", "A"}, {"m08_BenefitsAssignmentCertIndicator", "Y"},
                           {"m09_ReleaseofInfoCode", "Y"}});
            }
            w.segment(g.onset,
                      {{"m01_DateTimeQul", "431"}, {"m02_DateTimePeriodFormatQul", "D8"},
                       {"m03_OrderDate", cl.onset_date}});
            w.segment("L2300_HI_00_HealthCareDiagnosisCode",
                      {{"m0101_DiagnosisTypeCode", g.principal_diagnosis}, {"m0102_DiagnosisCode", cl.diagnosis1},
                       {"m0201_DiagnosisTypeCode", g.other_diagnosis}, {"m0202_DiagnosisCode", cl.diagnosis2}});
            for (int j = 0; j < kLinesPerClaim; ++j) {
                const ServiceLine& line = cl.lines[j];
                w.segment("L2400_LX_00_SvcLine", {{"m01_AssignedNum", data.numbers[j + 1]}});
                w.segment("L2400_SV1_00_ProfessionalSvc",
                          {{"m0101_ProductorSvcIDQul", "HC"}, {"m0102_ProcedureCode", line.procedure},
                           {"m02_LineChargeAmount", line.charge}, {"m03_UnitorBasisforMeasurementCode", "UN"},
                           {"m04_SvcUnitCount", line.units}, {"m0701_DiagnosisCodePointer", "1"},
                           {"m0702_DiagnosisCodePointer", "2"}});
                w.segment("L2400_DTP_00_DateSvcDate",
                          {{"m01_DateTimeQul", "472"}, {"m02_DateTimePeriodFormatQul", "D8"},
                           {"m03_SvcDate", line.date}});
            }
        }
        w.segment("L2440_SE_00_TransSetTrailer", {{"m02_TransSetControlNum", control}});
    }
    const std::string count = std::to_string(transactions);
    w.segment("L0_GE_00_FunctGroupTrailer", {{"m01_NumofTransSetsIncluded", count}, {"m02_GroupControlNum", "1"}});
    w.segment("L0_IEA_00_IntControlTrailer",
              {{"m01_NumofIncludedFunctGroupsCount", "1"}, {"m02_IntControlNum", kInterchangeNumber}});
    w.finish();
}

namespace {

void sync_and_close(std::FILE* f, const std::string& path) {
    if (std::fflush(f) != 0 || ::fsync(fileno(f)) != 0 || std::fclose(f) != 0) {
        throw std::runtime_error("writing " + path + " failed");
    }
    sync_folder_of(path);
}

}  // namespace

void sync_folder_of(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) throw std::runtime_error("syncing the folder of " + path + " failed");
    ::close(fd);
}

const char* guide_id(Guide guide) { return values_of(guide).id; }

std::optional<Guide> find_guide(std::string_view id) {
    for (Guide g : {Guide::Professional4010, Guide::Professional5010}) {
        if (id == guide_id(g)) return g;
    }
    return std::nullopt;
}

PreparedData prepare_data(long claims, Guide guide) {
    PreparedData d;
    d.guide = guide;
    const auto& diagnoses = guide == Guide::Professional5010 ? kDiagnosesIcd10 : kDiagnosesIcd9;
    Random r(0x5eed1234abcdULL);
    for (int i = 0; i < 4096; ++i) {
        Subscriber s;
        s.last_name = r.pick(kLastNames);
        s.first_name = r.pick(kFirstNames);
        s.middle_name = std::string(1, static_cast<char>('A' + r.below(26)));
        s.member_id = digits(r, 9) + static_cast<char>('A' + r.below(26));
        s.group_number = "GRP" + digits(r, 5);
        s.address = digits(r, 1 + r.below(4)) + " " + r.pick(kStreets);
        const City& city = kCities[r.below(std::size(kCities))];
        s.city = city.name;
        s.state = city.state;
        s.zip = city.zip;
        char birth[40];
        std::snprintf(birth, sizeof birth, "19%02zu%02zu%02zu", 30 + r.below(70), 1 + r.below(12),
                      1 + r.below(28));
        s.birth_date = birth;
        s.gender = code_value(r.below(2) ? "M" : "F");
        s.filing_code = code_value(r.pick(kFilingCodes));
        d.subscribers.push_back(std::move(s));
    }
    for (std::size_t i = 0; i < std::size(kPayers); ++i) {
        d.payers.push_back({kPayers[i], digits(r, 5)});
    }
    for (int i = 0; i < 8192; ++i) {
        Claim c;
        c.account = "A" + digits(r, 10);
        long total = 0;
        for (ServiceLine& line : c.lines) {
            line.procedure = r.pick(kProcedures);
            const long cents = 2500 + static_cast<long>(r.below(30000));
            total += cents;
            line.charge = amount(cents);
            line.units = std::to_string(1 + r.below(3));
            line.date = date_in_2026(r);
        }
        c.total_charge = amount(total);
        c.diagnosis1 = r.pick(diagnoses);
        c.diagnosis2 = r.pick(diagnoses);
        c.onset_date = date_in_2026(r);
        d.claims.push_back(std::move(c));
    }
    for (int i = 0; i <= kClaimsPerTransaction + 1; ++i) d.numbers.push_back(std::to_string(i));
    for (long t = 0; t < transactions_for(claims); ++t) {
        char buf[24];
        std::snprintf(buf, sizeof buf, "%04ld", t + 1);
        d.control_numbers.push_back(buf);
    }
    return d;
}

long segment_count(long claims, Guide guide) {
    return 4 + transactions_for(claims) * values_of(guide).segments_per_transaction + claims * kSegmentsPerClaim;
}

namespace {

// A code given by its text, its Code value worked out at compile time: it
// converts to the enum of any code list, as that list's member for the text.
class Code {
public:
    consteval explicit Code(std::string_view text) : value_(code_value(text)) {}
    template <class List, class = std::enable_if_t<std::is_enum_v<List>>>
    constexpr operator List() const {
        return static_cast<List>(value_);
    }

private:
    std::int32_t value_;
};

// Each guide's control and the properties whose names differ; its values come
// from GuideValues, so the host loop below serves both.
struct Control4010 {
    using Control = prjVireo::vireo;
    static constexpr const GuideValues& values = k4010;
    static void isa11(auto& isa) { isa.m11_IntStandsIdent = Code(values.isa11); }
    static auto transmission(Control& c) { return c.L1_REF_00_TranTypeID(); }
    static auto billing_hl(Control& c) { return c.L2000A_HL_00_BillPaytoPROVHILevel(); }
    static auto billing_tax_id(Control& c) { return c.L2010AA_REF_00_BillPROV2ndID(); }
    static auto onset(Control& c) { return c.L2300_DTP_04_DateOnsetofCurSpell(); }
};

struct Control5010 {
    using Control = prjVireo::professional_5010::vireo;
    static constexpr const GuideValues& values = k5010;
    // Left empty, ISA11 is written as the control's RepetitionSeparator ("^").
    static void isa11(auto&) {}
    static std::nullptr_t transmission(Control&) { return nullptr; }  // 5010 has no REF*87
    static auto billing_hl(Control& c) { return c.L2000A_HL_00_BillPROVHILevel(); }
    static auto billing_tax_id(Control& c) { return c.L2010AA_REF_00_BillPROVTaxID(); }
    static auto onset(Control& c) { return c.L2300_DTP_00_DateOnsetCurIllnessSymptom(); }
};

template <class G>
Timed write_with_guide_control(const PreparedData& data, long claims, const std::string& path, bool run_additem,
                               bool handler, const std::function<void()>& ready, bool check) {
    constexpr const GuideValues& g = G::values;
    typename G::Control ctl;
    GuideChecker checker;
    if (check) checker.attach(ctl);
    TextPropertyBag defaults;  // a control placed new: "*", ":", "~" (and 5010's "^")
    ctl.ReadProperties(defaults);
    ctl.NewLine(NewLineValues::LF_ToSegEnd);
    ctl.ErrorTrap(-1);

    const auto isa = ctl.L0_ISA_00_IntControlHeader();
    const auto gs = ctl.L0_GS_00_FunctGroupHeader();
    const auto st = ctl.L1_ST_00_TransSetHeader();
    const auto bht = ctl.L1_BHT_00_BegHITrans();
    const auto transmission = G::transmission(ctl);
    const auto submitter = ctl.L1000A_NM1_00_SubName();
    const auto contact = ctl.L1000A_PER_00_SubEDIContactInfo();
    const auto receiver = ctl.L1000B_NM1_00_RecvName();
    const auto billing_hl = G::billing_hl(ctl);
    const auto billing_name = ctl.L2010AA_NM1_00_BillPROVName();
    const auto billing_address = ctl.L2010AA_N3_00_BillPROVAddress();
    const auto billing_city = ctl.L2010AA_N4_00_BillPROVCityStateZip();
    const auto billing_ref = G::billing_tax_id(ctl);
    const auto hl = ctl.L2000B_HL_00_SubscriberHILevel();
    const auto sbr = ctl.L2000B_SBR_00_SubscriberInfo();
    const auto name = ctl.L2010BA_NM1_00_SubscriberName();
    const auto address = ctl.L2010BA_N3_00_SubscriberAddress();
    const auto city = ctl.L2010BA_N4_00_SubscriberCityStateZip();
    const auto dmg = ctl.L2010BA_DMG_00_SubscriberDmoInfo();
    const auto payer = ctl.L2010BB_NM1_00_PayerName();
    const auto clm = ctl.L2300_CLM_00_CLMInfo();
    const auto hi = ctl.L2300_HI_00_HealthCareDiagnosisCode();
    const auto onset = G::onset(ctl);
    const auto lx = ctl.L2400_LX_00_SvcLine();
    const auto sv1 = ctl.L2400_SV1_00_ProfessionalSvc();
    const auto service_date = ctl.L2400_DTP_00_DateSvcDate();
    const auto se = ctl.L2440_SE_00_TransSetTrailer();
    const auto ge = ctl.L0_GE_00_FunctGroupTrailer();
    const auto iea = ctl.L0_IEA_00_IntControlTrailer();

    long reads = 0;
    if (handler) {
        ctl.BeforeAdd.connect([&reads](std::string& SegValue, std::int32_t&, std::int16_t&) {
            // What a host watching the batch does: notice each claim, total the bytes.
            if (SegValue.compare(0, 4, "CLM*") == 0) ++reads;
            reads += static_cast<long>(SegValue.size());
        });
    }
    // The host's pattern for every segment: Additem, then Clear for the next one.
    auto add = [run_additem](SegmentObject& segment) {
        if (run_additem) segment.Additem();
        segment.Clear();
    };

    if (ready) ready();
    const auto start = Clock::now();
    if (run_additem) {
        std::string file = path;
        ctl.OpenFile(file);
    }

    isa->m01_AuthInfoQul = Code("00");
    isa->m03_SecurityInfoQul = Code("00");
    isa->m05_IntIDQul = Code("ZZ");
    isa->m06_IntSenderID = kSender;
    isa->m07_IntIDQul = Code("ZZ");
    isa->m08_IntRecvID = kReceiver;
    isa->m09_IntDate = kInterchangeDate;
    isa->m10_IntTime = kTime;
    G::isa11(*isa);
    isa->m12_IntControlVersionNum = g.isa12;
    isa->m13_IntControlNumMustMatchIEA02 = kInterchangeNumber;
    isa->m14_AcknowledgmentRequested = Code("0");
    isa->m15_ProductionTestUsageIndicator = Code("P");
    add(*isa);

    gs->m01_FunctIdentCode = Code("HC");
    gs->m02_AppSendersCode = kSender;
    gs->m03_AppRecvsCode = kReceiver;
    gs->m04_CreationDate = kGroupDate;
    gs->m05_CreationTime = kTime;
    gs->m06_GroupControlNum = "1";
    gs->m07_RespAgencyCode = Code("X");
    gs->m08_VersionReleaseIndIdentCode = g.id;
    add(*gs);

    const long transactions = transactions_for(claims);
    long c = 0;
    for (long t = 0; t < transactions; ++t) {
        const std::string& control = data.control_numbers[t];
        ctl.SegCount("0");  // the count runs from ST to SE
        st->m01_TransSetIdentCode = Code("837");
        st->m02_TransSetControlNum = control;
        if constexpr (g.st03) st->m03_ImplConventionRef = g.id;
        add(*st);

        bht->m01_HIStructCode = Code("0019");
        bht->m02_TransSetPurposeCode = Code("00");
        bht->m03_OriginatorAppTransIdent = control;
        bht->m04_TransSetCreationDate = kGroupDate;
        bht->m05_TransSetCreationTime = kTime;
        bht->m06_CLMorEncounterIdent = Code("CH");
        add(*bht);

        if constexpr (g.transmission_ref) {
            transmission->m01_RefIDQul = Code("87");
            transmission->m02_TranTypeCode = g.id;
            add(*transmission);
        }

        submitter->m01_EntityIdentCode = Code("41");
        submitter->m02_EntityTypeQul = Code("2");
        submitter->m03_SubLastorOrgName = "PREMIER BILLING SERVICE";
        submitter->m08_IDCodeQul = Code("46");
        submitter->m09_SubIdent = kSender;
        add(*submitter);

        contact->m01_ContactFunctionCode = Code("IC");
        contact->m02_SubContactName = "EDI DESK";
        contact->m03_CommunicationNumQul = Code("TE");
        contact->m04_CommunicationNum = "2175550100";
        add(*contact);

        receiver->m01_EntityIdentCode = Code("40");
        receiver->m02_EntityTypeQul = Code("2");
        receiver->m03_RecvName = "CLEARINGHOUSE NATIONAL";
        receiver->m08_IDCodeQul = Code("46");
        receiver->m09_RecvPrimaryIdent = kReceiver;
        add(*receiver);

        billing_hl->m01_HIIDNum = data.numbers[1];
        billing_hl->m03_HILevelCode = Code("20");
        billing_hl->m04_HIChildCode = Code("1");
        add(*billing_hl);

        billing_name->m01_EntityIdentCode = Code("85");
        billing_name->m02_EntityTypeQul = Code("2");
        billing_name->m03_BillPROVLastorOrgalName = "RIVERSIDE FAMILY MEDICINE";
        billing_name->m08_IDCodeQul = Code("XX");
        billing_name->m09_BillPROVIdent = "1234567893";
        add(*billing_name);

        billing_address->m01_BillPROVAddressLine = "1500 RIVERSIDE PARKWAY";
        add(*billing_address);

        billing_city->m01_BillPROVCityName = "SPRINGFIELD";
        billing_city->m02_BillPROVStateorProvinceCode = "IL";
        billing_city->m03_BillPROVPostalZoneorZip = g.billing_zip;
        add(*billing_city);

        billing_ref->m01_RefIDQul = Code("EI");
        billing_ref->m02_BillPROVAddIdent = "371234567";
        add(*billing_ref);

        const long end = std::min(claims, c + kClaimsPerTransaction);
        for (long k = 0; c < end; ++c, ++k) {
            const Subscriber& s = data.subscriber(c);
            const Payer& p = data.payer(c);
            const Claim& cl = data.claim(c);

            hl->m01_HIIDNum = data.numbers[k + 2];
            hl->m02_HIParentIDNum = data.numbers[1];
            hl->m03_HILevelCode = Code("22");
            hl->m04_HIChildCode = Code("0");
            add(*hl);

            sbr->m01_PayerRespSequenceNumCode = Code("P");
            sbr->m02_IndividualRelationshipCode = Code("18");
            sbr->m03_InsuredGrouporPolicyNum = s.group_number;
            sbr->m09_CLMFilingIndicatorCode = static_cast<decltype(sbr->m09_CLMFilingIndicatorCode)>(s.filing_code);
            add(*sbr);

            name->m01_EntityIdentCode = Code("IL");
            name->m02_EntityTypeQul = Code("1");
            name->m03_SubscriberLastName = s.last_name;
            name->m04_SubscriberFirstName = s.first_name;
            name->m05_SubscriberMiddleName = s.middle_name;
            name->m08_IDCodeQul = Code("MI");
            name->m09_SubscriberPrimaryIdent = s.member_id;
            add(*name);

            address->m01_SubscriberAddressLine = s.address;
            add(*address);

            city->m01_SubscriberCityName = s.city;
            city->m02_SubscriberStateCode = s.state;
            city->m03_SubscriberPostalZoneorZip = s.zip;
            add(*city);

            dmg->m01_DateTimePeriodFormatQul = Code("D8");
            dmg->m02_SubscriberBirthDate = s.birth_date;
            dmg->m03_SubscriberGenderCode = static_cast<decltype(dmg->m03_SubscriberGenderCode)>(s.gender);
            add(*dmg);

            payer->m01_EntityIdentCode = Code("PR");
            payer->m02_EntityTypeQul = Code("2");
            payer->m03_PayerName = p.name;
            payer->m08_IDCodeQul = Code("PI");
            payer->m09_PayerIdent = p.id;
            add(*payer);

            clm->m01_PatAccountNum = cl.account;
            clm->m02_TotalCLMChargeAmount = cl.total_charge;
            clm->m0501_FacTypeCode = "11";
            if constexpr (g.facility_qualifier[0] != 0) clm->m0502_FacCodeQul = Code(g.facility_qualifier);
            clm->m0503_CLMFrequencyCode = "1";
            clm->m06_PROVorSupplierSigIndicator = Code("Y");
            clm->m07_McareAssignmentCode = Code("A");
            clm->m08_BenefitsAssignmentCertIndicator = Code("Y");
            clm->m09_ReleaseofInfoCode = Code("Y");
            if constexpr (g.signature_source[0] != 0) clm->m10_PatSigSourceCode = Code(g.signature_source);
            add(*clm);

            onset->m01_DateTimeQul = Code("431");
            onset->m02_DateTimePeriodFormatQul = Code("D8");
            onset->m03_OrderDate = cl.onset_date;
            add(*onset);

            hi->m0101_DiagnosisTypeCode = Code(g.principal_diagnosis);
            hi->m0102_DiagnosisCode = cl.diagnosis1;
            hi->m0201_DiagnosisTypeCode = Code(g.other_diagnosis);
            hi->m0202_DiagnosisCode = cl.diagnosis2;
            add(*hi);

            for (int j = 0; j < kLinesPerClaim; ++j) {
                const ServiceLine& line = cl.lines[j];
                lx->m01_AssignedNum = data.numbers[j + 1];
                add(*lx);

                sv1->m0101_ProductorSvcIDQul = Code("HC");
                sv1->m0102_ProcedureCode = line.procedure;
                sv1->m02_LineChargeAmount = line.charge;
                sv1->m03_UnitorBasisforMeasurementCode = Code("UN");
                sv1->m04_SvcUnitCount = line.units;
                sv1->m0701_DiagnosisCodePointer = data.numbers[1];
                sv1->m0702_DiagnosisCodePointer = data.numbers[2];
                add(*sv1);

                service_date->m01_DateTimeQul = Code("472");
                service_date->m02_DateTimePeriodFormatQul = Code("D8");
                service_date->m03_SvcDate = line.date;
                add(*service_date);
            }
        }

        se->m02_TransSetControlNum = control;
        add(*se);
    }

    ge->m01_NumofTransSetsIncluded = std::to_string(transactions);
    ge->m02_GroupControlNum = "1";
    add(*ge);
    iea->m01_NumofIncludedFunctGroupsCount = "1";
    iea->m02_IntControlNum = kInterchangeNumber;
    add(*iea);

    if (run_additem) ctl.CloseFile();
    const double seconds = seconds_since(start);
    if (check && (checker.errors() || checker.warnings() || checker.segments() != static_cast<std::uint64_t>(segment_count(claims, data.guide)))) {
        throw std::runtime_error("the guide checker found " + std::to_string(checker.errors()) + " errors and " +
                                 std::to_string(checker.warnings()) + " warnings in " +
                                 std::to_string(checker.segments()) + " segments" +
                                 (checker.findings().empty() ? "" : ": " + format_finding(checker.findings()[0])));
    }
    return {seconds, reads};
}

}  // namespace

Timed write_with_control(const PreparedData& data, long claims, const std::string& path, bool run_additem,
                         bool handler, const std::function<void()>& ready, bool check) {
    return data.guide == Guide::Professional5010
               ? write_with_guide_control<Control5010>(data, claims, path, run_additem, handler, ready, check)
               : write_with_guide_control<Control4010>(data, claims, path, run_additem, handler, ready, check);
}

double write_naive(const PreparedData& data, long claims, const std::string& path) {
    const auto start = Clock::now();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot create " + path);
    walk_naive(data, claims, f);
    sync_and_close(f, path);
    return seconds_since(start);
}

void write_reference(const PreparedData& data, long claims, std::FILE* out) { walk_naive(data, claims, out); }

void write_tables(const PreparedData& data, long claims, std::FILE* out) {
    nlohmann::json j;
    j["claims"] = claims;
    j["segments"] = segment_count(claims, data.guide);
    j["claims_per_transaction"] = kClaimsPerTransaction;
    j["lines_per_claim"] = kLinesPerClaim;
    // How the loop picks its rows (see PreparedData).
    j["subscriber_stride"] = 7919;
    j["payer_stride"] = 31;
    j["constants"] = {{"sender", kSender},         {"receiver", kReceiver},      {"interchange_date", kInterchangeDate},
                      {"group_date", kGroupDate}, {"time", kTime},              {"interchange_number", kInterchangeNumber}};
    nlohmann::json& subscribers = j["subscribers"] = nlohmann::json::array();
    for (const Subscriber& s : data.subscribers) {
        subscribers.push_back({{"last_name", s.last_name}, {"first_name", s.first_name}, {"middle_name", s.middle_name},
                               {"member_id", s.member_id}, {"group_number", s.group_number}, {"address", s.address},
                               {"city", s.city}, {"state", s.state}, {"zip", s.zip}, {"birth_date", s.birth_date},
                               {"gender", code_text(s.gender)}, {"filing_code", code_text(s.filing_code)}});
    }
    nlohmann::json& payers = j["payers"] = nlohmann::json::array();
    for (const Payer& p : data.payers) payers.push_back({{"name", p.name}, {"id", p.id}});
    nlohmann::json& rows = j["claim_rows"] = nlohmann::json::array();
    for (const Claim& c : data.claims) {
        nlohmann::json lines = nlohmann::json::array();
        for (const ServiceLine& l : c.lines) {
            lines.push_back({{"procedure", l.procedure}, {"charge", l.charge}, {"units", l.units}, {"date", l.date}});
        }
        rows.push_back({{"account", c.account}, {"total_charge", c.total_charge}, {"diagnosis1", c.diagnosis1},
                        {"diagnosis2", c.diagnosis2}, {"onset_date", c.onset_date}, {"lines", lines}});
    }
    j["numbers"] = data.numbers;
    j["control_numbers"] = data.control_numbers;
    const std::string text = j.dump();
    if (std::fwrite(text.data(), 1, text.size(), out) != text.size()) throw std::runtime_error("writing the tables failed");
}

}  // namespace vireo_bench
