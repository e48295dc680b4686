// Interchange, group and transaction headers: all-elements assembly, ISA's
// fixed widths and its tie to the component separator, and who counts. Each
// field set alone and the cleared segment are CatalogueClass cases.
#include "test_support.h"

using namespace prjVireo;
using vireo_test::ControlTest;

namespace {

void fill_isa(L0_ISA_00& isa) {
    isa.m01_AuthInfoQul = L0_ISA_01_001_001_AuthInfoQul::val_00_NoAuthInfoPresentinISA02;
    isa.m03_SecurityInfoQul = L0_ISA_03_001_001_SecurityInfoQul::val_00_NoSecurityInfoPresentinISA04;
    isa.m05_IntIDQul = L0_ISA_05_001_001_IntIDQul::val_ZZ_MutuallyDefined;
    isa.m06_IntSenderID = "SUBMITTER1";
    isa.m07_IntIDQul = L0_ISA_05_001_001_IntIDQul::val_ZZ_MutuallyDefined;
    isa.m08_IntRecvID = "RECEIVER1";
    isa.m09_IntDate = "041231";
    isa.m10_IntTime = "1430";
    isa.m11_IntStandsIdent = L0_ISA_11_001_001_IntControlStandsIdent::val_U_US_EDICommunityofASCX12TDCCandUCS;
    isa.m12_IntControlVersionNum = "00401";
    isa.m13_IntControlNumMustMatchIEA02 = "000000001";
    isa.m14_AcknowledgmentRequested = L0_ISA_14_001_001_AcknowledgmentRequested::val_0_NotAcknowledgmentRequested;
    isa.m15_ProductionTestUsageIndicator = L0_ISA_15_001_001_UsageIndicator::val_T_TestData;
}

const std::string kIsa =
    "ISA*00*          *00*          *ZZ*SUBMITTER1     *ZZ*RECEIVER1      *041231*1430*U*00401*000000001*0*T*:~";

}  // namespace

using Envelope = ControlTest;

// Codes given by their text become the fields' enum members: the same bytes.
TEST_F(Envelope, CodesGivenAsTextWriteTheSameBytes) {
    auto isa = ctl->L0_ISA_00_IntControlHeader();
    fill_isa(*isa);
    isa->m01_AuthInfoQul = from_code("00");
    isa->m05_IntIDQul = from_code("ZZ");
    isa->m11_IntStandsIdent = from_code("U");
    isa->m14_AcknowledgmentRequested = from_code("0");
    isa->m15_ProductionTestUsageIndicator = from_code("T");
    isa->Additem();
    EXPECT_EQ(isa->m16_ComponentElementSeparator, ":");  // taken from the control
    EXPECT_EQ(output(), kIsa);

    // A text that is no code of the field's list is refused, naming the list
    // and its codes, and the field keeps its value.
    for (const char* wrong : {"X", "", "t", "TT", "\x1b"}) {
        try {
            isa->m15_ProductionTestUsageIndicator = from_code(wrong);
            ADD_FAILURE() << wrong << " was taken for a code";
        } catch (const VbError& e) {
            EXPECT_EQ(e.number(), 380);
            EXPECT_NE(std::string(e.what()).find(" is not a code of the list L0_ISA_15_001_001_UsageIndicator (codes: "),
                      std::string::npos) << e.what();
            EXPECT_EQ(std::string(e.what()).find('\x1b'), std::string::npos) << "shown raw";
        }
        EXPECT_EQ(isa->m15_ProductionTestUsageIndicator, L0_ISA_15_001_001_UsageIndicator::val_T_TestData);
    }
}

TEST_F(Envelope, InterchangeHeaderVariants) {
    struct Case {
        const char* name;
        void (*change)(L0_ISA_00&);
        std::string written;
    };
    const Case cases[] = {
        {"short control number is space-filled", [](L0_ISA_00& i) { i.m13_IntControlNumMustMatchIEA02 = "17"; },
         "ISA*00*          *00*          *ZZ*SUBMITTER1     *ZZ*RECEIVER1      *041231*1430*U*00401*17       *0*T*:~"},
        {"long sender is cut", [](L0_ISA_00& i) { i.m06_IntSenderID = "ABCDEFGHIJKLMNOPQRST"; },
         "ISA*00*          *00*          *ZZ*ABCDEFGHIJKLMNO*ZZ*RECEIVER1      *041231*1430*U*00401*000000001*0*T*:~"},
    };
    for (const Case& c : cases) {
        vireo_test::reset_writer_state();
        vireo fresh;
        fresh.DataElementSeparator("*");
        fresh.SubelementSeparator(":");
        fresh.SegmentTerminator("~");
        std::string p = vireo_test::temp_path();
        fresh.OpenFile(p);
        auto isa = fresh.L0_ISA_00_IntControlHeader();
        fill_isa(*isa);
        c.change(*isa);
        isa->Additem();
        fresh.CloseFile();
        EXPECT_EQ(vireo_test::read_file(p), c.written) << c.name;
    }
}

TEST_F(Envelope, SetComponentSeparatorReplacesTheControlsEvenWhenCancelled) {
    auto isa = ctl->L0_ISA_00_IntControlHeader();
    fill_isa(*isa);
    isa->m16_ComponentElementSeparator = "^";
    auto c = ctl->BeforeAdd.connect([](std::string&, std::int32_t&, std::int16_t& b) { b = -1; });
    isa->Additem();
    ctl->BeforeAdd.disconnect(c);
    EXPECT_EQ(ctl->SubelementSeparator(), "^");
    isa->Additem();
    auto clm = ctl->L2300_CLM_00_CLMInfo();
    clm->m0501_FacTypeCode = "11";
    clm->m0503_CLMFrequencyCode = "1";
    clm->Additem();
    const std::string isa_text = kIsa.substr(0, kIsa.size() - 2) + "^~";
    EXPECT_EQ(output(), isa_text + "CLM*****11^^1~");
}

TEST_F(Envelope, LongSeparatorFieldIsWrittenWhole) {
    auto isa = ctl->L0_ISA_00_IntControlHeader();
    fill_isa(*isa);
    isa->m16_ComponentElementSeparator = "^|";
    isa->Additem();
    EXPECT_EQ(ctl->SubelementSeparator(), "^");
    EXPECT_EQ(output(), kIsa.substr(0, kIsa.size() - 2) + "^|~");
}

struct AllElementsCase {
    const char* name;
    void (*fill)(vireo&);
    const char* written;
};

class AllElements : public ControlTest, public ::testing::WithParamInterface<AllElementsCase> {};

TEST_P(AllElements, WriteEveryPositionThenTrim) {
    GetParam().fill(*ctl);
    EXPECT_EQ(output(), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AllElements,
    ::testing::Values(
        AllElementsCase{"GsVersionOnly",
                        [](vireo& c) {
                            auto s = c.L0_GS_00_FunctGroupHeader();
                            s->m01_FunctIdentCode = L0_GS_01_001_001_FunctIdentCode::val_HC_HealthCareCLMs;
                            s->m08_VersionReleaseIndIdentCode = "004010X098A1";
                            s->Additem();
                        },
                        "GS*HC*******004010X098A1~"},
        AllElementsCase{"BhtTrailingPresent",
                        [](vireo& c) {
                            auto s = c.L1_BHT_00_BegHITrans();
                            s->m01_HIStructCode = L1_BHT_01_1005_7_HIStructCode::val_0019_InfoSourceSubDep_1005_7;
                            s->m02_TransSetPurposeCode = L1_BHT_02_353_9_TransSetPurposeCode::val_00_Orig_353_9;
                            s->m04_TransSetCreationDate = "20041231";
                            s->Additem();
                        },
                        "BHT*0019*00**20041231~"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Envelope, TrailersOfGroupAndInterchangeDoNotCountThemselves) {
    struct Case {
        const char* name;
        std::shared_ptr<SegmentObject> object;
        int adds;
    };
    const Case cases[] = {{"ISA", ctl->L0_ISA_00_IntControlHeader(), 1}, {"GS", ctl->L0_GS_00_FunctGroupHeader(), 1},
                          {"BHT", ctl->L1_BHT_00_BegHITrans(), 1}, {"GE", ctl->L0_GE_00_FunctGroupTrailer(), 0},
                          {"IEA", ctl->L0_IEA_00_IntControlTrailer(), 0}};
    std::vector<std::int32_t> seen;
    ctl->BeforeAdd.connect([&](std::string&, std::int32_t& c, std::int16_t&) { seen.push_back(c); });
    for (const Case& c : cases) {
        ctl->SegCount("10");
        c.object->Additem();
        EXPECT_EQ(ctl->SegCount(), std::to_string(10 + c.adds)) << c.name;
        EXPECT_EQ(seen.back(), 11) << c.name;  // every segment is announced with count + 1
    }
    ctl->SegCount("10");
    auto cancel = ctl->BeforeAdd.connect([](std::string&, std::int32_t&, std::int16_t& b) { b = -1; });
    ctl->L0_GS_00_FunctGroupHeader()->Additem();
    EXPECT_EQ(ctl->SegCount(), "10");
    ctl->BeforeAdd.disconnect(cancel);
}

TEST_F(Envelope, CompleteFrameCountsFromStToSe) {
    auto isa = ctl->L0_ISA_00_IntControlHeader();
    fill_isa(*isa);
    isa->Additem();
    auto gs = ctl->L0_GS_00_FunctGroupHeader();
    gs->m01_FunctIdentCode = L0_GS_01_001_001_FunctIdentCode::val_HC_HealthCareCLMs;
    gs->Additem();
    ctl->SegCount("0");
    auto st = ctl->L1_ST_00_TransSetHeader();
    st->m01_TransSetIdentCode = L1_ST_01_143_3_TransSetIdentCode::val_837_HealthCareCLM_143_3;
    st->m02_TransSetControlNum = "0001";
    st->Additem();
    ctl->L1_BHT_00_BegHITrans()->Additem();
    auto se = ctl->L2440_SE_00_TransSetTrailer();
    se->m02_TransSetControlNum = "0001";
    se->Additem();
    std::string after_se = ctl->SegCount();
    ctl->L0_GE_00_FunctGroupTrailer()->Additem();
    ctl->L0_IEA_00_IntControlTrailer()->Additem();
    EXPECT_EQ(ctl->SegCount(), after_se);
    EXPECT_EQ(output(), kIsa + "GS*HC~ST*837*0001~BHT*~SE*3*0001~GE*~IEA*~");
}
