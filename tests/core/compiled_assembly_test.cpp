// Every class whose assembly is compiled writes the same bytes whichever way
// it is assembled: compiled into the file's bytes (nobody listens), by the
// descriptor-driven engine into the file's bytes (nobody listens, but an
// annotation line is asked for, which the compiled path leaves to the engine),
// and announced first (someone listens: compiled for ASCII, the engine for the
// rest). The fields of every class of the built-in catalogues are filled many times over
// from a pool of awkward values (empty, exactly 16 bytes, 17 bytes, long, not
// ASCII, made of delimiters, codes with odd digit counts or below " ") and the
// three files must be equal byte for byte once the annotation lines are gone.
#include <cctype>
#include <random>

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

// The built-in catalogues; the test catalogue is made by the same declarations
// and adds no assembly of its own.
std::vector<const catalogue::Catalogue*> every_catalogue() { return catalogue::registered(); }

class CompiledAssembly
    : public ::testing::TestWithParam<std::tuple<Filling, const catalogue::Catalogue*>> {
protected:
    void SetUp() override { vireo_test::reset_writer_state(); }
    void TearDown() override { vireo_test::reset_writer_state(); }

    // Writes `rounds` random fillings of every compiled class and returns the file.
    std::string write_all(bool listening, bool annotated, int rounds) {
        const auto& [f, cat] = GetParam();
        basic_vireo ctl(*cat);
        std::string path = vireo_test::temp_path();
        ctl.OpenFile(path);
        ctl.Annotation(annotated ? -1 : 0);
        ctl.DataElementSeparator(f.separator);
        ctl.SubelementSeparator(f.component);
        ctl.SegmentTerminator("~");
        ctl.NewLine(static_cast<NewLineValues>(f.new_line));
        if (listening) ctl.BeforeAdd.connect([](std::string&, std::int32_t&, std::int16_t&) {});
        std::mt19937 random(20261205);
        const auto& slots = cat->slots();
        for (int round = 0; round < rounds; ++round) {
            for (std::size_t i = 0; i < slots.size(); ++i) {
                if (!slots[i].segment_class->compiled_body) continue;
                std::shared_ptr<SegmentObject> object = ctl.member(i);
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
        ctl.CloseFile();
        return vireo_test::read_file(path);
    }
};

// The file without its annotation lines ("\r\n\t" label "\r\n\r\n"): no
// value of the pool holds a CR.
std::string without_annotations(const std::string& file) {
    std::string out;
    for (std::size_t at = 0; at < file.size();) {
        if (file.compare(at, 3, "\r\n\t") == 0) {
            const std::size_t end = file.find("\r\n\r\n", at + 3);
            if (end == std::string::npos) break;
            at = end + 4;
        } else {
            out.push_back(file[at++]);
        }
    }
    return out;
}

void expect_same(const std::string& expected, const std::string& actual, const char* what) {
    if (expected == actual) return;
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    const std::size_t from = at > 80 ? at - 80 : 0;
    ADD_FAILURE() << what << ": first difference at byte " << at << "\ncompiled: " << expected.substr(from, 160)
                  << "\n" << what << ": " << actual.substr(from, 160);
}

TEST_P(CompiledAssembly, WritesWhatTheEngineWrites) {
    // As many rounds as give every catalogue some ten thousand segments.
    const int rounds = static_cast<int>(10000 / std::get<1>(GetParam())->slots().size()) + 1;
    const std::string compiled = write_all(false, false, rounds);
    const std::string engine = without_annotations(write_all(false, true, rounds));
    const std::string announced = write_all(true, false, rounds);
    ASSERT_GT(compiled.size(), 100000u);
    expect_same(compiled, engine, "engine");
    expect_same(compiled, announced, "announced");
}

INSTANTIATE_TEST_SUITE_P(Delimiters, CompiledAssembly,
                         ::testing::Combine(::testing::ValuesIn(kFillings), ::testing::ValuesIn(every_catalogue())),
                         [](const auto& info) {
                             std::string name = std::string(std::get<0>(info.param).name) + "_" +
                                                std::string(std::get<1>(info.param)->name());
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

// Every class but the envelope and trailer ones with their own assembly
// (ISA, GS, GE, IEA, SE) has a compiled body: a class that lost it would still
// write correctly, only slower, so it is checked here.
TEST(CompiledAssemblyCoverage, EveryCommonAndPackedClassIsCompiled) {
    for (const catalogue::Catalogue* cat : every_catalogue()) {
        for (const catalogue::Slot& slot : cat->slots()) {
            const Assembly a = slot.segment_class->assembly;
            const bool expected = a == Assembly::Common || a == Assembly::PackedComposites;
            EXPECT_EQ(slot.segment_class->compiled_body != nullptr, expected)
                << cat->name() << " " << slot.segment_class->name;
        }
    }
}

// The compiled path reads 16 bytes from every string's buffer: an empty
// string must keep its 15 characters and a NUL inside the object, and a
// 16-character one must live in an allocation of at least 17 bytes.
TEST(CompiledAssemblyStrings, KeepSixteenReadableBytes) {
    std::string empty;
    EXPECT_EQ(empty.capacity(), 15u);
    const auto* object = reinterpret_cast<const char*>(&empty);
    EXPECT_GE(empty.data(), object);
    EXPECT_LE(empty.data() + 16, object + sizeof empty);
    std::string longer(16, 'x');
    EXPECT_GE(longer.capacity(), 16u);
}

}  // namespace
