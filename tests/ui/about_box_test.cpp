// The About box: its texts, the registry reading of GetKeyValue, and which
// program System Info starts (or the message it shows instead).
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "vireo/core/errors.h"
#include "test_support.h"
#include "vireo/ui/about_box.h"

using namespace vireo_ui;

namespace {

// Records the programs it is asked to start; files exist when listed.
class RecordingShell final : public Shell {
public:
    bool file_exists(const std::string& path) override {
        looked_up.push_back(path);
        return files.count(path) != 0;
    }
    void start(const std::string& path) override {
        if (refuse) throw prjVireo::VbError(prjVireo::vbErrFileNotFound, path);
        started.push_back(path);
    }
    std::set<std::string> files;
    bool refuse = false;
    std::vector<std::string> looked_up;
    std::vector<std::string> started;
};

class RecordingMessageBox final : public MessageBox {
public:
    void show(const std::string& prompt) override { shown.push_back(prompt); }
    std::vector<std::string> shown;
};

const std::string kSysInfoPath = "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\msinfo32.exe";
const std::string kSysInfoFolder = "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo";

TEST(AboutBox, LoadingFillsTheTextsFromTheVersionInformation) {
    InMemoryRegistry registry;
    RecordingShell shell;
    RecordingMessageBox messages;
    frmAbout form(registry, shell, messages,
                  VersionInfo{"Claims Writer", 1, 2, 30, "Writes claims", "(c) 2026 Someone.", "X is a mark."});
    EXPECT_EQ(form.lblVersion, "Version");  // design-time caption until loaded
    form.Form_Load();
    EXPECT_EQ(form.Caption, "About Claims Writer");
    EXPECT_EQ(form.lblVersion, "Version 1.2.30");
    EXPECT_EQ(form.lblTitle, "Claims Writer");
    EXPECT_EQ(form.lblDescription, "Writes claims");
    EXPECT_EQ(form.lblDisclaimer, "(c) 2026 Someone. X is a mark.");
}

std::vector<unsigned char> bytes(std::initializer_list<int> list) {
    std::vector<unsigned char> out;
    for (int b : list) out.push_back(static_cast<unsigned char>(b));
    return out;
}

TEST(AboutBox, GetKeyValueConvertsByType) {
    const std::string key = "SOFTWARE\\Test";
    struct Case {
        const char* what;
        std::uint32_t type;
        std::vector<unsigned char> data;
        std::int16_t result;
        std::string value;  // KeyVal afterwards; it holds "before" when called
    };
    std::vector<unsigned char> text(kSysInfoPath.begin(), kSysInfoPath.end());
    std::vector<unsigned char> terminated = text;
    terminated.push_back(0);
    const Case cases[] = {
        {"string", REG_SZ, terminated, -1, kSysInfoPath},
        {"string without its zero", REG_SZ, text, -1, kSysInfoPath},
        {"string in the ANSI code page", REG_SZ, bytes({'C', 'a', 'f', 0xE9, 0x80, 0}), -1, "Caf\xC3\xA9\xE2\x82\xAC"},
        {"empty string", REG_SZ, bytes({0}), -1, ""},
        {"string of one zero less", REG_SZ, bytes({'a', 0, 0}), -1, std::string("a\0", 2)},
        // A 32-bit number: bytes from last to first in hexadecimal without
        // leading zeros, as a literal. A zero last byte is dropped first.
        {"number, all bytes two digits", REG_DWORD, bytes({0x78, 0x56, 0x34, 0x12}), -1, "305419896"},
        {"number 256", REG_DWORD, bytes({0, 0x01, 0, 0}), -1, "16"},            // &h010
        {"number 0x00010203", REG_DWORD, bytes({3, 2, 1, 0}), -1, "291"},       // &h123
        {"number 0x0A0B0C0D", REG_DWORD, bytes({0x0D, 0x0C, 0x0B, 0x0A}), -1, "-21555"},  // &hABCD, 16-bit
        {"number 0x7FFFFFFF", REG_DWORD, bytes({0xFF, 0xFF, 0xFF, 0x7F}), -1, "2147483647"},
        {"number 0xFFFFFFFF", REG_DWORD, bytes({0xFF, 0xFF, 0xFF, 0xFF}), -1, "-1"},
        {"number 0xFFFF", REG_DWORD, bytes({0xFF, 0xFF, 0, 0}), -1, "-1"},     // &h0FFFF
        {"number 0", REG_DWORD, bytes({0, 0, 0, 0}), -1, "0"},                 // &h000
        {"number without bytes", REG_DWORD, {}, 0, ""},                        // "&h" is no number
        {"number too long", REG_DWORD, std::vector<unsigned char>(9, 0xFF), 0, ""},
        {"binary", REG_BINARY, bytes({1, 2, 3}), -1, "before"},
        {"value larger than the buffer", REG_SZ, std::vector<unsigned char>(1025, 'x'), 0, ""},
        {"value that just fits", REG_SZ, std::vector<unsigned char>(1024, 'x'), -1, std::string(1024, 'x')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        InMemoryRegistry registry;
        registry.set_value(HKEY_LOCAL_MACHINE, key, "Value", c.type, c.data);
        RecordingShell shell;
        RecordingMessageBox messages;
        frmAbout form(registry, shell, messages);
        std::string value = "before";
        EXPECT_EQ(form.GetKeyValue(HKEY_LOCAL_MACHINE, key, "Value", value), c.result);
        EXPECT_EQ(value, c.value);
        ASSERT_EQ(registry.openings().size(), 1u);
        EXPECT_EQ(registry.openings()[0].access, 0x2003Fu);
        EXPECT_EQ(registry.open_handles(), 0u) << "key left open";
    }
}

TEST(AboutBox, GetKeyValueFailsWithoutTheKeyOrTheRight) {
    struct Case {
        const char* what;
        RegistryRoot root;
        const char* key;
        const char* value;
    };
    InMemoryRegistry registry;
    registry.set_string(HKEY_LOCAL_MACHINE, "SOFTWARE\\Present", "Value", "text");
    registry.set_string(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", "Value", "text");
    registry.restrict_access(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", KEY_READ);
    const Case cases[] = {
        {"missing key", HKEY_LOCAL_MACHINE, "SOFTWARE\\Absent", "Value"},
        {"missing value", HKEY_LOCAL_MACHINE, "SOFTWARE\\Present", "Other"},
        {"readable but not with full access", HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", "Value"},
        {"other root", static_cast<RegistryRoot>(0x80000001u), "SOFTWARE\\Present", "Value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingShell shell;
        RecordingMessageBox messages;
        frmAbout form(registry, shell, messages);
        std::string value = "before";
        EXPECT_EQ(form.GetKeyValue(c.root, c.key, c.value, value), 0);
        EXPECT_EQ(value, "");
        EXPECT_EQ(registry.open_handles(), 0u);
    }
    // Names are matched without regard to case.
    RecordingShell shell;
    RecordingMessageBox messages;
    frmAbout form(registry, shell, messages);
    std::string value;
    EXPECT_EQ(form.GetKeyValue(HKEY_LOCAL_MACHINE, "software\\PRESENT", "value", value), -1);
    EXPECT_EQ(value, "text");
}

TEST(AboutBox, SystemInfoStartsTheRegisteredProgramOrExplains) {
    enum Access { Full, ReadOnly };
    struct Case {
        const char* what;
        bool first_key;           // MSINFO\PATH registered
        Access first_access;
        bool second_key;          // Shared Tools Loc\MSINFO registered
        bool program_in_folder;   // folder\MSINFO32.EXE exists
        bool start_fails;
        std::vector<std::string> started;
        bool message;
        std::size_t keys_opened;
    };
    const std::string in_folder = kSysInfoFolder + "\\MSINFO32.EXE";
    const Case cases[] = {
        {"first key", true, Full, true, true, false, {kSysInfoPath}, false, 1},
        {"second key with the program", false, Full, true, true, false, {in_folder}, false, 2},
        {"second key without the program", false, Full, true, false, false, {}, true, 2},
        {"no key", false, Full, false, false, false, {}, true, 2},
        {"first key without full access", true, ReadOnly, false, false, false, {}, true, 2},
        {"first key without full access, second key", true, ReadOnly, true, true, false, {in_folder}, false, 2},
        {"program cannot be started", true, Full, false, false, true, {}, true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        InMemoryRegistry registry;
        if (c.first_key) {
            registry.set_string(HKEY_LOCAL_MACHINE, kSysInfoKey, "PATH", kSysInfoPath);
            if (c.first_access == ReadOnly) registry.restrict_access(HKEY_LOCAL_MACHINE, kSysInfoKey, KEY_READ);
        }
        if (c.second_key) registry.set_string(HKEY_LOCAL_MACHINE, kSysInfoLocationKey, "MSINFO", kSysInfoFolder);
        RecordingShell shell;
        if (c.program_in_folder) shell.files.insert(in_folder);
        shell.refuse = c.start_fails;
        RecordingMessageBox messages;
        frmAbout form(registry, shell, messages);
        form.cmdSysInfo_Click();
        EXPECT_EQ(shell.started, c.started);
        EXPECT_EQ(messages.shown,
                  c.message ? std::vector<std::string>{"System Info Is Unavailable At This Time"}
                            : std::vector<std::string>{});
        EXPECT_EQ(registry.openings().size(), c.keys_opened);
        EXPECT_EQ(registry.open_handles(), 0u);
    }
}

TEST(AboutBox, PosixShellStartsProgramsAndReportsFailures) {
    PosixShell shell;
    const std::string program = vireo_test::temp_path(".sh");
    {
        std::ofstream(program) << "#!/bin/sh\nexit 0\n";
    }
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    EXPECT_TRUE(shell.file_exists(program));
    EXPECT_FALSE(shell.file_exists(program + ".missing"));
    EXPECT_FALSE(shell.file_exists(""));
    EXPECT_NO_THROW(shell.start(program));
    for (const std::string& bad : {program + ".missing", std::string(), vireo_test::temp_dir().string()}) {
        SCOPED_TRACE(bad);
        try {
            shell.start(bad);
            ADD_FAILURE() << "started";
        } catch (const prjVireo::VbError& e) {
            EXPECT_TRUE(e.number() == prjVireo::vbErrFileNotFound || e.number() == prjVireo::vbErrInvalidProcedureCall);
        }
    }
}

}  // namespace
