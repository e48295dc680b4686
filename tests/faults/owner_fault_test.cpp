// A file being written belongs to the process that opened it: a copy made by
// fork never writes, closes, renames or removes it, whichever way the copy
// ends. And a folder the writer may write but not read (a drop folder owned by
// someone else) is written like any other.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "fault_support.h"
#include "vireo/core/output_target.h"

namespace fs = std::filesystem;
using prjVireo::files::OutputTarget;
using vireo_fault::fresh_dir;

namespace {

std::vector<std::string> names_in(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// ---- a fork of the writer ----

struct ForkCase {
    const char* name;
    // What the fork does with the parent's target and file number; returns its
    // report for the parent (a child that ends by exit() returns nothing).
    std::function<std::string(std::unique_ptr<OutputTarget>& target, std::int16_t number)> child;
    const char* report;
};

// How an attempt in the fork ended: the error number, and whether the message
// names the process that opened the file and the fork itself.
std::string refusal(const vireo_fault::Outcome& o, pid_t parent) {
    if (!o.raised) return "none";
    const bool names_both = vireo_fault::mentions(o, "is written by process " + std::to_string(parent) + "; process " +
                                                         std::to_string(::getpid()) + ", a fork of it, cannot");
    return std::to_string(o.number) + (names_both ? " refused" : " " + o.message);
}

const ForkCase kForkCases[] = {
    // Destructors, then the thread's file table at exit() (a host's normal end).
    {"ends_by_exit_after_its_destructors",
     [](std::unique_ptr<OutputTarget>& target, std::int16_t) -> std::string {
         target.reset();
         std::exit(0);
     },
     ""},
    {"closes_the_file_then_commits",
     [](std::unique_ptr<OutputTarget>& target, std::int16_t number) {
         const pid_t parent = ::getppid();
         const auto closed = vireo_fault::attempt([&] { prjVireo::files::close(number); });
         const auto committed = vireo_fault::attempt([&] { target->commit(); });
         return refusal(closed, parent) + ", " + refusal(committed, parent);
     },
     "75 refused, 75 refused"},
    // More than the buffer holds: both the flush and the direct write of a large piece.
    {"writes_past_its_buffer",
     [](std::unique_ptr<OutputTarget>&, std::int16_t number) {
         prjVireo::files::OutputFile* file = prjVireo::files::find(number);
         file->append(std::string(3u << 20, 'X'));
         return refusal(vireo_fault::attempt([&] { file->raise_pending(); }), ::getppid());
     },
     "75 refused"},
    // A signal handler of the fork (inherited from the parent) about to end it.
    {"removes_its_temporaries_on_a_signal",
     [](std::unique_ptr<OutputTarget>&, std::int16_t) {
         prjVireo::files::remove_temporaries_for_signal();
         return std::string();
     },
     ""},
    // The fork still holds the parent's locked descriptor; its own new target
    // for the same file judges the parent's temporary by the lock, as live.
    {"writes_the_same_file_anew",
     [](std::unique_ptr<OutputTarget>& target, std::int16_t) {
         OutputTarget again(target->path());
         again.discard();
         return std::string();
     },
     ""},
};

class ForkedWriter : public vireo_fault::FaultTest, public ::testing::WithParamInterface<ForkCase> {};

TEST_P(ForkedWriter, LeavesTheParentsFileToTheParent) {
    const ForkCase& c = GetParam();
    const std::string dir = fresh_dir("fork");
    const std::string path = dir + "/claims.837";
    vireo_fault::write_old(path);
    auto target = std::make_unique<OutputTarget>(path);
    const std::int16_t number = prjVireo::files::next_free_number();
    prjVireo::files::adopt_for_output(number, ::fcntl(target->descriptor(), F_DUPFD_CLOEXEC, 3), target->writing_path());
    prjVireo::files::find(number)->append("BUFFERED AT THE FORK;");

    EXPECT_EQ(vireo_fault::in_child([&] { return c.child(target, number); }), c.report);

    prjVireo::files::find(number)->append("AFTER;");
    prjVireo::files::close(number);
    target->commit();
    const std::string written = vireo_test::read_file(path);
    EXPECT_TRUE(written == "BUFFERED AT THE FORK;AFTER;") << written.size() << " bytes: " << written.substr(0, 80);
    EXPECT_EQ(names_in(dir), std::vector<std::string>{"claims.837"});
}

INSTANTIATE_TEST_SUITE_P(Ends, ForkedWriter, ::testing::ValuesIn(kForkCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- a folder the writer may write but not read ----

class DropFolder : public ::testing::TestWithParam<mode_t> {};

TEST_P(DropFolder, IsWrittenByAnotherUser) {
    if (::geteuid() != 0) GTEST_SKIP() << "becoming another user needs root";
    const std::string dir = fresh_dir("drop");
    ::chmod(dir.c_str(), GetParam());  // root's: "nobody" may add files, not list them
    const std::string path = dir + "/claims.837";
    const std::string report = vireo_fault::in_child([&] {
        if (!vireo_fault::become_nobody()) return std::string("cannot become nobody");
        if (::access(dir.c_str(), W_OK | X_OK) != 0) return std::string("skip");
        if (::access(dir.c_str(), R_OK) == 0) return std::string("nobody may read the folder");
        std::string outcome;
        for (const char* claims : {"FIRST", "SECOND"}) {  // a new file, then replacing it
            outcome += vireo_fault::describe(
                           vireo_fault::attempt([&] { prjVireo::files::write_file_safely(path, claims); })) +
                       ";";
        }
        return outcome;
    });
    if (report == "skip") GTEST_SKIP() << "nobody cannot reach the test folder";
    EXPECT_EQ(report, "none;none;");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(vireo_test::read_file(path), "SECOND");
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(names_in(dir), std::vector<std::string>{"claims.837"});
}

INSTANTIATE_TEST_SUITE_P(Modes, DropFolder, ::testing::Values(0733, 01733), [](const auto& info) {
    return info.param & S_ISVTX ? std::string("sticky_1733") : std::string("plain_0733");
});

}  // namespace
