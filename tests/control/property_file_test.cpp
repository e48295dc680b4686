// A saved control as a file: what loading accepts and refuses, and how saving
// replaces it (privately, keeping its mode, owner and comments, never through
// a link).
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "faults/fault_support.h"

using namespace prjVireo;
namespace fs = std::filesystem;

namespace {

std::string write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// "NNN <message>" of a VbError, or "none".
template <class Fn>
std::string outcome(Fn&& fn) {
    return vireo_fault::describe(vireo_fault::attempt(fn));
}

std::string mode_and_owner(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return "missing";
    char buf[64];
    std::snprintf(buf, sizeof buf, "mode %o uid %u gid %u", st.st_mode & 07777, st.st_uid, st.st_gid);
    return buf;
}

// Loads the file, lets a control read it, changes the delimiter and saves it
// back as the property page does.
void resave(const std::string& path, const std::string& separator = "+") {
    TextPropertyBag bag = TextPropertyBag::load(path);
    vireo ctl;
    ctl.ReadProperties(bag);
    ctl.DataElementSeparator(separator);
    ctl.WriteProperties(bag);
    bag.save(path);
}

struct FileCase {
    const char* name;
    // Acts on `path` (a new name in a fresh folder `dir`) and says what came of it.
    std::function<std::string(const std::string& dir, const std::string& path)> act;
    std::string expected;  // "<path>" and "<dir>" stand for the two
};

const FileCase kCases[] = {
    {"byte_order_mark_is_skipped",
     [](const std::string&, const std::string& path) {
         write(path, "\xEF\xBB\xBF" "DataElementSeparator=\"|\"\r\nNewLine=1\r\n");
         vireo ctl;
         TextPropertyBag bag = TextPropertyBag::load(path);
         ctl.ReadProperties(bag);
         return ctl.DataElementSeparator() + " " + std::to_string(static_cast<int>(ctl.NewLine()));
     },
     "| 1"},
    {"file_larger_than_a_saved_control",
     [](const std::string&, const std::string& path) {
         write(path, "# " + std::string(TextPropertyBag::kMaxFileSize, 'x') + "\n");
         return outcome([&] { TextPropertyBag::load(path); });
     },
     "380 Invalid property value: <path> is larger than 1 MiB: it is not a saved control"},
    {"endless_device",
     [](const std::string&, const std::string&) {
         // Bounded here, so that a loader reading without end fails instead of
         // taking the machine's memory.
         return vireo_fault::in_child([] {
#if !defined(__SANITIZE_ADDRESS__)
             rlimit limit{1u << 30, 1u << 30};
             ::setrlimit(RLIMIT_AS, &limit);
#endif
             return outcome([] { TextPropertyBag::load("/dev/zero"); });
         });
     },
     "380 Invalid property value: /dev/zero is larger than 1 MiB: it is not a saved control"},
    {"comments_stay_where_they_were",
     [](const std::string&, const std::string& path) {
         write(path,
               "# payer X wants a bar\n"
               "SubelementSeparator=\"^\"\n"
               "\n"
               "; terminator for the clearinghouse\n"
               "SegmentTerminator=\"!\"\n"
               "# end\n");
         resave(path);
         return vireo_test::read_file(path);
     },
     "# payer X wants a bar\n"
     "DataElementSeparator=\"+\"\n"
     "SubelementSeparator=\"^\"\n"
     "\n"
     "; terminator for the clearinghouse\n"
     "SegmentTerminator=\"!\"\n"
     "# end\n"},
    {"new_file_is_private_whatever_the_umask",
     [](const std::string&, const std::string& path) {
         return vireo_fault::in_child([&] {
             ::umask(0);
             TextPropertyBag bag = TextPropertyBag::parse("NewLine=1\n");
             bag.save(path);
             ::umask(0777);
             bag.save(path + ".2");
             return mode_and_owner(path).substr(0, 8) + ", " + mode_and_owner(path + ".2").substr(0, 8) + ", " +
                    vireo_test::read_file(path + ".2");
         });
     },
     "mode 600, mode 600, NewLine=1\n"},
    {"replaced_file_keeps_mode_owner_and_group",
     [](const std::string&, const std::string& path) {
         write(path, "NewLine=2\n");
         if (::geteuid() != 0) return std::string("skip: only root can give a file to another user");
         ::chown(path.c_str(), 65534, 65534);
         ::chmod(path.c_str(), 0640);
         resave(path);
         return mode_and_owner(path) + ", " + vireo_test::read_file(path);
     },
     "mode 640 uid 65534 gid 65534, DataElementSeparator=\"+\"\nNewLine=2\n"},
    {"links_planted_at_temporary_names_are_not_followed",
     [](const std::string& dir, const std::string& path) {
         const std::string victim = write(dir + "/victim", "root's own file\n");
         write(path, "NewLine=2\n");
         // Every name this process could save through, old style and new.
         const std::string name = fs::path(path).filename().string();
         const std::string pid = std::to_string(::getpid());
         for (const std::string& planted : {path + ".vireo-save-" + pid, dir + "/." + name + ".vireo-tmp-" + pid,
                                            dir + "/." + name + ".vireo-tmp-" + pid + "-2"}) {
             ::symlink(victim.c_str(), planted.c_str());
         }
         resave(path);
         std::size_t links = 0;
         for (const auto& e : fs::directory_iterator(dir)) links += fs::is_symlink(e.symlink_status());
         return vireo_test::read_file(victim) + std::to_string(links) + " links, " + vireo_test::read_file(path);
     },
     "root's own file\n3 links, DataElementSeparator=\"+\"\nNewLine=2\n"},
    {"a_link_is_not_followed",
     [](const std::string& dir, const std::string& path) {
         const std::string victim = write(dir + "/victim.ctl", "NewLine=2\n");
         ::symlink(victim.c_str(), path.c_str());
         TextPropertyBag bag = TextPropertyBag::parse("NewLine=1\n");
         return outcome([&] { bag.save(path); }) + ", " + vireo_test::read_file(victim) +
                (fs::is_symlink(fs::symlink_status(path)) ? "still a link" : "replaced");
     },
     "75 Path/File access error: \"<path>\" is a symbolic link to \"<dir>/victim.ctl\"; a file is replaced only "
     "under its own name, never through a link: give that name, NewLine=2\nstill a link"},
};

class PropertyFile : public ::testing::TestWithParam<FileCase> {
protected:
    void SetUp() override { vireo_test::reset_writer_state(); }
    void TearDown() override { vireo_test::reset_writer_state(); }
};

TEST_P(PropertyFile, LoadsAndSavesSafely) {
    const std::string dir = fs::weakly_canonical(vireo_test::temp_path(".dir")).string();
    fs::create_directories(dir);
    const std::string path = dir + "/saved.ctl";
    const std::string got = GetParam().act(dir, path);
    if (got.rfind("skip: ", 0) == 0) GTEST_SKIP() << got.substr(6);
    std::string expected = GetParam().expected;
    for (const auto& [token, value] : {std::pair<std::string, std::string>{"<path>", path}, {"<dir>", dir}}) {
        for (auto at = expected.find(token); at != std::string::npos; at = expected.find(token)) {
            expected.replace(at, token.size(), value);
        }
    }
    EXPECT_EQ(got, expected);
    // No temporary file is left beside it (a link planted by someone else stays theirs).
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.is_symlink()) continue;
        EXPECT_EQ(e.path().filename().string().find(".vireo-tmp-"), std::string::npos) << e.path();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PropertyFile, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
