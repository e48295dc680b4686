#include "vireo/ui/about_box.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <thread>

#include "vireo/control/variant.h"
#include "vireo/core/errors.h"
#include "vireo/core/text.h"

extern char** environ;

namespace vireo_ui {

VersionInfo module_version_info() {
    VersionInfo v;
    v.title = "vireo";
    v.major = VIREO_VERSION_MAJOR;
    v.minor = VIREO_VERSION_MINOR;
    v.revision = VIREO_VERSION_PATCH;
    v.file_description = "Vireo ActiveX Control for HIPAA 837 4010";
    v.legal_copyright = "Copyright \u00A9 2026 the vireo developers.";
    v.legal_trademarks = "ASC X12 and the product names mentioned are trademarks of their respective owners.";
    return v;
}

bool PosixShell::file_exists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

void PosixShell::start(const std::string& path) {
    if (path.empty()) throw prjVireo::VbError(prjVireo::vbErrInvalidProcedureCall, "no program to start");
    std::string program = path;
    char* argv[] = {program.data(), nullptr};
    pid_t pid = 0;
    const int err = posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ);
    if (err != 0) throw prjVireo::VbError(prjVireo::vbErrFileNotFound, path);
    // The program runs on its own; a waiting thread collects its exit status so
    // that it does not linger as a zombie.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
}

frmAbout::frmAbout(Registry& registry, Shell& shell, MessageBox& message_box, VersionInfo version)
    : registry_(registry), shell_(shell), message_box_(message_box), version_(std::move(version)) {}

void frmAbout::Form_Load() {
    Caption = "About " + version_.title;
    lblVersion = "Version " + std::to_string(version_.major) + "." + std::to_string(version_.minor) + "." +
                 std::to_string(version_.revision);
    lblTitle = version_.title;
    lblDescription = version_.file_description;
    lblDisclaimer = version_.legal_copyright + " " + version_.legal_trademarks;
}

void frmAbout::cmdOK_Click() {
    if (on_unload) on_unload();
}

void frmAbout::StartSysInfo() {
    try {
        std::string path;
        if (GetKeyValue(HKEY_LOCAL_MACHINE, kSysInfoKey, kSysInfoValue, path)) {
            // The registered program itself.
        } else if (GetKeyValue(HKEY_LOCAL_MACHINE, kSysInfoLocationKey, kSysInfoLocationValue, path) &&
                   shell_.file_exists(path + kSysInfoProgram)) {
            path += kSysInfoProgram;
        } else {
            message_box_.show(kSysInfoUnavailable);
            return;
        }
        shell_.start(path);
    } catch (const std::exception&) {
        message_box_.show(kSysInfoUnavailable);
    }
}

std::int16_t frmAbout::GetKeyValue(RegistryRoot KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                                   std::string& KeyVal) {
    RegistryKey key = 0;
    const auto fail = [&]() -> std::int16_t {
        KeyVal.clear();
        registry_.close_key(key);
        return 0;
    };
    if (registry_.open_key(KeyRoot, KeyName, KEY_ALL_ACCESS, key) != ERROR_SUCCESS) return fail();

    std::array<unsigned char, 1024> buffer{};
    std::uint32_t type = 0;
    std::uint32_t size = buffer.size();
    if (registry_.query_value(key, SubKeyRef, type, buffer, size) != ERROR_SUCCESS) return fail();
    std::string data(reinterpret_cast<const char*>(buffer.data()), std::min<std::size_t>(size, buffer.size()));
    if (!data.empty() && data.back() == '\0') data.pop_back();

    if (type == REG_SZ) {
        // Registry text is in the ANSI code page.
        KeyVal.clear();
        for (unsigned char b : data) prjVireo::text::append_utf8(KeyVal, prjVireo::text::ansi_char(b));
    } else if (type == REG_DWORD) {
        // The bytes from last to first, each in hexadecimal without a leading
        // zero, read back as one hexadecimal literal. A byte below 0x10 thus
        // gives a single digit, and a dropped trailing zero byte a short literal.
        static constexpr char kDigits[] = "0123456789ABCDEF";
        std::string literal = "&h";
        for (auto it = data.rbegin(); it != data.rend(); ++it) {
            const auto b = static_cast<unsigned char>(*it);
            if (b >= 0x10) literal += kDigits[b >> 4];
            literal += kDigits[b & 0xF];
        }
        try {
            KeyVal = std::to_string(prjVireo::text_to_long(literal));
        } catch (const prjVireo::VbError&) {
            return fail();
        }
    }
    registry_.close_key(key);
    return -1;
}

}  // namespace vireo_ui
