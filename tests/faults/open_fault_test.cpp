// Opening and closing faults: paths that cannot be opened, writing with no file,
// closing twice or without ever opening, and running out of file numbers.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "fault_support.h"

using namespace prjVireo;
using vireo_fault::attempt;
using vireo_fault::FaultTest;
using vireo_fault::Outcome;

namespace {

std::string existing_file() {
    std::string path = vireo_test::temp_path(".plain");
    std::ofstream(path) << "x";
    return path;
}

std::string fifo_without_reader() {
    std::string path = vireo_test::temp_path(".fifo");
    ::mkfifo(path.c_str(), 0600);
    return path;
}

struct BadPath {
    const char* name;
    std::string (*make)();
    int number;  // the error with ErrorTrap true
};

const BadPath kBadPaths[] = {
    {"missing_folder", [] { return vireo_test::temp_path() + "/no/such/folder/claims.837"; }, vbErrPathNotFound},
    {"file_used_as_folder", [] { return existing_file() + "/claims.837"; }, vbErrPathNotFound},
    {"folder_given_as_file", [] { return vireo_test::temp_dir().string(); }, vbErrPathFileAccess},
    // sysfs refuses new files to everyone, root included.
    {"folder_nobody_may_create_in", [] { return std::string("/sys/vireo-claims.837"); }, vbErrPathFileAccess},
    {"name_too_long", [] { return (vireo_test::temp_dir() / std::string(300, 'n')).string(); },
     vbErrBadFileNameOrNumber},
    {"path_too_long",
     [] {
         std::string p = vireo_test::temp_dir().string();
         while (p.size() < 5000) p += "/d";
         return p;
     },
     vbErrBadFileNameOrNumber},
    {"nul_inside_name", [] { return vireo_test::temp_path() + std::string(1, '\0') + "x"; },
     vbErrBadFileNameOrNumber},
    {"empty_name_and_no_filename", [] { return std::string(); }, vbErrBadFileNameOrNumber},
    // Opening a pipe for writing would wait for a reader forever; it fails at once.
    {"pipe_without_reader", fifo_without_reader, vbErrPathFileAccess},
};

}  // namespace

using OpenFault = FaultTest;

class UnopenablePath : public FaultTest, public ::testing::WithParamInterface<BadPath> {};

TEST_P(UnopenablePath, WithoutErrorTrapLaterSegmentsAreLostSilently) {
    std::string path = GetParam().make();
    EXPECT_FALSE(open(path).raised);
    // The writer state holds a number with no file behind it.
    EXPECT_NE(writer_state().file_number, 0);
    EXPECT_EQ(files::find(writer_state().file_number), nullptr);
    int events = 0;
    ctl->BeforeAdd.connect([&](std::string&, std::int32_t&, std::int16_t&) { ++events; });
    EXPECT_FALSE(add_st().raised);
    EXPECT_EQ(events, 1);   // the event is still raised
    EXPECT_EQ(count(), 1);  // and the count still rises
    EXPECT_FALSE(attempt([&] { ctl->CloseFile(); }).raised);  // that number is not open
}

TEST_P(UnopenablePath, WithErrorTrapTheHostHearsWhichPathFailed) {
    trap(true);
    std::string path = GetParam().make();
    Outcome opened = open(path);
    EXPECT_TRUE(opened.raised);
    EXPECT_EQ(opened.number, GetParam().number) << opened.message;
    // A NUL cannot be shown as it is: the message stops before it.
    EXPECT_TRUE(vireo_fault::mentions(opened, path.substr(0, path.find('\0')))) << opened.message;
    EXPECT_EQ(opened.message.rfind(vb_error_text(GetParam().number), 0), 0u) << opened.message;
    Outcome added = add_st();
    EXPECT_EQ(added.number, vbErrBadFileNameOrNumber);
    EXPECT_EQ(added.message, "Bad file name or number: no output file is open");
    EXPECT_EQ(count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Paths, UnopenablePath, ::testing::ValuesIn(kBadPaths),
                         [](const auto& info) { return std::string(info.param.name); });

// A folder the user may not write in. Root may write anywhere, so as root the
// attempt is made by a child process that has given up root for "nobody".
TEST_F(OpenFault, FolderWithoutWritePermission) {
    std::string dir = vireo_test::temp_path(".readonly");
    std::filesystem::create_directory(dir);
    ::chmod(dir.c_str(), 0555);
    std::string path = dir + "/claims.837";
    std::string report = vireo_fault::in_child([&] {
        if (::geteuid() == 0 && !vireo_fault::become_nobody()) return std::string("still root");
        std::string seen = vireo_fault::describe(open(path)) + " | ";
        trap(true);
        return seen + vireo_fault::describe(open(path));
    });
    ::chmod(dir.c_str(), 0755);
    if (report == "still root") GTEST_SKIP() << "running as root without the right to become another user";
    EXPECT_EQ(report, "none | 75 Path/File access error: " + path);
    EXPECT_FALSE(std::filesystem::exists(path));
}

// Without a file: the ErrorTrap rule of Additem decides; CloseFile always reports.
struct NoFileCase {
    const char* name;
    bool trapped;
    int additem_error;
    std::int32_t count_after;
};

class AdditemWithoutFile : public FaultTest, public ::testing::WithParamInterface<NoFileCase> {};

TEST_P(AdditemWithoutFile, RaisesTheEventAndThenFollowsTheErrorTrapRule) {
    trap(GetParam().trapped);
    ctl->Annotation(-1);  // the first write is then the annotation line
    int events = 0;
    ctl->BeforeAdd.connect([&](std::string&, std::int32_t&, std::int16_t&) { ++events; });
    Outcome added = add_st();
    EXPECT_EQ(added.number, GetParam().additem_error) << added.message;
    EXPECT_EQ(events, 1);
    EXPECT_EQ(count(), GetParam().count_after);
}

INSTANTIATE_TEST_SUITE_P(Modes, AdditemWithoutFile,
                         ::testing::Values(NoFileCase{"without_error_trap", false, 0, 1},
                                           NoFileCase{"with_error_trap", true, vbErrBadFileNameOrNumber, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OpenFault, CloseFileWithoutOpenFileOrTwice) {
    for (bool trapped : {false, true}) {
        SCOPED_TRACE(trapped ? "ErrorTrap true" : "ErrorTrap false");
        vireo_test::reset_writer_state();
        ctl->DataElementSeparator("*");
        ctl->SegmentTerminator("~");
        trap(trapped);
        // Never opened: file number 0 is a bad file number, whatever ErrorTrap says.
        Outcome never = attempt([&] { ctl->CloseFile(); });
        EXPECT_EQ(never.number, vbErrBadFileNameOrNumber);
        EXPECT_EQ(never.message, "Bad file name or number: file number 0");
        // Opened and closed: the number stays, closing it again does nothing.
        std::string path = vireo_test::temp_path();
        ctl->OpenFile(path);
        add_st();
        EXPECT_FALSE(attempt([&] { ctl->CloseFile(); }).raised);
        EXPECT_FALSE(attempt([&] { ctl->CloseFile(); }).raised);
        EXPECT_EQ(vireo_test::read_file(path), "ST*837*0001~");
    }
}

// File numbers 1 to 255 per thread. OpenFile never closes the earlier file, so a
// host that forgets CloseFile runs out of them.
TEST_F(OpenFault, AllFileNumbersTakenWithErrorTrapIsTooManyFiles) {
    trap(true);
    for (int i = 1; i <= files::kLastNumber; ++i) ASSERT_FALSE(open("/dev/null").raised) << i;
    EXPECT_EQ(writer_state().file_number, files::kLastNumber);
    Outcome next = open("/dev/null");
    EXPECT_EQ(next.number, vbErrTooManyFiles);
    EXPECT_EQ(next.message, "Too many files: no free file number");
    EXPECT_EQ(writer_state().file_number, files::kLastNumber);  // unchanged
    // Closing one frees the lowest number for the next OpenFile.
    files::close(17);
    EXPECT_FALSE(open("/dev/null").raised);
    EXPECT_EQ(writer_state().file_number, 17);
}

TEST_F(OpenFault, AllFileNumbersTakenWithoutErrorTrapKeepsWritingTheLastFile) {
    std::string last = vireo_test::temp_path();
    for (int i = 1; i < files::kLastNumber; ++i) ASSERT_FALSE(open("/dev/null").raised) << i;
    ASSERT_FALSE(open(last).raised);
    // Both steps of OpenFile fail and are passed over: no free number, so the
    // number stays, and opening under it finds it already open. The segments
    // then go on to the file that number still holds.
    std::string other = vireo_test::temp_path();
    EXPECT_FALSE(open(other).raised);
    EXPECT_EQ(writer_state().file_number, files::kLastNumber);
    EXPECT_FALSE(std::filesystem::exists(other));
    add_st();
    ctl->CloseFile();
    EXPECT_EQ(vireo_test::read_file(last), "ST*837*0001~");
}

struct DescriptorLimitCase {
    const char* name;
    bool trapped;
    const char* expected;
};

class DescriptorLimit : public FaultTest, public ::testing::WithParamInterface<DescriptorLimitCase> {};

TEST_P(DescriptorLimit, ProcessOutOfDescriptorsIsTooManyFiles) {
    const bool trapped = GetParam().trapped;
    std::string report = vireo_fault::in_child([&] {
        auto scenario = [&](const std::string& path) {
            trap(trapped);
            Outcome opened = open(path);
            bool has_file = files::find(writer_state().file_number) != nullptr;
            Outcome added = add_st();
            return vireo_fault::describe(opened) + " | file=" + std::to_string(has_file) +
                   " add=" + std::to_string(added.number) + " count=" + std::to_string(count());
        };
        // Sanitizer runtimes need descriptors of their own the first time they
        // check an object's type: the same calls once, failing for another
        // reason, make those checks while descriptors remain.
        scenario(vireo_test::temp_path() + "/missing/claims.837");
        writer_state().file_number = 0;
        writer_state().segment_count = 0;
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        int highest = 0;
        for (int fd = 0; fd < 4096; ++fd) {
            if (::fcntl(fd, F_GETFD) != -1) highest = fd;
        }
        limit.rlim_cur = static_cast<rlim_t>(highest + 1);
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) return std::string("setrlimit failed");
        while (::open("/dev/null", O_RDONLY) >= 0) {
        }  // fill the gaps below the limit: no descriptor is left
        return scenario("/dev/null");
    });
    EXPECT_EQ(report, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, DescriptorLimit,
    ::testing::Values(DescriptorLimitCase{"without_error_trap", false, "none | file=0 add=0 count=1"},
                      DescriptorLimitCase{"with_error_trap", true,
                                          "67 Too many files: /dev/null | file=0 add=52 count=0"}),
    [](const auto& info) { return std::string(info.param.name); });

// A file this thread has open already, under any name: a second handle would
// have its own buffer, and whichever flushed last would overwrite the other's
// bytes, even after the host had closed one of them successfully. The second
// OpenFile is error 55 under OpenFile's ErrorTrap rule, and the file keeps
// exactly what the first handle wrote.
struct SecondOpenCase {
    const char* name;
    std::string (*spell)(const std::string& path);
};

const SecondOpenCase kSecondOpens[] = {
    {"same_name", [](const std::string& path) { return path; }},
    {"another_spelling",
     [](const std::string& path) {
         const std::filesystem::path p(path);
         return (p.parent_path() / "." / p.filename()).string();
     }},
    {"hard_link",
     [](const std::string& path) {
         ::link(path.c_str(), (path + ".hard").c_str());
         return path + ".hard";
     }},
    {"symbolic_link",
     [](const std::string& path) {
         ::symlink(path.c_str(), (path + ".soft").c_str());
         return path + ".soft";
     }},
};

class SecondOpen : public ::testing::TestWithParam<SecondOpenCase> {};

TEST_P(SecondOpen, IsFileAlreadyOpenAndTheFileKeepsItsBytes) {
    for (bool trapped : {false, true}) {
        SCOPED_TRACE(trapped ? "ErrorTrap true" : "ErrorTrap false");
        const std::string path = vireo_test::temp_path();
        std::string spelled, second;
        vireo_test::on_new_thread([&] {
            vireo ctl;
            ctl.DataElementSeparator("*");
            ctl.SegmentTerminator("~");
            ctl.ErrorTrap(trapped ? -1 : 0);
            auto st = ctl.L1_ST_00_TransSetHeader();
            st->m01_TransSetIdentCode = L1_ST_01_143_3_TransSetIdentCode::val_837_HealthCareCLM_143_3;
            ctl.OpenFile(path);  // file number 1, which the host forgets to close
            st->m02_TransSetControlNum = "AAAA";
            st->Additem();
            spelled = GetParam().spell(path);
            second = vireo_fault::describe(attempt([&] { ctl.OpenFile(spelled); }));
            if (!trapped) {
                for (const char* n : {"1", "2", "3"}) {  // lost: the number in the writer state has no file
                    st->m02_TransSetControlNum = n;
                    st->Additem();
                }
            }
            ctl.CloseFile();
        });  // the thread's end flushes and closes file number 1
        EXPECT_EQ(second, trapped ? "55 File already open: " + spelled + " is open already as file number 1" : "none");
        EXPECT_EQ(vireo_test::read_file(path), "ST*837*AAAA~");
    }
}

INSTANTIATE_TEST_SUITE_P(Names, SecondOpen, ::testing::ValuesIn(kSecondOpens),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OpenFault, AClosedFileOpensAgain) {
    trap(true);
    const std::string path = vireo_test::temp_path();
    for (const char* number : {"0001", "0002"}) {
        EXPECT_FALSE(open(path).raised);
        add_st(number);
        ctl->CloseFile();
    }
    EXPECT_EQ(vireo_test::read_file(path), "ST*837*0002~");
}
