// The control: its properties, files, members and event forwarding, the
// ErrorTrap rule of its operations, and the About box lifecycle.
#include "test_support.h"
#include "vireo/catalogues/professional_5010/control.h"

using namespace prjVireo;
using vireo_test::ControlTest;
using vireo_test::EventLog;

using Control = ControlTest;

TEST_F(Control, DelimitersKeepOneCharacter) {
    struct Case {
        const char* set;
        std::string reads;
    };
    for (const Case& c : {Case{"", " "}, Case{"|+", "|"}, Case{"~", "~"}, Case{"\xC2\xA7x", "\xC2\xA7"}}) {
        ctl->DataElementSeparator(c.set);
        ctl->SubelementSeparator(c.set);
        ctl->SegmentTerminator(c.set);
        EXPECT_EQ(ctl->DataElementSeparator(), c.reads) << c.set;
        EXPECT_EQ(ctl->SubelementSeparator(), c.reads) << c.set;
        EXPECT_EQ(ctl->SegmentTerminator(), c.reads) << c.set;
    }
}

// A 5010 control's fourth delimiter: ISA11 takes it when empty and sets it
// when given, as ISA16 does the component separator; strict values refuse a
// value holding it once a 5010 control has set it; late binding and the
// property bag reach it. A 4010 control has none.
TEST_F(Control, RepetitionSeparatorIsThe5010ControlsFourthDelimiter) {
    using namespace prjVireo::professional_5010;
    EXPECT_EQ(vireo_test::attempt([&] { ctl->RepetitionSeparator("!"); }).number, vbErrNotSupported);
    EXPECT_THROW(ControlDispatch(*ctl).GetIDOfName("RepetitionSeparator"), VbError);
    ctl->StrictValues(true);
    {
        professional_5010::vireo c5;  // "^" in a value is no delimiter until a 5010 control sets one
        c5.L0_GS_00_FunctGroupHeader()->m01_FunctIdentCode = from_code("HC");
        c5.L0_GS_00_FunctGroupHeader()->m02_AppSendersCode = "A^B";
        c5.L0_GS_00_FunctGroupHeader()->Additem();
    }
    ctl->StrictValues(false);

    struct Case {
        const char* set;    // RepetitionSeparator before the ISA, nullptr: as placed
        const char* isa11;  // the ISA field
        const char* written;
    };
    std::string expected = "GS*HC*A^B~";
    for (const Case& c : {Case{nullptr, "", "^"}, Case{"!", "", "!"}, Case{"!", "}", "}"}}) {
        professional_5010::vireo c5;
        TextPropertyBag placed;
        c5.ReadProperties(placed);
        if (c.set) ControlDispatch(c5).put("RepetitionSeparator", Variant(c.set));
        auto isa = c5.L0_ISA_00_IntControlHeader();
        isa->m01_AuthInfoQul = from_code("00");
        isa->m03_SecurityInfoQul = from_code("00");
        isa->m05_IntIDQul = from_code("ZZ");
        isa->m06_IntSenderID = "SENDER";
        isa->m07_IntIDQul = from_code("ZZ");
        isa->m08_IntRecvID = "RECEIVER";
        isa->m09_IntDate = "201007";
        isa->m10_IntTime = "1200";
        isa->m11_RepetitionSeparator = c.isa11;
        isa->m12_IntControlVersionNum = "00501";
        isa->m13_IntControlNumMustMatchIEA02 = "000000001";
        isa->m14_AcknowledgmentRequested = from_code("0");
        isa->m15_ProductionTestUsageIndicator = from_code("T");
        isa->Additem();
        expected += std::string("ISA*00*          *00*          *ZZ*SENDER         *ZZ*RECEIVER       *201007*1200*") +
                    c.written + "*00501*000000001*0*T*:~";
        EXPECT_EQ(c5.RepetitionSeparator(), c.written);

        c5.StrictValues(true);
        auto gs = c5.L0_GS_00_FunctGroupHeader();
        gs->m02_AppSendersCode = std::string("A") + c.written + "B";
        const auto refused = vireo_test::attempt([&] { gs->Additem(); });
        EXPECT_EQ(refused.number, vbErrInvalidProcedureCall) << c.written;
        EXPECT_TRUE(vireo_test::mentions(refused, "the repetition separator")) << refused.message;
        c5.StrictValues(false);

        TextPropertyBag saved;
        c5.WriteProperties(saved);
        EXPECT_EQ(saved.serialize(), c.set || *c.isa11 ? std::string("RepetitionSeparator=\"") + c.written + "\"\n" : "");
        ctl->ReadProperties(saved);  // a 4010 control neither reads nor saves the key
        TextPropertyBag saved_4010;
        ctl->WriteProperties(saved_4010);
        EXPECT_EQ(saved_4010.serialize(), "");
        c5.ReadProperties(saved);
        EXPECT_EQ(ControlDispatch(c5).get("RepetitionSeparator").to_string(), c.written);
    }
    EXPECT_EQ(output(), expected);
}

TEST_F(Control, SegCountConvertsTextAndKeepsItsValueOnBadText) {
    ctl->SegCount("41");
    EXPECT_EQ(ctl->SegCount(), "41");
    ctl->SegCount(" -7 ");
    EXPECT_EQ(ctl->SegCount(), "-7");
    ctl->SegCount("2.5");  // rounds half to even
    EXPECT_EQ(ctl->SegCount(), "2");
    ctl->SegCount("&H10");
    EXPECT_EQ(ctl->SegCount(), "16");
    ctl->SegCount("abc");
    EXPECT_EQ(ctl->SegCount(), "16");
    ctl->SegCount("99999999999");
    EXPECT_EQ(ctl->SegCount(), "16");
    ctl->ErrorTrap(-1);
    EXPECT_EQ(vireo_test::attempt([&] { ctl->SegCount("abc"); }).number, vbErrTypeMismatch);
    EXPECT_EQ(vireo_test::attempt([&] { ctl->SegCount("99999999999"); }).number, vbErrOverflow);
}

// A Boolean set from C++ with a bool holds the control's true, -1, as one set
// to -1 does; ErrorTrap(-1) is the Integer overload, and a bool passed through
// late binding is a Boolean.
TEST_F(Control, BooleansSetWithABoolHoldMinusOneForTrue) {
    struct Case {
        const char* how;
        void (*set)(vireo&);
        std::int16_t error_trap;
        std::int16_t annotation;
    };
    for (const Case& c : {
             Case{"true", [](vireo& v) { v.ErrorTrap(true); v.Annotation(true); }, -1, -1},
             Case{"false", [](vireo& v) { v.ErrorTrap(false); v.Annotation(false); }, 0, 0},
             Case{"-1", [](vireo& v) { v.ErrorTrap(-1); v.Annotation(-1); }, -1, -1},
             Case{"Variant(true)",
                  [](vireo& v) {
                      ControlDispatch d(v);
                      d.put("ErrorTrap", Variant(true));
                      d.put("Annotation", Variant(true));
                  },
                  -1, -1},
         }) {
        ctl->ErrorTrap(std::int16_t{5});
        ctl->Annotation(std::int16_t{5});
        c.set(*ctl);
        EXPECT_EQ(ctl->ErrorTrap(), c.error_trap) << c.how;
        EXPECT_EQ(ctl->Annotation(), c.annotation) << c.how;
    }
    EXPECT_EQ(Variant(true).type(), VarType::Boolean);
    EXPECT_EQ(Variant(true).to_long(), -1);
    EXPECT_EQ(Variant(false).to_long(), 0);
}

TEST_F(Control, NewLineStoresAnyValue) {
    ctl->NewLine(static_cast<NewLineValues>(12345));
    EXPECT_EQ(static_cast<std::int32_t>(ctl->NewLine()), 12345);
}

TEST_F(Control, OpenFileWithEmptyPathUsesFilenameAndReturnsIt) {
    ctl->CloseFile();
    std::string named = vireo_test::temp_path();
    ctl->Filename(named);
    std::string path;
    ctl->OpenFile(path);
    EXPECT_EQ(path, named);
    ctl->L1_ST_00_TransSetHeader()->Additem();
    ctl->CloseFile();
    EXPECT_EQ(vireo_test::read_file(named), "ST*~");
}

TEST_F(Control, OpenFileWithPathLeavesFilenameAlone) {
    ctl->Filename("unused.837");
    std::string other = vireo_test::temp_path();
    std::string arg = other;
    ctl->OpenFile(arg);
    EXPECT_EQ(ctl->Filename(), "unused.837");
    EXPECT_EQ(arg, other);
}

TEST_F(Control, OpenFileDoesNotCloseTheEarlierFileNorResetTheCount) {
    ctl->L1_ST_00_TransSetHeader()->Additem();
    std::int16_t first = writer_state().file_number;
    std::string second = vireo_test::temp_path();
    ctl->OpenFile(second);
    EXPECT_NE(writer_state().file_number, first);
    EXPECT_NE(files::find(first), nullptr);
    EXPECT_EQ(ctl->SegCount(), "1");
    files::close(first);
}

TEST_F(Control, TwoControlsOnOneThreadShareTheWriterState) {
    vireo other;
    other.SegmentTerminator("!");
    EXPECT_EQ(ctl->SegmentTerminator(), "!");
    other.L1_ST_00_TransSetHeader()->Additem();
    ctl->L1_ST_00_TransSetHeader()->Additem();
    EXPECT_EQ(output(), "ST*!ST*!");
    EXPECT_EQ(other.SegCount(), "2");
}

TEST_F(Control, EachControlRaisesOnlyItsOwnMembersEvents) {
    vireo other;
    EventLog mine, theirs;
    mine.attach(ctl->BeforeAdd);
    theirs.attach(other.BeforeAdd);
    other.L1_ST_00_TransSetHeader()->Additem();
    EXPECT_TRUE(mine.events.empty());
    EXPECT_EQ(theirs.events.size(), 1u);
}

TEST_F(Control, ReplacedMemberIsForwardedAndTheOldOneNoLonger) {
    vireo donor;
    auto old_st = ctl->L1_ST_00_TransSetHeader();
    auto new_st = donor.L1_ST_00_TransSetHeader();
    ctl->L1_ST_00_TransSetHeader(new_st);
    EXPECT_EQ(ctl->L1_ST_00_TransSetHeader(), new_st);
    EventLog log;
    log.attach(ctl->BeforeAdd);
    new_st->m02_TransSetControlNum = "NEW";
    new_st->Additem();
    old_st->m02_TransSetControlNum = "OLD";
    old_st->Additem();
    ASSERT_EQ(log.events.size(), 1u);
    EXPECT_EQ(log.events[0].value, "ST**NEW~");
    ctl->L1_ST_00_TransSetHeader(nullptr);
    EXPECT_EQ(ctl->L1_ST_00_TransSetHeader(), nullptr);
    new_st->Additem();
    EXPECT_EQ(log.events.size(), 1u);
}

TEST_F(Control, SetMemberChecksTheClass) {
    EXPECT_THROW(ctl->set_member(0, ctl->member(1)), VbError);
    EXPECT_NO_THROW(ctl->set_member(1, ctl->member(1)));
}

TEST_F(Control, TerminationReleasesMembersButNotTheFileOrState) {
    std::weak_ptr<SegmentObject> st = ctl->member(4);
    std::int16_t n = writer_state().file_number;
    ctl->SegmentTerminator("!");
    ctl.reset();
    EXPECT_TRUE(st.expired());
    EXPECT_NE(files::find(n), nullptr);
    EXPECT_EQ(writer_state().segment_terminator.text(), "!");
    files::close(n);
}

TEST_F(Control, ResizeKeeps500By500Twips) {
    ctl->Resize(1234, 10);
    EXPECT_EQ(ctl->Width(), 500);
    EXPECT_EQ(ctl->Height(), 500);
}

TEST_F(Control, DateAndHexConversions) {
    using namespace std::chrono;
    EXPECT_EQ(ctl->Date_to_CCYYMMDD(year(2004) / March / 5), "20040305");
    EXPECT_EQ(ctl->Date_to_CCYYMMDD(year(2004) / February / 30), "");  // passed over
    ctl->ErrorTrap(-1);
    EXPECT_THROW(ctl->Date_to_CCYYMMDD(year(2004) / February / 30), VbError);
    EXPECT_EQ(ctl->StringToHex("837"), "&h383337");
}

namespace {

struct AboutLog {
    int created = 0, shown = 0, unloaded = 0;
};
AboutLog g_about;

struct RecordingAboutBox : AboutBox {
    void ShowModal() override {
        ++g_about.shown;
        // while shown, the writer state holds this box
        EXPECT_EQ(writer_state().about_box.get(), this);
    }
    void Unload() override { ++g_about.unloaded; }
};

}  // namespace

TEST_F(Control, ShowAboutBoxLoadsAFreshBoxEachTime) {
    set_about_box_factory([]() -> std::unique_ptr<AboutBox> {
        ++g_about.created;
        return std::make_unique<RecordingAboutBox>();
    });
    g_about = {};
    ctl->ShowAboutBox();
    ctl->ShowAboutBox();
    EXPECT_EQ(g_about.created, 2);
    EXPECT_EQ(g_about.shown, 2);
    EXPECT_EQ(g_about.unloaded, 2);
    EXPECT_EQ(writer_state().about_box, nullptr);
    set_about_box_factory(nullptr);
    EXPECT_NO_THROW(ctl->ShowAboutBox());  // passed over without ErrorTrap
    ctl->ErrorTrap(-1);
    EXPECT_THROW(ctl->ShowAboutBox(), VbError);
}
