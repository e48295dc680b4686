// Automatic bookkeeping: what it fills, what it keeps, what it counts, when
// the segments it holds for HL04 are written, and how its errors reach the host.
#include <utility>
#include <vector>

#include "test_support.h"

using namespace prjVireo;
using vireo_test::ControlTest;
using vireo_test::EventLog;

namespace {

using Fields = std::vector<std::pair<const char*, const char*>>;

// Clear, the fields (a code by its text), Additem: one segment of the member of `class_name`.
void add(basic_vireo& c, const char* class_name, const Fields& fields = {}) {
    const auto& slots = c.catalogue().slots();
    const catalogue::Slot* slot = c.catalogue().find_slot(class_name);
    ASSERT_NE(slot, nullptr) << class_name;
    const std::shared_ptr<SegmentObject> object = c.member(static_cast<std::size_t>(slot - slots.data()));
    object->Clear();
    for (const auto& [name, value] : fields) {
        const FieldDescriptor* f = object->descriptor().find_field(name);
        ASSERT_NE(f, nullptr) << name;
        if (f->kind == FieldKind::Code) {
            object->set_code(*f, code_value(value));
        } else {
            object->text(*f) = value;
        }
    }
    object->Additem();
}

using Bookkeeping = ControlTest;

// Two transactions: a billing provider with two subscribers, the second with a
// patient, claims with two lines; then one where the host set HL01 and GE01.
TEST_F(Bookkeeping, FillsWhatTheHostLeftEmptyAndKeepsWhatItSet) {
    EXPECT_FALSE(ctl->AutoBookkeeping());
    ctl->AutoBookkeeping(true);
    add(*ctl, "L0_ISA_00", {{"m13_IntControlNumMustMatchIEA02", "000000905"}});
    add(*ctl, "L0_GS_00", {{"m06_GroupControlNum", "905"}});
    add(*ctl, "L1_ST_00", {{"m01_TransSetIdentCode", "837"}, {"m02_TransSetControlNum", "0001"}});
    add(*ctl, "L2000A_HL_00", {{"m03_HILevelCode", "20"}});
    add(*ctl, "L2010AA_NM1_00", {{"m01_EntityIdentCode", "85"}, {"m03_BillPROVLastorOrgalName", "CLINIC"}});
    for (const char* claim : {"A", "B"}) {
        add(*ctl, "L2000B_HL_00", {{"m03_HILevelCode", "22"}});
        if (claim[0] == 'B') add(*ctl, "L2000C_HL_00", {{"m03_HILevelCode", "23"}});
        add(*ctl, "L2300_CLM_00", {{"m01_PatAccountNum", claim}});
        add(*ctl, "L2400_LX_00");
        add(*ctl, "L2400_LX_00");
    }
    add(*ctl, "L2440_SE_00");
    add(*ctl, "L1_ST_00", {{"m01_TransSetIdentCode", "837"}, {"m02_TransSetControlNum", "0002"}});
    add(*ctl, "L2000A_HL_00", {{"m01_HIIDNum", "7"}, {"m03_HILevelCode", "20"}});
    add(*ctl, "L2000B_HL_00", {{"m03_HILevelCode", "22"}});
    add(*ctl, "L2300_CLM_00", {{"m01_PatAccountNum", "C"}});
    add(*ctl, "L2400_LX_00");
    add(*ctl, "L2440_SE_00", {{"m02_TransSetControlNum", "0009"}});
    add(*ctl, "L0_GE_00", {{"m01_NumofTransSetsIncluded", "5"}});
    add(*ctl, "L0_IEA_00");
    EXPECT_EQ(output(),
              "ISA**          **          **               **               *****000000905***:~"
              "GS******905~ST*837*0001~HL*1**20*1~NM1*85**CLINIC~"
              "HL*2*1*22*0~CLM*A~LX*1~LX*2~HL*3*1*22*1~HL*4*3*23*0~CLM*B~LX*1~LX*2~SE*13*0001~"
              "ST*837*0002~HL*7**20*1~HL*2*7*22*0~CLM*C~LX*1~SE*6*0009~GE*5*905~IEA*1*000000905~");
}

// Objects used again without Clear are numbered again (the filled values are
// emptied after each Additem, the trailer's count too); a cancelled segment
// takes no number and no count.
TEST_F(Bookkeeping, ReusedObjectsAreNumberedAgainAndCancelledOnesNotCounted) {
    ctl->AutoBookkeeping(true);
    auto st = ctl->L1_ST_00_TransSetHeader();
    auto lx = ctl->L2400_LX_00_SvcLine();
    auto hl = ctl->L2000B_HL_00_SubscriberHILevel();
    auto se = ctl->L2440_SE_00_TransSetTrailer();
    st->m01_TransSetIdentCode = from_code("837");
    st->m02_TransSetControlNum = "0001";
    hl->m03_HILevelCode = from_code("22");
    int lines = 0;
    ctl->BeforeAdd.connect([&](std::string& value, std::int32_t&, std::int16_t& cancel) {
        if (value.starts_with("LX") && lines++ == 0) cancel = -1;
    });
    for (int transaction = 0; transaction < 2; ++transaction) {
        st->Additem();
        for (int i = 0; i < 3 * (1 - transaction); ++i) lx->Additem();
        for (int i = 0; i < 2 * (1 - transaction); ++i) hl->Additem();
        se->Additem();
    }
    EXPECT_EQ(lx->m01_AssignedNum, "");
    EXPECT_EQ(se->m01_TransSegCount, "");
    EXPECT_EQ(hl->m04_HIChildCode, L2000B_HL_04_736_274_HIChildCode{});
    EXPECT_EQ(output(), "ST*837*0001~LX*1~LX*2~HL*1**22*0~HL*2**22*0~SE*6*0001~ST*837*0001~SE*2*0001~");
}

// An HL whose HL04 is empty is held with what follows it; whatever releases
// it, BeforeAdd then sees the held segments in their order with their counts.
TEST_F(Bookkeeping, HeldSegmentsAreAnnouncedWhenReleased) {
    struct Case {
        const char* name;
        void (*release)(vireo&);
        const char* written;  // after ST*837~
    };
    const Case cases[] = {
        {"CloseFile", [](vireo& c) { c.CloseFile(); }, "HL*1**20*0~NM1*85~"},
        {"switched off", [](vireo& c) { c.AutoBookkeeping(false); }, "HL*1**20*0~NM1*85~"},
        {"trailer", [](vireo& c) { add(c, "L2440_SE_00"); }, "HL*1**20*0~NM1*85~SE*4~"},
        {"child HL", [](vireo& c) { add(c, "L2000B_HL_00", {{"m04_HIChildCode", "0"}}); },
         "HL*1**20*1~NM1*85~HL*2*1**0~"},
    };
    for (const Case& c : cases) {
        SetUp();
        EventLog log;
        log.attach(ctl->BeforeAdd);
        ctl->AutoBookkeeping(true);
        add(*ctl, "L1_ST_00", {{"m01_TransSetIdentCode", "837"}});
        add(*ctl, "L2000A_HL_00", {{"m03_HILevelCode", "20"}});
        add(*ctl, "L2010AA_NM1_00", {{"m01_EntityIdentCode", "85"}});
        EXPECT_EQ(log.events.size(), 1u) << c.name;
        c.release(*ctl);
        std::string announced;
        for (std::size_t i = 0; i < log.events.size(); ++i) {
            announced += log.events[i].value;
            if (i < 3) {
                EXPECT_EQ(log.events[i].count, static_cast<std::int32_t>(i + 1)) << c.name;
            }
        }
        EXPECT_EQ(announced, std::string("ST*837~") + c.written) << c.name;
        EXPECT_EQ(output(), announced) << c.name;
        TearDown();
    }
}

// A held segment that fails is reported by the call that released it, once
// the others are written; what the mode cannot do is refused with what to do.
TEST_F(Bookkeeping, ErrorsReachTheHost) {
    ctl->AutoBookkeeping(true);
    ctl->StrictValues(true);
    add(*ctl, "L2000A_HL_00", {{"m03_HILevelCode", "20"}});
    add(*ctl, "L2010AA_NM1_00", {{"m03_BillPROVLastorOrgalName", "O*BRIEN"}});
    add(*ctl, "L2010AA_NM1_00", {{"m03_BillPROVLastorOrgalName", "OBRIEN"}});
    const auto released = vireo_test::attempt([&] { add(*ctl, "L2000B_HL_00"); });
    EXPECT_EQ(released.number, vbErrInvalidProcedureCall) << describe(released);
    EXPECT_TRUE(mentions(released, "m03_BillPROVLastorOrgalName) holds \"*\"")) << describe(released);

    L2000A_HL_00 unshared;
    const auto hold = vireo_test::attempt([&] { unshared.Additem(); });
    EXPECT_EQ(hold.number, vbErrInvalidProcedureCall);
    EXPECT_TRUE(mentions(hold, "own the object by a shared_ptr or set HL04")) << describe(hold);

    vireo_test::Outcome off;
    ctl->BeforeAdd.connect([&](std::string&, std::int32_t&, std::int16_t&) {
        off = vireo_test::attempt([&] { ctl->AutoBookkeeping(false); });
    });
    add(*ctl, "L2300_CLM_00");
    EXPECT_EQ(off.number, vbErrInvalidProcedureCall);
    EXPECT_TRUE(mentions(off, "once that Additem has returned")) << describe(off);
    EXPECT_TRUE(ctl->AutoBookkeeping());
    EXPECT_EQ(output(), "HL*1**20*1~NM1***OBRIEN~CLM*~");
}

// A thread that ends with segments held lets them go: its file was closed
// before, without the trailer that would have released them.
TEST(BookkeepingThread, EndsWithHeldSegmentsWithoutWritingThem) {
    const std::string path = vireo_test::temp_path();
    vireo_test::on_new_thread([&] {
        vireo c;
        c.OpenFile(path);
        c.AutoBookkeeping(true);
        add(c, "L2000A_HL_00", {{"m03_HILevelCode", "20"}});
        add(c, "L2010AA_NM1_00");
    });
    EXPECT_EQ(vireo_test::read_file(path), "");
}

}  // namespace
