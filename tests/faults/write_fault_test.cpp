// Write failures: a full disk while adding and while closing, a file size limit
// reached in the middle of a file, a file removed while open. In both ErrorTrap
// modes no failure may go unreported by the time CloseFile returns.
#include <sys/stat.h>

#include <filesystem>

#include "fault_support.h"

using namespace prjVireo;
using vireo_fault::attempt;
using vireo_fault::FaultTest;
using vireo_fault::Outcome;

namespace {

// Two of these overflow the 1 MiB output buffer, so the second Additem flushes.
const std::string kLargeNumber(700000, 'X');

std::size_t open_descriptors() {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

}  // namespace

using WriteFault = FaultTest;

// A full disk: Additem reports it only under ErrorTrap, when its flush fails
// (the steps after the failed write do not happen); CloseFile reports it in
// both modes, for the bytes still buffered, and frees the number.
TEST_F(WriteFault, DiskFullIsReportedByAdditemUnderErrorTrapAndAlwaysByCloseFile) {
    const std::string full = "61 Disk full: writing /dev/full";
    const struct {
        const char* name;
        bool trapped;
        std::vector<std::string> numbers;  // one ST each
        std::vector<std::string> added;
        std::int32_t count;
    } cases[] = {
        {"flush in Additem without ErrorTrap", false, {kLargeNumber, kLargeNumber}, {"none", "none"}, 2},
        {"flush in Additem with ErrorTrap", true, {kLargeNumber, kLargeNumber}, {"none", full}, 1},
        {"flush in CloseFile without ErrorTrap", false, {"0001"}, {"none"}, 1},
        {"flush in CloseFile with ErrorTrap", true, {"0001"}, {"none"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ctl->SegCount("0");
        trap(c.trapped);
        open("/dev/full");
        std::vector<std::string> added;
        for (const std::string& number : c.numbers) added.push_back(vireo_fault::describe(add_st(number)));
        EXPECT_EQ(added, c.added);
        EXPECT_EQ(count(), c.count);
        EXPECT_EQ(vireo_fault::describe(attempt([&] { ctl->CloseFile(); })), full);
        EXPECT_EQ(vireo_fault::describe(attempt([&] { ctl->CloseFile(); })), "none");
    }
}

TEST_F(WriteFault, FailedCloseLeaksNoDescriptor) {
    const std::size_t before = open_descriptors();
    open("/dev/full");
    add_st();
    EXPECT_TRUE(attempt([&] { ctl->CloseFile(); }).raised);
    std::string path = vireo_test::temp_path();
    ctl->OpenFile(path);
    add_st();
    EXPECT_FALSE(attempt([&] { ctl->CloseFile(); }).raised);
    EXPECT_EQ(open_descriptors(), before);
    EXPECT_EQ(vireo_test::read_file(path), "ST*837*0001~");
}

// A file size limit stands for a disk that fills up in the middle of a file:
// the first megabytes are written, then every write fails with EFBIG.
struct SizeLimitCase {
    const char* name;
    bool trapped;
    const char* expected;  // what the child saw: each Additem, the count, CloseFile
};

class FileSizeLimit : public FaultTest, public ::testing::WithParamInterface<SizeLimitCase> {};

TEST_P(FileSizeLimit, TruncatedFileIsAlwaysReported) {
    constexpr rlim_t kLimit = 1536 * 1024;
    const std::string path = vireo_test::temp_path();
    const bool trapped = GetParam().trapped;
    std::string report = vireo_fault::in_child([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{kLimit, kLimit};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return std::string("setrlimit failed");
        trap(trapped);
        open(path);
        std::string seen;
        for (int i = 0; i < 4; ++i) seen += std::to_string(add_st(kLargeNumber).number) + " ";
        seen += "count=" + std::to_string(count());
        Outcome closed = attempt([&] { ctl->CloseFile(); });
        seen += " close=" + vireo_fault::describe(closed);
        return seen;
    });
    EXPECT_EQ(report, std::string(GetParam().expected) + " close=61 Disk full: writing " + path);
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(static_cast<rlim_t>(st.st_size), kLimit);  // as much as the limit allowed
}

INSTANTIATE_TEST_SUITE_P(Modes, FileSizeLimit,
                         ::testing::Values(SizeLimitCase{"without_error_trap", false, "0 0 0 0 count=4"},
                                           SizeLimitCase{"with_error_trap", true, "0 0 0 61 count=3"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WriteFault, FileRemovedWhileOpenIsReportedByCloseFile) {
    for (bool trapped : {false, true}) {
        SCOPED_TRACE(trapped ? "ErrorTrap true" : "ErrorTrap false");
        trap(trapped);
        std::string path = vireo_test::temp_path();
        ctl->OpenFile(path);
        EXPECT_FALSE(add_st().raised);
        ASSERT_EQ(::unlink(path.c_str()), 0);
        EXPECT_FALSE(add_st().raised);  // the write itself succeeds, into a file with no name
        Outcome closed = attempt([&] { ctl->CloseFile(); });
        EXPECT_EQ(closed.number, vbErrFileNotFound);
        EXPECT_TRUE(vireo_fault::mentions(closed, path + " was removed while open")) << closed.message;
        EXPECT_FALSE(std::filesystem::exists(path));
    }
}

TEST_F(WriteFault, RenamedWhileOpenIsNotALoss) {
    std::string path = vireo_test::temp_path();
    std::string moved = path + ".moved";
    ctl->OpenFile(path);
    add_st();
    ASSERT_EQ(::rename(path.c_str(), moved.c_str()), 0);
    EXPECT_FALSE(attempt([&] { ctl->CloseFile(); }).raised);
    EXPECT_EQ(vireo_test::read_file(moved), "ST*837*0001~");
}

// Privacy: a file the control creates is its owner's alone whatever the umask;
// an existing file that OpenFile empties keeps the mode its owner gave it.
TEST_F(WriteFault, NewFilesAreOwnerOnlyAndEmptiedFilesKeepTheirMode) {
    const struct {
        bool existing;
        mode_t mode;  // an existing file's, else the umask
        mode_t expected;
    } cases[] = {{false, 0000, 0600}, {false, 0022, 0600}, {false, 0077, 0600}, {false, 0277, 0600},
                 {true, 0600, 0600},  {true, 0640, 0640},  {true, 0644, 0644},  {true, 0660, 0660},
                 {true, 0604, 0604}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.existing ? "existing file of mode " : "new file under umask ")
                                          << std::oct << c.mode);
        const std::string path = vireo_test::temp_path();
        if (c.existing) {
            std::ofstream(path) << "old claims";
            ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
        }
        const mode_t old = ::umask(c.existing ? 0022 : c.mode);
        ctl->OpenFile(path);
        ::umask(old);
        add_st();
        ctl->CloseFile();
        struct stat st;
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.expected);
        EXPECT_EQ(vireo_test::read_file(path), "ST*837*0001~");
    }
}
