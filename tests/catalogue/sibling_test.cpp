// A second catalogue beside the 4010 one: the engine, the control, late
// binding, the checker and the script runner all work on whichever catalogue
// they are given, and the two never mix. Every class,
// field, slot and code list of it is also run through catalogue_test.cpp.
#include <map>
#include <sstream>
#include <utility>

#include "sibling/sibling.h"
#include "test_support.h"
#include "vireo/checker/guide_checker.h"
#include "vireo/guide/guide.h"
#include "vireo/tools/runner/script_runner.h"

namespace {

using namespace vireo_test;
namespace catalogue = prjVireo::catalogue;
namespace sibling = prjVireo::sibling;
using prjVireo::Variant;

const catalogue::Catalogue& test_catalogue() { return sibling::registered_catalogue(); }

class SiblingCatalogue : public ::testing::Test {
protected:
    void SetUp() override { reset_writer_state(); }
    void TearDown() override { reset_writer_state(); }

    // Opens a fresh file on `ctl` with the delimiters "*", ":" and "~".
    std::string open(prjVireo::basic_vireo& ctl) {
        ctl.DataElementSeparator("*");
        ctl.SubelementSeparator(":");
        ctl.SegmentTerminator("~");
        std::string path = temp_path();
        ctl.OpenFile(path);
        return path;
    }
};

TEST_F(SiblingCatalogue, IsRegisteredBesideThe4010One) {
    const catalogue::Catalogue& c = test_catalogue();
    EXPECT_EQ(catalogue::find_catalogue("999999x999t1"), &c);
    EXPECT_EQ(catalogue::find_catalogue("004010X098A1"), &catalogue::professional_4010());
    EXPECT_EQ(catalogue::registered().front(), &catalogue::professional_4010());
    EXPECT_EQ(catalogue::find_catalogue("005010X223A2"), nullptr);
    // Registering it again changes nothing; another catalogue of the same name is refused.
    const auto before = catalogue::registered();
    catalogue::register_catalogue(c);
    EXPECT_EQ(catalogue::registered(), before);
    static const catalogue::Catalogue same_name("999999x999t1", "", {});
    const Outcome twice = attempt([&] { catalogue::register_catalogue(same_name); });
    EXPECT_EQ(twice.number, 5);
    EXPECT_TRUE(mentions(twice, "a catalogue named 999999x999t1 is already registered")) << twice.message;
    // Its guide too: the guides are known by the catalogues' names.
    EXPECT_EQ(prjVireo::guide::find_guide("999999X999T1"), &sibling::declared_guide());
    EXPECT_EQ(prjVireo::guide::registered_guides().front(), &prjVireo::guide::professional_4010());
}

TEST_F(SiblingCatalogue, SameNamedClassesWriteWhatTheirOwnCatalogueDeclares) {
    sibling::sibling_control ctl;
    const std::string path = open(ctl);
    auto nm1 = ctl.L2010AA_NM1_00_BillingProviderName();
    nm1->m01_EntityIdentifierCode = sibling::L2010AA_NM1_01_98_127_EntityIdentCode::val_85_BillingProvider;
    nm1->m02_EntityTypeQualifier = "2";
    nm1->m03_OrganizationName = "ACME";
    nm1->m08_IdentificationCodeQualifier =
        sibling::L2010AA_NM1_08_IdentificationCodeQualifier::val_XX_NationalProviderIdentifier;
    nm1->m09_IdentificationCode = "1234567893";
    nm1->Additem();
    auto dtp = ctl.L2300_DTP_00_ClaimDate();
    dtp->m01_DateTimeQualifier = sibling::L2300_DTP_01_DateTimeQualifier::val_454_InitialTreatment;
    dtp->m02_DateTimePeriodFormat = "D8";
    dtp->m03_DateTimePeriod = "20261206";
    dtp->Additem();
    ctl.CloseFile();
    EXPECT_EQ(read_file(path), "NM1*85*2*ACME*****XX*1234567893~DTP*454*D8*20261206~");
    EXPECT_EQ(ctl.SegCount(), "2");
    EXPECT_EQ(&nm1->descriptor(), &sibling::L2010AA_NM1_00::Descriptor());
    EXPECT_NE(&sibling::L2010AA_NM1_00::Descriptor(), &prjVireo::L2010AA_NM1_00::Descriptor());
}

TEST_F(SiblingCatalogue, LateBindingKnowsOnlyItsCatalogue) {
    sibling::sibling_control ctl;
    prjVireo::ControlDispatch dispatch(ctl);
    EXPECT_EQ(dispatch.GetIDOfName("l9_k3_00_fileinformation"), 0x68040100);
    EXPECT_EQ(dispatch.NameOf(0x68040110), "L2300_DTP_00_ClaimDate");
    EXPECT_EQ(dispatch.NameOf(0x680300E1), "");  // the 4010 catalogue's first slot
    EXPECT_EQ(dispatch.GetIDOfName("ErrorTrap"), prjVireo::dispids::kErrorTrap);
    EXPECT_EQ(attempt([&] { dispatch.GetIDOfName("L2300_CLM_00_CLMInfo"); }).number, 438);

    // A 4010 object is of another class: refused when writes report errors
    // (the AlwaysReported slot), passed over on a Trapped one without ErrorTrap.
    auto foreign = std::make_shared<prjVireo::SegmentDispatch>(std::make_shared<prjVireo::L2300_DTP_01>());
    const Outcome stored = attempt(
        [&] { dispatch.put_ref("L2300_DTP_00_ClaimDate", Variant(std::shared_ptr<prjVireo::Dispatch>(foreign))); });
    EXPECT_EQ(stored.number, 13);
    EXPECT_TRUE(mentions(stored, "takes an object of class L2300_DTP_00, not L2300_DTP_01")) << stored.message;
    auto before = ctl.L2010AA_N3_00_BillingProviderAddress();
    dispatch.put_ref("L2010AA_N3_00_BillingProviderAddress", Variant(std::shared_ptr<prjVireo::Dispatch>(foreign)));
    EXPECT_EQ(ctl.L2010AA_N3_00_BillingProviderAddress(), before);
}

struct ScriptCase {
    const char* name;
    const char* script;
    int status;
    const char* output;  // the file written, when status is 0
    const char* error;   // part of the error stream, when status is not 0
};

class SiblingScripts : public SiblingCatalogue, public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(SiblingScripts, RunOnTheCatalogueGiven) {
    const ScriptCase& c = GetParam();
    vireo_runner::RunOptions options;
    options.output = temp_path();
    options.catalogue = &test_catalogue();
    std::ostringstream err;
    const auto result = vireo_runner::run_script(std::string_view(c.script), options, err);
    EXPECT_EQ(result.exit_status, c.status) << err.str();
    if (c.status == 0) {
        EXPECT_EQ(read_file(options.output), c.output);
    } else {
        EXPECT_NE(err.str().find(c.error), std::string::npos) << err.str();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sibling, SiblingScripts,
    ::testing::Values(
        ScriptCase{"SegmentSteps",
                   R"({"L2010AA_N3_00_BillingProviderAddress": {"m01_AddressLine": "1 MAIN ST", "m02_AddressLine2": "STE 2"}}
{"L2300_DTP_00_ClaimDate": {"m01_DateTimeQualifier": "431", "m02_DateTimePeriodFormat": "D8", "m03_DateTimePeriod": "20261201"}}
)",
                   0, "N3*1 MAIN ST*STE 2~DTP*431*D8*20261201~", ""},
        ScriptCase{"CodeByMemberName",
                   R"({"L2010AA_NM1_00_BillingProviderName": {"m01_EntityIdentifierCode": "val_85_BillingProvider", "m03_OrganizationName": "X"}})",
                   0, "NM1*85**X~", ""},
        ScriptCase{"A4010PropertyIsUnknown",
                   R"({"L9_K3_00_FileInformation": {}}
{"L2300_CLM_00_CLMInfo": {"m01_PatControlNum": "1"}})",
                   1, "", "\"L2300_CLM_00_CLMInfo\" is not a segment object property"},
        ScriptCase{"A4010FieldIsUnknown",
                   R"({"L2010AA_NM1_00_BillingProviderName": {"m03_BillPROVLastorOrgalName": "X"}})", 1, "",
                   "L2010AA_NM1_00 has no field \"m03_BillPROVLastorOrgalName\""},
        ScriptCase{"A4010CodeIsNotInItsList",
                   R"({"L2300_DTP_00_ClaimDate": {"m01_DateTimeQualifier": "435"}})", 1, "",
                   "L2300_DTP_00.m01_DateTimeQualifier"}),
    [](const ::testing::TestParamInfo<ScriptCase>& info) { return std::string(info.param.name); });

// An interchange of the test guide, 999999X999T1.
constexpr const char* kSiblingFile =
    "ISA*00*          *00*          *ZZ*SENDER         *ZZ*RECEIVER       *061015*1405*U*00401*000000001*0*T*:~"
    "GS*HC*SENDER*RECEIVER*20061015*1405*1*X*999999X999T1~"
    "ST*837*0001~"
    "NM1*85*2*ACME CLINIC*****XX*1234567893~"
    "DTP*431*D8*20061001~"
    "K3*NOTE~"
    "SE*5*0001~"
    "GE*1*1~"
    "IEA*1*000000001~";

// Writes one segment of the test guide's interchange through the class that
// writes it: the test catalogue's for the body, the 4010 one's for the envelope.
void write_segment(prjVireo::vireo& envelope, sibling::sibling_control& body, const std::string& text) {
    std::vector<std::string> elements(1);
    for (char c : text) {
        if (c == '*') {
            elements.emplace_back();
        } else {
            elements.back() += c;
        }
    }
    const std::map<std::string, std::string> envelope_classes = {{"ISA", "L0_ISA_00"}, {"GS", "L0_GS_00"},
                                                                  {"ST", "L1_ST_00"},   {"SE", "L2440_SE_00"},
                                                                  {"GE", "L0_GE_00"},   {"IEA", "L0_IEA_00"}};
    const auto known = envelope_classes.find(elements[0]);
    prjVireo::basic_vireo& ctl = known != envelope_classes.end() ? static_cast<prjVireo::basic_vireo&>(envelope) : body;
    const catalogue::Catalogue& c = ctl.catalogue();
    const catalogue::Slot* slot = nullptr;
    for (const catalogue::Slot& s : c.slots()) {
        if (known != envelope_classes.end() ? s.segment_class->name == known->second
                                            : s.segment_class->segment_id == elements[0]) {
            slot = &s;
        }
    }
    ASSERT_NE(slot, nullptr) << text;
    auto object = ctl.member(static_cast<std::size_t>(slot - c.slots().data()));
    object->Clear();
    const prjVireo::SegmentClassDescriptor& d = *slot->segment_class;
    for (std::size_t i = 0; i < d.field_count; ++i) {
        const prjVireo::FieldDescriptor& f = d.fields[i];
        if (static_cast<std::size_t>(f.element) >= elements.size() || elements[f.element].empty()) continue;
        if (f.kind == prjVireo::FieldKind::Code) {
            object->set_code(f, prjVireo::code_value(elements[f.element]));
        } else {
            object->text(f) = elements[f.element];
        }
    }
    object->Additem();
}

std::vector<std::string> rules_of(const prjVireo::GuideChecker& checker) {
    std::vector<std::string> out;
    for (const prjVireo::Finding& f : checker.findings()) out.push_back(f.rule + " " + f.element);
    return out;
}

// A guide no program knows is named, and the group checked against 4010.
TEST_F(SiblingCatalogue, FilesAreCheckedAgainstTheGuideTheirGroupNames) {
    test_catalogue();
    struct Case {
        const char* name;
        const prjVireo::guide::Guide* forced;
        const char* gs08;
        std::vector<std::string> rules;  // the first findings' rules and elements
        std::string first_message;       // when not empty
    };
    const Case cases[] = {
        {"GS08 chooses the test guide", nullptr, "999999X999T1", {}, ""},
        {"the test guide given", &sibling::declared_guide(), "999999X999T1", {}, ""},
        {"the 4010 guide forced",
         &prjVireo::guide::professional_4010(),
         "999999X999T1",
         {"code GS08", "placement ", "placement ", "placement ", "required-segment ", "required-segment "},
         ""},
        {"a guide no program knows", nullptr, "123456X789A1", {"guide GS08"},
         "GS08 \"123456X789A1\" names no guide vireo knows (it knows " + prjVireo::guide::known_guides() +
             "): the group is checked against 004010X098A1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prjVireo::CheckOptions options;
        options.guide = c.forced;
        prjVireo::GuideChecker checker(options);
        std::string file = kSiblingFile;
        file.replace(file.find("999999X999T1"), 12, c.gs08);
        checker.begin_file("sibling.837");
        checker.feed(file);
        checker.end_file();
        const std::vector<std::string> rules = rules_of(checker);
        EXPECT_EQ(std::vector<std::string>(rules.begin(), rules.begin() + std::min(rules.size(), c.rules.size())),
                  c.rules);
        EXPECT_EQ(checker.errors() == 0, c.rules.empty());
        EXPECT_EQ(checker.segments(), 9u);
        if (!c.first_message.empty()) {
            EXPECT_EQ(checker.findings().front().message, c.first_message);
        }
    }
}

TEST_F(SiblingCatalogue, AnAttachedCheckerUsesTheGuideOfTheControlsCatalogue) {
    sibling::sibling_control ctl;
    prjVireo::CheckOptions other;
    other.guide = &prjVireo::guide::professional_4010();
    prjVireo::GuideChecker refusing(other);
    const Outcome attached = attempt([&] { refusing.attach(ctl); });
    EXPECT_EQ(attached.number, 5);
    EXPECT_TRUE(mentions(attached, "checks against 004010X098A1; the control writes 999999X999T1")) << attached.message;

    // The 4010 control writes the envelope and the test control the body of
    // the test guide's interchange, segment by segment: checked against the
    // test guide, it holds nothing wrong; against 4010 its body is misplaced.
    for (const bool forced_4010 : {false, true}) {
        test_catalogue();
        prjVireo::CheckOptions options;
        if (forced_4010) options.guide = &prjVireo::guide::professional_4010();
        prjVireo::vireo envelope;
        prjVireo::GuideChecker checker(options);
        const Outcome outcome = attempt([&] {
            checker.attach(forced_4010 ? static_cast<prjVireo::basic_vireo&>(envelope) : ctl);
            const std::string path = open(envelope);
            const std::string file = kSiblingFile;
            for (std::size_t at = 0, end; (end = file.find('~', at)) != std::string::npos; at = end + 1) {
                write_segment(envelope, ctl, file.substr(at, end - at));
            }
            envelope.CloseFile();
            EXPECT_EQ(read_file(path), file);
        });
        EXPECT_EQ(outcome.number, 0) << outcome.message;
        EXPECT_EQ(checker.errors() == 0, !forced_4010) << forced_4010;
        EXPECT_EQ(checker.segments(), 9u);
    }
}

}  // namespace
