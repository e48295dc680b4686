#pragma once
// frmAbout: the About box without its window. Loading fills the caption and the
// labels from the module's version information; the System Info button looks
// up the system information program in the registry and starts it.
#include <cstdint>
#include <functional>
#include <string>

#include "vireo/ui/registry.h"

namespace vireo_ui {

// The module's version information.
struct VersionInfo {
    std::string title;
    std::int16_t major = 0;
    std::int16_t minor = 0;
    std::int16_t revision = 0;
    std::string file_description;
    std::string legal_copyright;
    std::string legal_trademarks;
};

// This build's version information (the project version from the build).
VersionInfo module_version_info();

// Starting programs and looking for files, as the System Info button needs.
class Shell {
public:
    virtual ~Shell() = default;
    virtual bool file_exists(const std::string& path) = 0;
    // Starts the program at `path` in a normal window with focus and returns at
    // once; throws VbError when it cannot be started.
    virtual void start(const std::string& path) = 0;
};

// Starts programs with posix_spawn; each started program is reaped when it ends.
class PosixShell final : public Shell {
public:
    bool file_exists(const std::string& path) override;
    void start(const std::string& path) override;
};

// A message with an OK button only.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void show(const std::string& prompt) = 0;
};

// Where the system information program is registered.
inline constexpr const char* kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kSysInfoValue = "PATH";
inline constexpr const char* kSysInfoLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Loc";
inline constexpr const char* kSysInfoLocationValue = "MSINFO";
inline constexpr const char* kSysInfoProgram = "\\MSINFO32.EXE";
inline constexpr const char* kSysInfoUnavailable = "System Info Is Unavailable At This Time";

class frmAbout {
public:
    frmAbout(Registry& registry, Shell& shell, MessageBox& message_box, VersionInfo version = module_version_info());

    // Form_Load: caption "About " + title, the version line, title, description
    // and the legal notice followed by the trademarks.
    void Form_Load();
    // Unloads the form: runs `on_unload`, which the window uses to close itself.
    void cmdOK_Click();
    void cmdSysInfo_Click() { StartSysInfo(); }

    // Starts the system information program found in the registry, or shows
    // kSysInfoUnavailable.
    void StartSysInfo();

    // Reads value `SubKeyRef` of key `KeyName` under `KeyRoot` into `KeyVal`:
    // a string as its text, a 32-bit number as decimal text, any other type
    // leaves `KeyVal` as it was. True (-1) on success; on failure `KeyVal` is "".
    std::int16_t GetKeyValue(RegistryRoot KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                             std::string& KeyVal);

    // The form's texts. The labels hold their design-time captions until Form_Load.
    std::string Caption = "About MyApp";
    std::string lblTitle = "Application Title";
    std::string lblVersion = "Version";
    std::string lblDescription = "App Description";
    std::string lblDisclaimer = "Warning: ...";
    static constexpr const char* cmdOK = "OK";
    static constexpr const char* cmdSysInfo = "&System Info...";

    std::function<void()> on_unload;

private:
    Registry& registry_;
    Shell& shell_;
    MessageBox& message_box_;
    VersionInfo version_;
};

}  // namespace vireo_ui
