// The vireo command with the test catalogue registered: its guide is reached
// by its id in check (by GS08 or --guide), describe, typelib, schema and run,
// as a second transaction version's guide is.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using namespace vireo_test;

// An interchange of the test guide, 999999X999T1.
constexpr const char* kSiblingFile =
    "ISA*00*          *00*          *ZZ*SENDER         *ZZ*RECEIVER       *061015*1405*U*00401*000000001*0*T*:~\n"
    "GS*HC*SENDER*RECEIVER*20061015*1405*1*X*999999X999T1~\n"
    "ST*837*0001~\n"
    "NM1*85*2*ACME CLINIC*****XX*1234567893~\n"
    "DTP*431*D8*20061001~\n"
    "K3*NOTE~\n"
    "SE*5*0001~\n"
    "GE*1*1~\n"
    "IEA*1*000000001~\n";

std::string write_temp(const std::string& text, const std::string& suffix) {
    const std::string path = temp_path(suffix);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

struct CommandCase {
    const char* name;
    std::vector<std::string> args;  // FILE stands for the test guide's interchange
    int status;
    std::string out;  // the whole of standard output, or a part of it when `part`
    bool part = false;
    std::string err = "";  // a part of standard error
};

TEST(SiblingCommand, TheTestGuideIsReachedByItsId) {
    const std::string file = write_temp(kSiblingFile, ".837");
    const CommandCase cases[] = {
        {"GS08 chooses the test guide", {"check", "FILE"}, 0, "FILE: 9 segments, 0 errors, 0 warnings\n"},
        {"--guide forces the 4010 one", {"check", "--guide", "004010X098A1", "FILE"}, 1,
         "FILE:2: GS GS[GS08]: error: \"999999X999T1\" is not a code of Version / Release / Industry Identifier "
         "Code: one of 004010X098A1\n",
         true},
        {"an unknown guide is a usage error", {"check", "--guide", "004010X098", "FILE"}, 2, "", false,
         "\"004010X098\" is no guide vireo knows; it knows 004010X098A1, 005010X222A1, 999999X999T1"},
        {"describe shows its loops", {"describe", "--guide", "999999x999t1", "2300"}, 0,
         "2300 Claim Dates (situational, no limit)\n"
         "  DTP 135 R   1  L2300_DTP_00_ClaimDate  Claim Date\n"
         "  K3  155 S  10  L9_K3_00_FileInformation  File Information\n"},
        {"describe knows only its properties", {"describe", "--guide", "999999X999T1", "L2300_CLM_00_CLMInfo"}, 2,
         "", false, "is neither a loop of the guide"},
        {"typelib", {"typelib", "--guide", "999999X999T1"}, 0,
         "\"guide\": [{\"loop\": \"2300\", \"position\": 135, \"name\": \"Claim Date\"", true},
        {"schema", {"schema", "--guide", "999999X999T1"}, 0, "\"L9_K3_00_FileInformation\"", true},
    };
    for (const CommandCase& c : cases) {
        std::vector<std::string> argv = {VIREO_WITH_SIBLING};
        for (const std::string& a : c.args) argv.push_back(a == "FILE" ? file : a);
        const auto r = run_program(argv);
        std::string expected = c.out;
        for (std::size_t at; (at = expected.find("FILE")) != std::string::npos;) expected.replace(at, 4, file);
        EXPECT_EQ(r.status, c.status) << c.name << "\n" << r.err;
        if (c.part) {
            EXPECT_NE(r.out.find(expected), std::string::npos) << c.name << "\n" << r.out.substr(0, 2000);
        } else {
            EXPECT_EQ(r.out, expected) << c.name;
        }
        EXPECT_NE(r.err.find(c.err), std::string::npos) << c.name << "\n" << r.err;
    }
}

TEST(SiblingCommand, AScriptNamesTheGuideItWrites) {
    const std::string out = temp_path();
    const std::string script = write_temp(
        R"({"guide": "999999X999T1", "output": ")" + out + R"(", "steps": [{"L9_K3_00_FileInformation": {"m01_FixedFormatInformation": "NOTE"}}]})",
        ".json");
    auto r = run_program({VIREO_WITH_SIBLING, "run", script});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_file(out), "K3*NOTE~");

    // Without it, the script writes 4010, which has no such property.
    const std::string plain = write_temp(
        R"({"steps": [{"L9_K3_00_FileInformation": {"m01_FixedFormatInformation": "NOTE"}}]})", ".json");
    r = run_program({VIREO_WITH_SIBLING, "run", plain, "-o", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("\"L9_K3_00_FileInformation\" is not a segment object property"), std::string::npos) << r.err;
}

}  // namespace
