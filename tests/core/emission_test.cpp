// The segment emission protocol on ST and SE: bytes written, the BeforeAdd
// arguments, cancelling, counting, reentrancy and the ErrorTrap modes.
#include <stdexcept>

#include "test_support.h"

using namespace prjVireo;
using vireo_test::ControlTest;
using vireo_test::EventLog;

namespace {

void fill_st(vireo& ctl, std::string number = "0001") {
    auto st = ctl.L1_ST_00_TransSetHeader();
    st->m01_TransSetIdentCode = L1_ST_01_143_3_TransSetIdentCode::val_837_HealthCareCLM_143_3;
    st->m02_TransSetControlNum = std::move(number);
}

}  // namespace

using Emission = ControlTest;

TEST_F(Emission, WritesSegmentAndRaisesTheSameTextWithNextCount) {
    EventLog log;
    log.attach(ctl->BeforeAdd);
    ctl->SegCount("41");
    fill_st(*ctl);
    ctl->L1_ST_00_TransSetHeader()->Additem();
    EXPECT_EQ(output(), "ST*837*0001~");
    ASSERT_EQ(log.events.size(), 1u);
    EXPECT_EQ(log.events[0].value, "ST*837*0001~");
    EXPECT_EQ(log.events[0].count, 42);
    EXPECT_EQ(ctl->SegCount(), "42");
}

struct StCase {
    const char* name;
    std::int32_t code;
    const char* number;
    const char* written;
};

class StLayout : public ControlTest, public ::testing::WithParamInterface<StCase> {};

TEST_P(StLayout, FollowsTheTrailingPresentRule) {
    auto st = ctl->L1_ST_00_TransSetHeader();
    st->m01_TransSetIdentCode = static_cast<L1_ST_01_143_3_TransSetIdentCode>(GetParam().code);
    st->m02_TransSetControlNum = GetParam().number;
    st->Additem();  // assembled for the file only
    EventLog log;
    log.attach(ctl->BeforeAdd);
    st->Additem();  // assembled as text for the event, then written
    EXPECT_EQ(log.events.at(0).value, GetParam().written);
    EXPECT_EQ(output(), std::string(GetParam().written) + GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StLayout,
    ::testing::Values(StCase{"both", 3683127, "0001", "ST*837*0001~"}, StCase{"space_code_is_absent", 0x20, "", "ST*~"},
                      // an absent code before the last present element is an empty position
                      StCase{"space_code_before_present", 0x20, "0001", "ST**0001~"},
                      StCase{"control_code_before_present", 0x1F, "0001", "ST**0001~"},
                      StCase{"space_then_letter_is_present", 0x2041, "0001", "ST* A*0001~"},
                      StCase{"value_outside_list", code_value("999"), "", "ST*999~"}),
    [](const auto& info) { return std::string(info.param.name); });

struct LineCase {
    std::int32_t new_line;
    std::int16_t annotation;
    std::string bytes;
};

class NewLineAndAnnotation : public ControlTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(NewLineAndAnnotation, FrameTheSegment) {
    ctl->NewLine(static_cast<NewLineValues>(GetParam().new_line));
    ctl->Annotation(GetParam().annotation);
    fill_st(*ctl);
    ctl->L1_ST_00_TransSetHeader()->Additem();
    EXPECT_EQ(output(), GetParam().bytes);
}

const std::string kLabel = "\r\n\tL_1_ST_TransSetHeader\r\n\r\n";
INSTANTIATE_TEST_SUITE_P(
    Modes, NewLineAndAnnotation,
    ::testing::Values(LineCase{0, 0, "ST*837*0001~"}, LineCase{1, 0, "ST*837*0001~\n"},
                      LineCase{2, 0, "ST*837*0001~\r\n"}, LineCase{3, 0, "ST*837*0001~"},
                      LineCase{-1, 0, "ST*837*0001~"}, LineCase{0, -1, kLabel + "ST*837*0001~"},
                      LineCase{2, -1, kLabel + "ST*837*0001~\r\n"},
                      // any non-zero Annotation flag writes the line
                      LineCase{0, 1, kLabel + "ST*837*0001~"}));

TEST_F(Emission, OnlyMinusOneCancels) {
    for (std::int16_t flag : {std::int16_t(1), std::int16_t(-1), std::int16_t(2)}) {
        auto c = ctl->BeforeAdd.connect([flag](std::string&, std::int32_t&, std::int16_t& b) { b = flag; });
        fill_st(*ctl, std::to_string(flag));
        ctl->L1_ST_00_TransSetHeader()->Additem();
        ctl->BeforeAdd.disconnect(c);
    }
    EXPECT_EQ(output(), "ST*837*1~ST*837*2~");
    EXPECT_EQ(ctl->SegCount(), "2");
}

TEST_F(Emission, CancelThroughTheSegmentObjectItself) {
    auto st = ctl->L1_ST_00_TransSetHeader();
    st->BeforeAdd.connect([](std::string&, std::int32_t&, std::int16_t& b) { b = -1; });
    fill_st(*ctl);
    st->Additem();
    EXPECT_EQ(output(), "");
    EXPECT_EQ(ctl->SegCount(), "0");
}

TEST_F(Emission, HandlerChangesToArgumentsAreIgnored) {
    ctl->BeforeAdd.connect([](std::string& v, std::int32_t& c, std::int16_t&) {
        v = "XX*Y~";
        c = 1000;
    });
    EventLog after;  // a later handler sees the first one's changes: the references are shared
    after.attach(ctl->BeforeAdd);
    fill_st(*ctl);
    ctl->L1_ST_00_TransSetHeader()->Additem();
    EXPECT_EQ(output(), "ST*837*0001~");
    EXPECT_EQ(ctl->SegCount(), "1");
    EXPECT_EQ(after.events.at(0).value, "XX*Y~");
    EXPECT_EQ(after.events.at(0).count, 1000);
}

// ---- SE ----

TEST_F(Emission, TrailerCountsItselfAndFillsTheCount) {
    EventLog log;
    log.attach(ctl->BeforeAdd);
    ctl->SegCount("4");
    auto se = ctl->L2440_SE_00_TransSetTrailer();
    se->m02_TransSetControlNum = "0001";
    se->Additem();
    EXPECT_EQ(output(), "SE*5*0001~");
    EXPECT_EQ(log.events.at(0).count, 6);
    EXPECT_EQ(ctl->SegCount(), "5");
    EXPECT_EQ(se->m01_TransSegCount, "5");
}

TEST_F(Emission, TrailerWithoutControlNumberAndWithHostCount) {
    ctl->SegCount("4");
    auto se = ctl->L2440_SE_00_TransSetTrailer();
    se->Additem();  // fills "5"
    se->m01_TransSegCount = "77";
    se->m02_TransSetControlNum = "0002";
    se->Additem();  // a count the host set is written as set
    EXPECT_EQ(output(), "SE*5~SE*77*0002~");
    EXPECT_EQ(ctl->SegCount(), "6");
}

TEST_F(Emission, CancelledTrailerStillCountsAndFills) {
    ctl->SegCount("4");
    ctl->BeforeAdd.connect([](std::string&, std::int32_t&, std::int16_t& b) { b = -1; });
    auto se = ctl->L2440_SE_00_TransSetTrailer();
    se->Additem();
    EXPECT_EQ(output(), "");
    EXPECT_EQ(ctl->SegCount(), "5");
    EXPECT_EQ(se->m01_TransSegCount, "5");
}

// ---- reentrancy and delimiters read after the event ----

TEST_F(Emission, HandlerWritingAnotherSegmentWritesItFirst) {
    EventLog log;
    log.attach(ctl->BeforeAdd);
    auto se = ctl->L2440_SE_00_TransSetTrailer();
    se->m01_TransSegCount = "9";
    bool inner = false;
    ctl->L1_ST_00_TransSetHeader()->BeforeAdd.connect([&](std::string&, std::int32_t&, std::int16_t&) {
        if (inner) return;
        inner = true;
        ctl->L1_BHT_00_BegHITrans()->m03_OriginatorAppTransIdent = "X";
        ctl->L1_BHT_00_BegHITrans()->Additem();
    });
    fill_st(*ctl);
    ctl->L1_ST_00_TransSetHeader()->Additem();
    EXPECT_EQ(output(), "BHT***X~ST*837*0001~");
    EXPECT_EQ(ctl->SegCount(), "2");
    ASSERT_EQ(log.events.size(), 2u);
    EXPECT_EQ(log.events[0].value, "BHT***X~");  // the inner event is raised during the outer one
    EXPECT_EQ(log.events[0].count, 1);
    EXPECT_EQ(log.events[1].value, "ST*837*0001~");
    EXPECT_EQ(log.events[1].count, 1);
}

TEST_F(Emission, DelimitersChangedInTheEventAffectOnlyTheSeparatorAfterTheId) {
    ctl->BeforeAdd.connect([&](std::string&, std::int32_t&, std::int16_t&) {
        ctl->DataElementSeparator("|");
        ctl->SegmentTerminator("!");
        ctl->NewLine(NewLineValues::LfCr_ToSegEnd);
    });
    fill_st(*ctl);
    ctl->L1_ST_00_TransSetHeader()->Additem();
    // body built before the event, the separator after the ID and the newline read after it
    EXPECT_EQ(output(), "ST|837*0001~\r\n");
}

// The handler that drops the control's reference may be the object's own or
// the control's (then the object has nothing of its own to call afterwards).
// Either way the segment is written whole and nothing reads the freed object.
TEST_F(Emission, HandlerMayReleaseTheObjectBeingWritten) {
    for (const bool own_handler : {true, false}) {
        SCOPED_TRACE(own_handler ? "the object's handler" : "the control's handler");
        if (!ctl->L1_ST_00_TransSetHeader()) ctl->L1_ST_00_TransSetHeader(std::make_shared<L1_ST_00>());
        fill_st(*ctl);
        auto st = ctl->L1_ST_00_TransSetHeader();
        auto release = [&](std::string&, std::int32_t&, std::int16_t&) { ctl->L1_ST_00_TransSetHeader(nullptr); };
        BeforeAddEvent::Connection c = 0;
        if (own_handler) {
            st->BeforeAdd.connect(release);
        } else {
            c = ctl->BeforeAdd.connect(release);
        }
        SegmentObject* raw = st.get();
        st.reset();  // only the control holds it now
        raw->Additem();
        if (!own_handler) ctl->BeforeAdd.disconnect(c);
    }
    EXPECT_EQ(output(), "ST*837*0001~ST*837*0001~");
}

TEST_F(Emission, TextIsWrittenInTheAnsiCodePage) {
    auto st = ctl->L1_ST_00_TransSetHeader();
    st->m02_TransSetControlNum = "CAF\xC3\x89 \xE2\x82\xAC \xE4\xB8\xAD";
    std::string seen;
    ctl->BeforeAdd.connect([&](std::string& v, std::int32_t&, std::int16_t&) { seen = v; });
    ctl->SegmentTerminator("\xC2\xA7");  // section sign: one character, two UTF-8 bytes
    st->Additem();
    EXPECT_EQ(seen, "ST**CAF\xC3\x89 \xE2\x82\xAC \xE4\xB8\xAD\xC2\xA7");
    EXPECT_EQ(output(), "ST**CAF\xC9 \x80 ?\xA7");
}

// ---- errors ----

TEST_F(Emission, HandlerErrorIsPassedOverOnlyWithoutErrorTrap) {
    ctl->BeforeAdd.connect([](std::string&, std::int32_t&, std::int16_t&) { throw VbError(vbErrOverflow); });
    fill_st(*ctl);
    ctl->L1_ST_00_TransSetHeader()->Additem();
    ctl->ErrorTrap(-1);
    EXPECT_THROW(ctl->L1_ST_00_TransSetHeader()->Additem(), VbError);
    EXPECT_EQ(output(), "ST*837*0001~");
}

// The ErrorTrap rule passes over run-time errors only: anything else (running
// out of memory, a broken invariant) reaches the host even with ErrorTrap off,
// and nothing of the segment is written.
TEST_F(Emission, OnlyRunTimeErrorsArePassedOver) {
    ctl->BeforeAdd.connect([](std::string&, std::int32_t&, std::int16_t&) { throw std::logic_error("broken"); });
    fill_st(*ctl);
    EXPECT_THROW(ctl->L1_ST_00_TransSetHeader()->Additem(), std::logic_error);
    EXPECT_EQ(output(), "");
}

TEST_F(Emission, PreviewShowsTheSegmentAndChangesNothing) {
    EventLog log;
    log.attach(ctl->BeforeAdd);
    ctl->SegCount("4");
    fill_st(*ctl);
    EXPECT_EQ(ctl->L1_ST_00_TransSetHeader()->Preview(), "ST*837*0001~");
    // SE shows the count it would fill in; ISA the component separator it would take.
    auto se = ctl->L2440_SE_00_TransSetTrailer();
    se->m02_TransSetControlNum = "0001";
    EXPECT_EQ(se->Preview(), "SE*5*0001~");
    EXPECT_EQ(se->m01_TransSegCount, "");
    auto isa = ctl->L0_ISA_00_IntControlHeader();
    const std::string preview = isa->Preview();
    EXPECT_EQ(preview.substr(preview.size() - 3), "*:~");
    EXPECT_EQ(isa->m16_ComponentElementSeparator, "");
    // The text BeforeAdd would receive: UTF-8, with the delimiters as they are now.
    ctl->DataElementSeparator("é");
    auto n3 = ctl->L2010BA_N3_00_SubscriberAddress();
    n3->m01_SubscriberAddressLine = "12 RUE JOSÉ";
    n3->m02_SubscriberAddressLine = "APT 3";
    EXPECT_EQ(n3->Preview(), "N3é12 RUE JOSÉéAPT 3~");
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(ctl->SegCount(), "4");
    EXPECT_EQ(output(), "");
}
