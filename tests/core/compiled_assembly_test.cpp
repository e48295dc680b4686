// Every class whose assembly is compiled writes, when nobody listens, the same
// bytes as the descriptor-driven engine writes when somebody does. The fields
// of every class of the catalogue are filled many times over from a pool of
// awkward values (empty, exactly 16 bytes, 17 bytes, long, not ASCII, made of
// delimiters, codes with odd digit counts or below " ") and each segment is
// written both ways; the two files must be equal byte for byte.
#include <random>

#include "control/catalogue.h"
#include "test_support.h"

using namespace prjVireo;

namespace {

const std::string kTexts[] = {
    "",  "",  "",  "A", "1234567890123456", "12345678901234567", "JOS\xC3\x89", "X\xC4\x80Y", "*", "A*",
    ":", "B:", "~", "**", std::string(300, 'L'), "   ", "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9",
};

const std::int32_t kCodes[] = {0, 0, 0, code_value("837"), code_value("BK"), code_value("Y"), 0x414, 0x20, 0x2020,
                               0x7, 0xC9, code_value("ZZZZ"), 0x12345};

struct Filling {
    const char* name;
    const char* separator;
    const char* component;
    std::int32_t new_line;
};

const Filling kFillings[] = {
    {"star_colon_lf", "*", ":", 1},
    {"pipe_caret_crlf", "|", "^", 2},
    {"separator_outside_ascii", "\xC2\xA7", ":", 0},
};

class CompiledAssembly : public vireo_test::ControlTest, public ::testing::WithParamInterface<Filling> {
protected:
    // Writes `rounds` random fillings of every compiled class and returns the file.
    std::string write_all(bool listening, int rounds) {
        const Filling& f = GetParam();
        ctl->DataElementSeparator(f.separator);
        ctl->SubelementSeparator(f.component);
        ctl->NewLine(static_cast<NewLineValues>(f.new_line));
        BeforeAddEvent::Connection c = 0;
        if (listening) c = ctl->BeforeAdd.connect([](std::string&, std::int32_t&, std::int16_t&) {});
        std::mt19937 random(20261205);
        const auto& slots = catalogue::slots();
        for (int round = 0; round < rounds; ++round) {
            for (std::size_t i = 0; i < slots.size(); ++i) {
                if (!slots[i].segment_class->compiled_body) continue;
                std::shared_ptr<SegmentObject> object = ctl->member(i);
                const SegmentClassDescriptor& d = object->descriptor();
                for (std::size_t k = 0; k < d.field_count; ++k) {
                    const FieldDescriptor& field = d.fields[k];
                    if (field.kind == FieldKind::Code) {
                        object->set_code(field, kCodes[random() % std::size(kCodes)]);
                    } else {
                        object->text(field) = kTexts[random() % std::size(kTexts)];
                    }
                }
                object->Additem();
                object->Clear();
            }
        }
        if (listening) ctl->BeforeAdd.disconnect(c);
        return output();
    }
};

TEST_P(CompiledAssembly, WritesWhatTheAnnouncedPathWrites) {
    const std::string direct = write_all(false, 40);
    // The same segments again, through the announced path, into a second file.
    path = vireo_test::temp_path();
    ctl->OpenFile(path);
    const std::string announced = write_all(true, 40);
    ASSERT_GT(direct.size(), 100000u);
    if (direct != announced) {
        std::size_t at = 0;
        while (at < direct.size() && at < announced.size() && direct[at] == announced[at]) ++at;
        const std::size_t from = at > 80 ? at - 80 : 0;
        FAIL() << "first difference at byte " << at << "\ncompiled:  " << direct.substr(from, 160)
               << "\nannounced: " << announced.substr(from, 160);
    }
}

INSTANTIATE_TEST_SUITE_P(Delimiters, CompiledAssembly, ::testing::ValuesIn(kFillings),
                         [](const auto& info) { return std::string(info.param.name); });

// Every class but the five envelope and trailer ones with their own assembly
// (ISA, GS, GE, IEA, SE) has a compiled body: a class that lost it would still
// write correctly, only slower, so it is checked here.
TEST(CompiledAssemblyCoverage, EveryCommonAndPackedClassIsCompiled) {
    std::size_t without = 0;
    for (const catalogue::Slot& slot : catalogue::slots()) {
        const Assembly a = slot.segment_class->assembly;
        const bool expected = a == Assembly::Common || a == Assembly::PackedComposites;
        EXPECT_EQ(slot.segment_class->compiled_body != nullptr, expected) << slot.segment_class->name;
        if (!slot.segment_class->compiled_body) ++without;
    }
    EXPECT_EQ(without, 5u);
}

}  // namespace
