// A segment is assembled in one of two ways: straight into the bytes written
// when nobody listens to BeforeAdd, and as UTF-8 text that is announced and then
// converted when someone does. Both must write the same bytes for every kind of
// field, text and delimiter, so each case runs without and with a listener.
#include "test_support.h"

using namespace prjVireo;
using vireo_test::ControlTest;

namespace {

struct PathCase {
    const char* name;
    const char* separator;  // data element separator (UTF-8)
    void (*fill)(vireo& ctl);
    void (*add)(vireo& ctl);
    std::string written;
};

void add_st(vireo& ctl) { ctl.L1_ST_00_TransSetHeader()->Additem(); }
void add_n3(vireo& ctl) { ctl.L2010BA_N3_00_SubscriberAddress()->Additem(); }
void add_sv1(vireo& ctl) { ctl.L2400_SV1_00_ProfessionalSvc()->Additem(); }
void add_isa(vireo& ctl) { ctl.L0_ISA_00_IntControlHeader()->Additem(); }

void st(vireo& ctl, std::int32_t code, const std::string& number) {
    auto s = ctl.L1_ST_00_TransSetHeader();
    s->m01_TransSetIdentCode = static_cast<L1_ST_01_143_3_TransSetIdentCode>(code);
    s->m02_TransSetControlNum = number;
}

const std::string kLong(3000, 'A');  // longer than any assembly buffer starts with

const PathCase kCases[] = {
    {"ansi_text", "*", [](vireo& c) { st(c, code_value("837"), "JOS\xC3\x89"); }, add_st, "ST*837*JOS\xC9~"},
    {"character_outside_the_code_page", "*", [](vireo& c) { st(c, code_value("837"), "X\xC4\x80Y"); }, add_st,
     "ST*837*X?Y~"},
    {"invalid_utf8_byte", "*", [](vireo& c) { st(c, code_value("837"), "X\xFFY"); }, add_st, "ST*837*X?Y~"},
    {"code_byte_above_ascii", "*", [](vireo& c) { st(c, 0xC9, "1"); }, add_st, "ST*\xC9*1~"},
    {"code_with_odd_digit_count", "*", [](vireo& c) { st(c, 0x414, "1"); }, add_st, std::string("ST*A\x04*1~")},
    {"question_mark_separator_trims_only_real_ones", "?",
     [](vireo& c) { st(c, code_value("837"), "0001\xC4\x80?"); }, add_st, "ST?837?0001?~"},
    {"separator_outside_the_code_page", "\xC4\x80",
     [](vireo& c) { st(c, code_value("837"), "0001\xC4\x80"); }, add_st, "ST?837?0001~"},
    {"long_text", "*", [](vireo& c) { c.L2010BA_N3_00_SubscriberAddress()->m02_SubscriberAddressLine = kLong; },
     add_n3, "N3**" + kLong + "~"},
    {"long_and_short_components", "*",
     [](vireo& c) {
         auto s = c.L2400_SV1_00_ProfessionalSvc();
         s->m0101_ProductorSvcIDQul = L2400_SV1_01_235_1976_ProductorSvcIDQul::val_HC_CMS_HCPCS_235_1976;
         s->m0102_ProcedureCode = "PROCEDURE-CODE-OF-20";
         s->m0104_ProcedureModifier = "\xC3\xA9";
         s->m04_SvcUnitCount = "1";
         s->m0702_DiagnosisCodePointer = "2";
     },
     add_sv1, "SV1*HC:PROCEDURE-CODE-OF-20::\xE9***1***:2~"},
    {"fixed_width_with_ansi_and_cut", "*",
     [](vireo& c) {
         auto s = c.L0_ISA_00_IntControlHeader();
         s->m02_AuthInfo = "CAF\xC3\x89";
         s->m06_IntSenderID = "SENDER-ID-LONGER-THAN-FIFTEEN";
         s->m16_ComponentElementSeparator = ":";
     },
     // Every fixed-width element is filled, empty or not.
     add_isa, "ISA**CAF\xC9      **          **SENDER-ID-LONGE**               *****         ***:~"},
};

class AssemblyPaths : public ControlTest, public ::testing::WithParamInterface<std::tuple<PathCase, bool>> {};

TEST_P(AssemblyPaths, WriteTheSameBytes) {
    const auto& [c, listening] = GetParam();
    ctl->DataElementSeparator(c.separator);
    std::string announced;
    if (listening) {
        ctl->BeforeAdd.connect([&](std::string& v, std::int32_t&, std::int16_t&) { announced = v; });
    }
    c.fill(*ctl);
    c.add(*ctl);
    EXPECT_EQ(output(), c.written);
    if (listening) {
        EXPECT_FALSE(announced.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AssemblyPaths, ::testing::Combine(::testing::ValuesIn(kCases), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "_announced" : "_direct");
                         });

}  // namespace
