// A second catalogue beside the 4010 one: the engine, the control, late
// binding, the type library, the script schema and the script runner all work
// on whichever catalogue they are given, and the two never mix. Every class,
// field, slot and code list of it is also run through catalogue_test.cpp.
#include <sstream>
#include <utility>

#include <nlohmann/json.hpp>

#include "sibling/sibling.h"
#include "test_support.h"
#include "vireo/checker/guide_checker.h"
#include "vireo/control/typelib.h"
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
    EXPECT_EQ(catalogue::find_catalogue("SIBLING-TEST"), &c);
    EXPECT_EQ(catalogue::find_catalogue("004010X098A1"), &catalogue::professional_4010());
    EXPECT_EQ(catalogue::registered().front(), &catalogue::professional_4010());
    EXPECT_EQ(catalogue::find_catalogue("005010X223A2"), nullptr);
    // Registering it again changes nothing; another catalogue of the same name is refused.
    const auto before = catalogue::registered();
    catalogue::register_catalogue(c);
    EXPECT_EQ(catalogue::registered(), before);
    static const catalogue::Catalogue same_name("Sibling-Test", "", {});
    const Outcome twice = attempt([&] { catalogue::register_catalogue(same_name); });
    EXPECT_EQ(twice.number, 5);
    EXPECT_TRUE(mentions(twice, "a catalogue named Sibling-Test is already registered")) << twice.message;
}

TEST_F(SiblingCatalogue, SlotsAnswerToTheIdsTheirListGives) {
    const auto& slots = test_catalogue().slots();
    ASSERT_EQ(slots.size(), 4u);
    const std::pair<const char*, prjVireo::DISPID> expected[] = {
        {"L2010AA_NM1_00_BillingProviderName", 0x68040103}, {"L2010AA_N3_00_BillingProviderAddress", 0x68040102},
        {"L2300_DTP_00_ClaimDate", 0x68040110}, {"L9_K3_00_FileInformation", 0x68040100}};
    for (std::size_t i = 0; i < slots.size(); ++i) {
        EXPECT_EQ(slots[i].property, expected[i].first);
        EXPECT_EQ(slots[i].dispid, expected[i].second);
        EXPECT_EQ(test_catalogue().slot_of_dispid(slots[i].dispid), static_cast<std::ptrdiff_t>(i));
    }
    // The ids between and beside them are no slot's.
    for (prjVireo::DISPID id : {0x68040101, 0x68040104, 0x6804010F, 0x68040111, 0x680400FF}) {
        EXPECT_EQ(test_catalogue().slot_of_dispid(id), -1) << std::hex << id;
    }
    // Ids far from the slots, at either end of the range, are no slot (and no overflow).
    EXPECT_EQ(test_catalogue().slot_of_dispid(INT32_MIN), -1);
    EXPECT_EQ(test_catalogue().slot_of_dispid(INT32_MAX), -1);
    EXPECT_EQ(catalogue::professional_4010().slot_of_dispid(INT32_MIN), -1);
}

// What its slot list declares beside the ids.
TEST_F(SiblingCatalogue, SlotsTakeTheirErrorModeAndCodeListsAreItsOwn) {
    const auto& slots = test_catalogue().slots();
    EXPECT_TRUE(slots[2].write_always_reports);
    EXPECT_FALSE(slots[0].write_always_reports);
    // Its code lists are its own, though one shares a 4010 list's name.
    EXPECT_EQ(test_catalogue().codelists()[0], &sibling::codelists::L2010AA_NM1_01_98_127_EntityIdentCode);
    EXPECT_NE(test_catalogue().codelists()[0], &prjVireo::codelists::L2010AA_NM1_01_98_127_EntityIdentCode);
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

TEST_F(SiblingCatalogue, TypeLibraryDescribesItsCatalogue) {
    const auto lib = nlohmann::json::parse(prjVireo::typelib::to_json(test_catalogue()));
    // Its classes, fields and code lists: CatalogueShape, for every catalogue.
    EXPECT_EQ(lib["description"], "Vireo test catalogue");
    // The 4010 library is untouched.
    const auto lib4010 = nlohmann::json::parse(prjVireo::typelib::to_json(prjVireo::catalogue::professional_4010()));
    EXPECT_EQ(lib4010["classes"].size(), prjVireo::catalogue::slots().size());
    EXPECT_EQ(lib4010["description"], "Vireo ActiveX Control for HIPAA 837 4010");
}

TEST_F(SiblingCatalogue, ScriptSchemaListsItsProperties) {
    const auto schema = vireo_runner::script_schema(test_catalogue());
    const std::string text = schema.dump();
    EXPECT_NE(text.find("L9_K3_00_FileInformation"), std::string::npos);
    EXPECT_NE(text.find("val_454_InitialTreatment"), std::string::npos);
    EXPECT_EQ(text.find("L2300_CLM_00_CLMInfo"), std::string::npos);
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

TEST_F(SiblingCatalogue, GuideCheckerRefusesAControlOfAnotherCatalogue) {
    sibling::sibling_control ctl;
    prjVireo::GuideChecker checker;
    const Outcome attached = attempt([&] { checker.attach(ctl); });
    EXPECT_EQ(attached.number, 5);
    EXPECT_TRUE(mentions(attached, "checks files of the catalogue 004010X098A1; this control writes sibling-test"))
        << attached.message;

    vireo_runner::RunOptions options;
    options.output = temp_path();
    options.catalogue = &test_catalogue();
    options.check = vireo_runner::RunOptions::Check::Report;
    std::ostringstream err;
    const auto result = vireo_runner::run_script(std::string_view(R"({"L9_K3_00_FileInformation": {}})"), options, err);
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_NE(err.str().find("checks files of the catalogue 004010X098A1"), std::string::npos) << err.str();
}

TEST_F(SiblingCatalogue, Both4010AndSiblingControlsLiveOnOneThread) {
    prjVireo::vireo professional;
    sibling::sibling_control small;
    const std::string path = open(professional);
    // One writer state per thread: both controls write to the file it opened.
    auto nm1 = professional.L2010AA_NM1_00_BillPROVName();
    nm1->m01_EntityIdentCode = prjVireo::L2010AA_NM1_01_98_127_EntityIdentCode::val_85_BillPROV_98_127;
    nm1->m03_BillPROVLastorOrgalName = "ACME";
    nm1->Additem();
    auto k3 = small.L9_K3_00_FileInformation();
    k3->m01_FixedFormatInformation = "NOTE";
    k3->Additem();
    professional.CloseFile();
    EXPECT_EQ(read_file(path), "NM1*85**ACME~K3*NOTE~");
}

}  // namespace
