// Writes a small interchange through the control exactly as a host program would.
#include <cstdio>

#include "control/vireo.h"
#include "tools/commands.h"

namespace vireo_cli {

using namespace prjVireo;

namespace {

int sample(const Args& args) {
    std::string path = "vireo-sample.837";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "-o" || args[i] == "--output") && i + 1 < args.size()) {
            path = args[++i];
        } else {
            std::fprintf(stderr, "usage: vireo sample [-o FILE]\n");
            return 2;
        }
    }
    vireo ctl;
    TextPropertyBag defaults;  // a control placed new: "*", ":", "~"
    ctl.ReadProperties(defaults);
    ctl.NewLine(NewLineValues::LF_ToSegEnd);
    ctl.ErrorTrap(-1);  // report every failure
    ctl.OpenFile(path);

    auto isa = ctl.L0_ISA_00_IntControlHeader();
    isa->m01_AuthInfoQul = L0_ISA_01_001_001_AuthInfoQul::val_00_NoAuthInfoPresentinISA02;
    isa->m03_SecurityInfoQul = L0_ISA_03_001_001_SecurityInfoQul::val_00_NoSecurityInfoPresentinISA04;
    isa->m05_IntIDQul = L0_ISA_05_001_001_IntIDQul::val_ZZ_MutuallyDefined;
    isa->m06_IntSenderID = "SUBMITTER1";
    isa->m07_IntIDQul = L0_ISA_05_001_001_IntIDQul::val_ZZ_MutuallyDefined;
    isa->m08_IntRecvID = "RECEIVER1";
    isa->m09_IntDate = "041231";
    isa->m10_IntTime = "1430";
    isa->m11_IntStandsIdent = L0_ISA_11_001_001_IntControlStandsIdent::val_U_US_EDICommunityofASCX12TDCCandUCS;
    isa->m12_IntControlVersionNum = "00401";
    isa->m13_IntControlNumMustMatchIEA02 = "000000001";
    isa->m14_AcknowledgmentRequested = L0_ISA_14_001_001_AcknowledgmentRequested::val_0_NotAcknowledgmentRequested;
    isa->m15_ProductionTestUsageIndicator = L0_ISA_15_001_001_UsageIndicator::val_T_TestData;
    isa->Additem();

    auto gs = ctl.L0_GS_00_FunctGroupHeader();
    gs->m01_FunctIdentCode = L0_GS_01_001_001_FunctIdentCode::val_HC_HealthCareCLMs;
    gs->m02_AppSendersCode = "SUBMITTER1";
    gs->m03_AppRecvsCode = "RECEIVER1";
    gs->m04_CreationDate = "20041231";
    gs->m05_CreationTime = "1430";
    gs->m06_GroupControlNum = "1";
    gs->m07_RespAgencyCode = L0_GS_07_001_001_RespAgencyCode::val_X_AccreditedStandsCommitteeX12;
    gs->m08_VersionReleaseIndIdentCode = "004010X098A1";
    gs->Additem();

    ctl.SegCount("0");  // the transaction's count runs from ST to SE
    auto st = ctl.L1_ST_00_TransSetHeader();
    st->m01_TransSetIdentCode = L1_ST_01_143_3_TransSetIdentCode::val_837_HealthCareCLM_143_3;
    st->m02_TransSetControlNum = "0001";
    st->Additem();

    auto bht = ctl.L1_BHT_00_BegHITrans();
    bht->m01_HIStructCode = L1_BHT_01_1005_7_HIStructCode::val_0019_InfoSourceSubDep_1005_7;
    bht->m02_TransSetPurposeCode = L1_BHT_02_353_9_TransSetPurposeCode::val_00_Orig_353_9;
    bht->m03_OriginatorAppTransIdent = "0123";
    bht->m04_TransSetCreationDate = "20041231";
    bht->m05_TransSetCreationTime = "1430";
    bht->m06_CLMorEncounterIdent = L1_BHT_06_640_15_CLMorEncounterIdent::val_CH_Chargeable_640_15;
    bht->Additem();

    auto se = ctl.L2440_SE_00_TransSetTrailer();
    se->m02_TransSetControlNum = "0001";
    se->Additem();

    auto ge = ctl.L0_GE_00_FunctGroupTrailer();
    ge->m01_NumofTransSetsIncluded = "1";
    ge->m02_GroupControlNum = "1";
    ge->Additem();

    auto iea = ctl.L0_IEA_00_IntControlTrailer();
    iea->m01_NumofIncludedFunctGroupsCount = "1";
    iea->m02_IntControlNum = "000000001";
    iea->Additem();

    ctl.CloseFile();
    std::printf("wrote %s\n", path.c_str());
    return 0;
}

const Registration kSample({"sample", sample, "sample [-o FILE]      write a small sample envelope (ISA to IEA)"});

}  // namespace
}  // namespace vireo_cli
