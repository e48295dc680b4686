// A GuideChecker attached to a control sees every segment exactly as it is
// written, after BeforeAdd had its say, and never changes a byte: its findings
// are those of checking the written file, plus what only the fields show.
#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"
#include "minimal_837.h"
#include "vireo/checker/guide_checker.h"

namespace {

using namespace prjVireo;
using vireo_test::read_file;
using vireo_checker_test::kMinimal;

using Fields = std::vector<std::pair<const char*, const char*>>;

std::size_t slot_index(const char* property) {
    const catalogue::Slot* slot = catalogue::find_slot(property);
    EXPECT_NE(slot, nullptr) << property;
    return static_cast<std::size_t>(slot - catalogue::slots().data());
}

// Clear and set the fields (code fields by their code text).
void fill(SegmentObject& obj, const Fields& fields) {
    obj.Clear();
    for (const auto& [name, value] : fields) {
        const FieldDescriptor* f = obj.descriptor().find_field(name);
        ASSERT_NE(f, nullptr) << name;
        if (f->kind == FieldKind::Code) {
            obj.set_code(*f, code_value(value));
        } else {
            obj.text(*f) = value;
        }
    }
}

// Clear, set the fields, Additem: what a host does.
void put(vireo& ctl, const char* property, const Fields& fields) {
    auto obj = ctl.member(slot_index(property));
    ASSERT_NE(obj, nullptr) << property;
    fill(*obj, fields);
    obj->Additem();
}

// The classes that write the segments of kMinimal, in its order.
const char* const kMinimalProperties[] = {
    "L0_ISA_00_IntControlHeader", "L0_GS_00_FunctGroupHeader", "L1_ST_00_TransSetHeader", "L1_BHT_00_BegHITrans",
    "L1_REF_00_TranTypeID", "L1000A_NM1_00_SubName", "L1000A_PER_00_SubEDIContactInfo", "L1000B_NM1_00_RecvName",
    "L2000A_HL_00_BillPaytoPROVHILevel", "L2010AA_NM1_00_BillPROVName", "L2010AA_N3_00_BillPROVAddress",
    "L2010AA_N4_00_BillPROVCityStateZip", "L2010AA_REF_00_BillPROV2ndID", "L2000B_HL_00_SubscriberHILevel",
    "L2000B_SBR_00_SubscriberInfo", "L2010BA_NM1_00_SubscriberName", "L2010BA_N3_00_SubscriberAddress",
    "L2010BA_N4_00_SubscriberCityStateZip", "L2010BA_DMG_00_SubscriberDmoInfo", "L2010BB_NM1_00_PayerName",
    "L2300_CLM_00_CLMInfo", "L2300_HI_00_HealthCareDiagnosisCode", "L2400_LX_00_SvcLine",
    "L2400_SV1_00_ProfessionalSvc", "L2400_DTP_00_DateSvcDate", "L2440_SE_00_TransSetTrailer",
    "L0_GE_00_FunctGroupTrailer", "L0_IEA_00_IntControlTrailer"};

std::vector<std::string> split(const std::string& text, char at) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == at) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

// Clear and set the fields from a segment's text, "*" between elements and ":"
// between components; the trailer's count is left for the control to fill.
void fill_from(SegmentObject& obj, const std::string& segment) {
    obj.Clear();
    const SegmentClassDescriptor& d = obj.descriptor();
    const std::vector<std::string> elements = split(segment, '*');
    for (std::size_t i = 0; i < d.field_count; ++i) {
        const FieldDescriptor& f = d.fields[i];
        if (static_cast<std::size_t>(f.element) >= elements.size()) continue;
        if (d.assembly == Assembly::Trailer && f.element == 1) continue;
        const std::vector<std::string> parts = split(elements[f.element], f.component ? ':' : '\0');
        const std::size_t part = f.component ? f.component : 1;
        const std::string value = part <= parts.size() ? parts[part - 1] : "";
        if (value.empty()) continue;
        if (f.kind == FieldKind::Code) {
            obj.set_code(f, code_value(value));
        } else {
            obj.text(f) = value;
        }
    }
}

// Writes segment `number` (ISA = 1) of kMinimal through its class.
std::shared_ptr<SegmentObject> put_minimal(vireo& ctl, std::size_t number) {
    auto obj = ctl.member(slot_index(kMinimalProperties[number - 1]));
    fill_from(*obj, kMinimal[number - 1]);
    return obj;
}

// The smallest valid interchange, up to the SE (segments 1 to 26) or whole,
// with the subscriber's last name and the sender's ID as given.
void write_minimal(vireo& ctl, bool trailers = true, const char* subscriber_last_name = "DOE",
                   const char* sender = "VIREOSUBMIT") {
    for (std::size_t number = 1; number <= (trailers ? kMinimal.size() : 26); ++number) {
        auto obj = put_minimal(ctl, number);
        if (number == 1) obj->text(*obj->descriptor().find_field("m06_IntSenderID")) = sender;
        if (number == 3) ctl.SegCount("0");
        if (number == 16) obj->text(*obj->descriptor().find_field("m03_SubscriberLastName")) = subscriber_last_name;
        obj->Additem();
    }
}

// "16 2010BA NM1[NM103] warning delimiter"
std::string key(const Finding& f) {
    std::string k = std::to_string(f.segment) + " " + f.loop + " " + f.segment_id;
    if (!f.element.empty()) k += "[" + f.element + "]";
    return k + (f.severity == Finding::Severity::Error ? " error " : " warning ") + f.rule;
}

std::vector<std::string> keys(const std::vector<Finding>& findings, const char* severity = nullptr) {
    std::vector<std::string> out;
    for (const Finding& f : findings) {
        const bool error = f.severity == Finding::Severity::Error;
        if (severity && (std::string(severity) == "error") != error) continue;
        out.push_back(key(f));
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The findings of checking a file as `vireo check` does.
std::vector<std::string> file_findings(const std::string& path) {
    GuideChecker checker;
    checker.begin_file(path);
    checker.feed(read_file(path));
    checker.end_file();
    return keys(checker.findings());
}

class AttachTest : public vireo_test::ControlTest {
protected:
    void SetUp() override {
        vireo_test::reset_writer_state();
        ctl = std::make_unique<vireo>();
        TextPropertyBag defaults;
        ctl->ReadProperties(defaults);
        ctl->NewLine(NewLineValues::LF_ToSegEnd);
        path = vireo_test::temp_path();
    }
};

TEST_F(AttachTest, CheckingNeverChangesAByte) {
    ctl->OpenFile(path);
    write_minimal(*ctl);
    ctl->CloseFile();
    const std::string unchecked = read_file(path);

    // Attached to a file already open, the checker checks it from then on.
    ctl->OpenFile(path);
    GuideChecker checker;
    checker.attach(*ctl);
    write_minimal(*ctl);
    ctl->CloseFile();
    EXPECT_EQ(read_file(path), unchecked);
    EXPECT_EQ(checker.segments(), 28u);
    EXPECT_EQ(keys(checker.findings()), std::vector<std::string>{});
    EXPECT_EQ(file_findings(path), std::vector<std::string>{});
}

// Whatever shapes the file (a handler that cancels a segment or writes one
// first, annotation lines, values that split or cut), the checker's errors
// are those of checking the written file; its warnings are what only the
// fields show.
TEST_F(AttachTest, FindsWhatCheckingTheWrittenFileFinds) {
    const struct {
        const char* name;
        std::function<void(vireo&)> setup;
        const char* last_name;
        const char* sender;
        const char* text;  // in the file, or with in_file false, not
        bool in_file;
        std::vector<std::string> errors;
        std::vector<std::string> warnings;
    } cases[] = {
        {"a handler cancels the REF",
         [](vireo& ctl) {
             ctl.BeforeAdd.connect([](std::string& SegValue, std::int32_t&, std::int16_t& bCancel) {
                 if (SegValue.starts_with("REF*87")) bCancel = -1;
             });
         },
         "DOE", "VIREOSUBMIT", "REF*87", false, {"5 ST REF error required-segment"}, {}},
        // Announcing BHT, the handler writes a note first: it lands before BHT.
        {"a handler writes a segment first",
         [](vireo& ctl) {
             auto once = std::make_shared<bool>(true);
             ctl.BeforeAdd.connect([&ctl, once](std::string& SegValue, std::int32_t&, std::int16_t&) {
                 if (*once && SegValue.starts_with("BHT")) {
                     *once = false;
                     put(ctl, "L2300_NTE_00_CLMNote", {{"m01_NoteRefCode", "ADD"}, {"m02_CLMNoteText", "EARLY"}});
                 }
             });
         },
         "DOE", "VIREOSUBMIT", "ST*837*0001~\nNTE*ADD*EARLY~\nBHT*", true, {"4 ST NTE error placement"}, {}},
        // "PEÑA", written in Windows-1252.
        {"annotation lines and text outside ASCII", [](vireo& ctl) { ctl.Annotation(-1); }, "PE\xC3\x91" "A",
         "VIREOSUBMIT", "PE\xD1" "A", true, {"1   error annotation", "16 2010BA NM1[NM103] error characters"}, {}},
        // The bytes hold two names and a 15-character ID.
        {"values the file splits or cuts", [](vireo&) {}, "O*BRIEN", "VIREOSUBMITTER00001", "VIREOSUBMITTER0*", true,
         {"16 2010BA NM1 error syntax", "16 2010BA NM1[NM106] error not-used", "16 2010BA NM1[NM110] error not-used"},
         {"1 ISA ISA[ISA06] warning cut", "16 2010BA NM1[NM103] warning delimiter"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ctl.reset();
        vireo_test::reset_writer_state();
        SetUp();
        GuideChecker checker;
        checker.attach(*ctl);
        c.setup(*ctl);
        ctl->OpenFile(path);
        write_minimal(*ctl, true, c.last_name, c.sender);
        ctl->CloseFile();
        EXPECT_EQ(read_file(path).find(c.text) != std::string::npos, c.in_file) << read_file(path);
        EXPECT_EQ(keys(checker.findings(), "error"), c.errors);
        EXPECT_EQ(keys(checker.findings(), "warning"), c.warnings);
        EXPECT_EQ(file_findings(path), c.errors);
    }
}

TEST_F(AttachTest, FindingsAtAnyPointAndTheRestAtCloseFile) {
    GuideChecker checker;
    checker.attach(*ctl);
    ctl->OpenFile(path);
    write_minimal(*ctl, false);
    EXPECT_EQ(checker.segments(), 26u);
    EXPECT_EQ(checker.errors(), 0u);
    put(*ctl, "L2010AA_N3_00_BillPROVAddress", {{"m01_BillPROVAddressLine", "OUT OF PLACE"}});
    EXPECT_EQ(keys(checker.findings()), std::vector<std::string>{"27 ST N3 error placement"});
    ctl->CloseFile();
    EXPECT_EQ(keys(checker.findings()), (std::vector<std::string>{"27 GS GE error required-segment",
                                                                  "27 ISA IEA error required-segment",
                                                                  "27 ST N3 error placement"}));
    for (const Finding& f : checker.findings()) EXPECT_EQ(f.file, path);
}

TEST_F(AttachTest, ChecksEveryFileTheControlOpens) {
    GuideChecker checker;
    checker.attach(*ctl);
    const std::string second = vireo_test::temp_path();
    ctl->OpenFile(path);
    write_minimal(*ctl);
    ctl->CloseFile();
    ctl->OpenFile(second);
    write_minimal(*ctl, false);
    ctl->CloseFile();
    ASSERT_EQ(checker.findings().size(), 2u);
    for (const Finding& f : checker.findings()) EXPECT_EQ(f.file, second);
    EXPECT_EQ(checker.segments(), 28u + 26u);
}

TEST_F(AttachTest, OneCheckerPerThreadAndDetachStops) {
    GuideChecker first;
    first.attach(*ctl);
    GuideChecker second;
    EXPECT_EQ(vireo_test::attempt([&] { second.attach(*ctl); }).number, 5) << "a second checker attached";
    first.detach();
    second.attach(*ctl);
    ctl->OpenFile(path);
    write_minimal(*ctl);
    second.detach();
    put(*ctl, "L2010AA_N3_00_BillPROVAddress", {{"m01_BillPROVAddressLine", "NOT CHECKED"}});
    ctl->CloseFile();
    EXPECT_EQ(first.segments(), 0u);
    EXPECT_EQ(second.segments(), 28u);
    EXPECT_EQ(second.errors(), 0u);
}

TEST_F(AttachTest, AttachesOnlyOnTheControlsThread) {
    GuideChecker checker;
    EXPECT_THROW(vireo_test::on_new_thread([&] { checker.attach(*ctl); }), VbError);
    checker.attach(*ctl);
    EXPECT_EQ(writer_state().watcher != nullptr, true);
}

TEST_F(AttachTest, NoFileNoSegments) {
    GuideChecker checker;
    checker.attach(*ctl);
    put(*ctl, "L1_ST_00_TransSetHeader", {{"m01_TransSetIdentCode", "837"}});  // lost: no file is open
    EXPECT_EQ(checker.segments(), 0u);
    EXPECT_TRUE(checker.findings().empty());
}

// What a BeforeAdd handler may do to the checker, the control, the file and
// the segment in progress (here the ISA, so that a checker's count shows
// whether its file began with it): each gives a defined result.
struct HandlerScene {
    vireo& ctl;
    std::unique_ptr<GuideChecker>& checker;
    SegmentObject* isa;  // the object being added; the control may hold the only reference
    std::size_t isa_slot;
    std::string second;  // a second file, for a handler that opens one
    BeforeAddEvent::Connection connection;  // the handler's own
};

TEST_F(AttachTest, WhatABeforeAddHandlerDoesInTheMiddleOfASegment) {
    const std::size_t isa_slot = slot_index("L0_ISA_00_IntControlHeader");
    ctl->OpenFile(path);
    put_minimal(*ctl, 1)->Additem();
    ctl->CloseFile();
    const std::string isa = read_file(path);
    ASSERT_TRUE(isa.starts_with("ISA*") && isa.ends_with("~\n")) << isa;

    const struct {
        const char* name;
        std::function<void(HandlerScene&)> act;  // run once, announcing the first ISA
        int error;    // VbError number from that Additem; -1 another exception; 0 none
        int first;    // ISAs in the file opened first (after none, the test writes one more)
        int second;   // ISAs in the file the handler opened; -1 when it opened none
        int checked;  // segments the checker attached at the end saw; -1 when none is
    } cases[] = {
        // A checker destroyed or detached stops at once; the segment in progress
        // is written, and a checker attached meanwhile checks from the next one.
        {"destroys the checker", [](HandlerScene& s) { s.checker.reset(); }, 0, 2, -1, -1},
        {"detaches the checker", [](HandlerScene& s) { s.checker->detach(); }, 0, 2, -1, 0},
        {"detaches and attaches the checker again",
         [](HandlerScene& s) {
             s.checker->detach();
             s.checker->attach(s.ctl);
         },
         0, 2, -1, 1},
        {"destroys the checker and attaches another",
         [](HandlerScene& s) {
             s.checker = std::make_unique<GuideChecker>();
             s.checker->attach(s.ctl);
         },
         0, 2, -1, 1},
        {"releases the segment object", [](HandlerScene& s) { s.ctl.set_member(s.isa_slot, nullptr); }, 0, 2, -1, 2},
        {"clears the segment object", [](HandlerScene& s) { s.isa->Clear(); }, 0, 2, -1, 2},
        {"adds the same segment object again", [](HandlerScene& s) { s.isa->Additem(); }, 0, 3, -1, 3},
        {"closes the file", [](HandlerScene& s) { s.ctl.CloseFile(); }, vbErrBadFileNameOrNumber, 0, -1, 0},
        {"closes the file and opens another",
         [](HandlerScene& s) {
             s.ctl.CloseFile();
             s.ctl.OpenFile(s.second);
         },
         0, 0, 2, 2},
        {"replaces the handlers",
         [](HandlerScene& s) {
             s.ctl.BeforeAdd.disconnect(s.connection);
             s.ctl.BeforeAdd.connect([](std::string&, std::int32_t&, std::int16_t& bCancel) { bCancel = -1; });
         },
         0, 1, -1, 1},
        {"throws", [](HandlerScene&) { throw std::runtime_error("the host's own error"); }, -1, 0, -1, 0},
    };
    auto copies = [&](int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out += isa;
        return out;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ctl.reset();
        vireo_test::reset_writer_state();
        ctl = std::make_unique<vireo>();
        TextPropertyBag defaults;
        ctl->ReadProperties(defaults);
        ctl->NewLine(NewLineValues::LF_ToSegEnd);
        ctl->ErrorTrap(true);
        auto checker = std::make_unique<GuideChecker>();
        checker->attach(*ctl);
        HandlerScene scene{*ctl, checker, nullptr, isa_slot, vireo_test::temp_path(), 0};
        bool once = true;
        scene.connection = ctl->BeforeAdd.connect([&](std::string&, std::int32_t&, std::int16_t&) {
            if (once) {
                once = false;
                c.act(scene);
            }
        });
        scene.isa = ctl->member(isa_slot).get();
        fill_from(*scene.isa, kMinimal[0]);
        ctl->OpenFile(path);
        int error = 0;
        try {
            scene.isa->Additem();  // the control may hold the only reference
        } catch (const VbError& e) {
            error = e.number();
        } catch (const std::runtime_error&) {
            error = -1;
        }
        EXPECT_EQ(error, c.error);
        if (!error) {
            if (!ctl->member(isa_slot)) ctl->set_member(isa_slot, catalogue::slots()[isa_slot].make());
            put_minimal(*ctl, 1)->Additem();
        }
        ctl->CloseFile();
        EXPECT_EQ(read_file(path), copies(c.first));
        if (c.second >= 0) {
            EXPECT_EQ(read_file(scene.second), copies(c.second));
        }
        EXPECT_EQ(checker ? static_cast<int>(checker->segments()) : -1, c.checked);
        checker.reset();
    }
}

// on_finding is host code called in the middle of checking a segment: what
// would start the checker over from inside is refused, files opened and
// closed are followed once the segment is checked, and the checker may be
// destroyed.
TEST_F(AttachTest, WhatOnFindingDoesInTheMiddleOfChecking) {
    struct Scene {
        vireo& ctl;
        std::unique_ptr<GuideChecker> checker;
        std::string second;
    };
    const struct {
        const char* name;
        std::function<void(Scene&)> act;  // run once, at the N3's finding
        int error;    // VbError number the call raised in on_finding; 0 none
        int first;    // segments in the file opened first
        int checked;  // segments the checker saw; -1 when it is gone
    } cases[] = {
        {"destroys the checker", [](Scene& s) { s.checker.reset(); }, 0, 3, -1},
        {"feeds the checker", [](Scene& s) { s.checker->feed("ISA"); }, vbErrInvalidProcedureCall, 3, 3},
        {"detaches the checker", [](Scene& s) { s.checker->detach(); }, vbErrInvalidProcedureCall, 3, 3},
        {"adds a segment", [](Scene& s) { put(s.ctl, "L2010AA_N3_00_BillPROVAddress", {}); },
         vbErrInvalidProcedureCall, 3, 3},
        // Closed, the file ends after the N3; the ISA after it is lost (ErrorTrap is off).
        {"closes the file", [](Scene& s) { s.ctl.CloseFile(); }, 0, 2, 2},
        {"closes the file and opens another",
         [](Scene& s) {
             s.ctl.CloseFile();
             s.ctl.OpenFile(s.second);
         },
         0, 2, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ctl->ErrorTrap(false);
        Scene scene{*ctl, nullptr, vireo_test::temp_path()};
        bool once = true;
        int error = 0;
        scene.checker = std::make_unique<GuideChecker>(CheckOptions{[&](const Finding&) {
            if (!once) return;
            once = false;
            try {
                c.act(scene);
            } catch (const VbError& e) {
                error = e.number();
            }
        }});
        scene.checker->attach(*ctl);
        ctl->OpenFile(path);
        put_minimal(*ctl, 1)->Additem();
        put(*ctl, "L2010AA_N3_00_BillPROVAddress", {{"m01_BillPROVAddressLine", "OUT OF PLACE"}});
        EXPECT_FALSE(once);
        put_minimal(*ctl, 1)->Additem();  // the second file's first segment, if any
        ctl->CloseFile();
        EXPECT_EQ(error, c.error);
        const std::string written = read_file(path);
        EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), c.first) << written;
        EXPECT_EQ(scene.checker ? static_cast<int>(scene.checker->segments()) : -1, c.checked);
        scene.checker.reset();
        ctl->CloseFile();
    }
}

}  // namespace
