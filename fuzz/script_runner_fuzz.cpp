// Fuzzes the script host behind `vireo run`: any input must either produce the
// output file or fail with a message and leave the old file exactly as it was,
// and no temporary file may remain either way.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>

#include "vireo/tools/runner/script_runner.h"

namespace {

namespace fs = std::filesystem;

void check(bool ok, const char* what, const std::string& detail = {}) {
    if (!ok) {
        std::fprintf(stderr, "script runner fuzz: %s %s\n", what, detail.c_str());
        std::abort();
    }
}

// A folder of this process on a memory file system when there is one: every
// successful run syncs its output, which a disk would make slow.
const fs::path& work_dir() {
    static const fs::path dir = [] {
        fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        fs::path d = base / ("vireo-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(d);
        std::atexit([] { std::error_code ec; fs::remove_all(work_dir(), ec); });
        return d;
    }();
    return dir;
}

const std::string kOldContents = "claims of an earlier run\n";

std::string read_all(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path output = work_dir() / "out.837";
    {
        std::ofstream(output, std::ios::binary | std::ios::trunc) << kOldContents;
    }
    vireo_runner::RunOptions options;
    options.output = output.string();
    options.script_name = "fuzz";
    std::ostringstream messages;
    const auto result = vireo_runner::run_script(
        std::string_view(reinterpret_cast<const char*>(data), size), options, messages);

    check(result.exit_status == 0 || result.exit_status == 1, "exit status is neither 0 nor 1");
    if (result.exit_status != 0) {
        check(!messages.str().empty(), "a failed run says nothing");
        check(read_all(output) == kOldContents, "a failed run changed the output file");
    } else {
        check(fs::exists(output), "a successful run left no output file");
    }
    std::size_t entries = 0;
    for (const auto& e : fs::directory_iterator(work_dir())) {
        ++entries;
        check(e.path() == output, "a file was left behind:", e.path().string());
    }
    check(entries == 1, "the output file is missing");
    return 0;
}
