// vireo-bench: how fast the control writes a large batch of claims, next to
// the physical limit of this machine for the same file and to a straightforward
// writer, and vireo run's script host on the same batch given as a script in
// each of its forms. Every variant runs in a forked child of its own, so that its wall
// time and its peak memory are its own; every output file is compared byte for
// byte with the reference bytes before it is deleted.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <latch>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "vireo/bench/workload.h"
#include "vireo/control/catalogue.h"
#include "vireo/tools/runner/script_runner.h"

namespace vireo_bench {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBlock = 1 << 20;

struct Options {
    long claims = 100000;
    int runs = 5;
    Guide guide = Guide::Professional4010;
    std::string dir;
    bool json = false;
    std::string only;  // run just this variant, once, in this process (for profilers)
    std::string script;     // write the vireo run script here and stop
    std::string export_dir;  // write tables.json and reference.x12 here and stop
    std::string vireo_bin;  // the vireo command whose "run" is measured ("" = next to vireo-bench)
    bool skip_run = false;
};

enum class Variant {
    Limit,
    Naive,
    Vireo,
    VireoHandler,
    VireoChecker,
    VireoTwoThreads,
    HostOnly,
    RunClassic,
    RunLines,
    RunRows
};

struct VariantInfo {
    Variant id;
    const char* key;    // JSON key
    const char* label;  // table row
    int files;          // output files it writes (0 for the host loop alone)
};

const VariantInfo kVariants[] = {
    {Variant::Limit, "limit", "limit (1 MiB writes)", 1},
    {Variant::Naive, "naive", "naive (string+fwrite)", 1},
    {Variant::Vireo, "vireo", "vireo", 1},
    {Variant::VireoHandler, "vireo_handler", "vireo + handler", 1},
    {Variant::VireoChecker, "vireo_checker", "vireo + GuideChecker", 1},
    {Variant::VireoTwoThreads, "vireo_2_threads", "vireo, 2 threads", 2},
    {Variant::HostOnly, "host_loop", "host loop alone", 0},
    {Variant::RunClassic, "run_classic", "vireo run, classic JSON", 1},
    {Variant::RunLines, "run_lines", "vireo run, JSON Lines", 1},
    {Variant::RunRows, "run_rows", "vireo run, rows", 1},
};

bool is_script_run(Variant v) { return v == Variant::RunClassic || v == Variant::RunLines || v == Variant::RunRows; }

// What a child sends back through its pipe.
struct ChildReport {
    double seconds;
    long handler_reads;
    double script_bytes;  // the script a vireo run row ran
    char error[240];
};

struct RunResult {
    double seconds;
    long max_rss_kb;
    double script_bytes = 0;
};

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "vireo-bench: %s\n", message.c_str());
    std::exit(1);
}

std::string output_path(const std::string& dir, const VariantInfo& v, int file) {
    return dir + "/" + v.key + "." + std::to_string(file) + ".x12";
}

double write_limit(const std::string& reference, const std::string& path) {
    // The identical bytes, in memory before the clock starts.
    std::FILE* in = std::fopen(reference.c_str(), "rb");
    if (!in) throw std::runtime_error("cannot read " + reference);
    const auto size = static_cast<std::size_t>(fs::file_size(reference));
    std::unique_ptr<char[]> bytes(new char[size]);
    if (std::fread(bytes.get(), 1, size, in) != size) throw std::runtime_error("short read of " + reference);
    std::fclose(in);

    const auto start = Clock::now();
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) throw std::runtime_error("cannot create " + path);
    std::size_t writeback_from = 0;
    for (std::size_t done = 0; done < size;) {
        const std::size_t n = std::min(kBlock, size - done);
        const ssize_t w = ::write(fd, bytes.get() + done, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error("write failed on " + path);
        }
        done += static_cast<std::size_t>(w);
        // The writer's own early writeback, every 4 MiB: the disk starts on
        // the first blocks while the last ones are still being copied.
        if (done - writeback_from >= (4u << 20) || done == size) {
            ::sync_file_range(fd, static_cast<off_t>(writeback_from), static_cast<off_t>(done - writeback_from),
                              SYNC_FILE_RANGE_WRITE);
            writeback_from = done;
        }
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) throw std::runtime_error("closing " + path + " failed");
    sync_folder_of(path);
    return seconds_since(start);
}

// The batch as a script of the given form, in memory.
struct ScriptText {
    char* bytes = nullptr;
    std::size_t size = 0;
    ~ScriptText() { std::free(bytes); }
    std::string_view text() const { return {bytes, size}; }
};

void make_script(const PreparedData& data, long claims, ScriptForm form, ScriptText& script) {
    std::FILE* f = ::open_memstream(&script.bytes, &script.size);
    if (!f) throw std::runtime_error("cannot make the script in memory");
    write_script(data, claims, f, form);
    if (std::fclose(f) != 0) throw std::runtime_error("cannot make the script in memory");
}

// vireo run's script host in this process, on the batch as a script in
// memory (made before the clock starts): reading the script, the control
// calls, and the output file replaced once complete and synced.
ChildReport run_script_host(const VariantInfo& v, const Options& o, const PreparedData& data) {
    ScriptText script;
    make_script(data, o.claims,
                v.id == Variant::RunClassic ? ScriptForm::Classic
                : v.id == Variant::RunLines ? ScriptForm::Lines
                                            : ScriptForm::Rows,
                script);
    vireo_runner::RunOptions options;
    options.output = output_path(o.dir, v, 0);
    options.script_name = v.key;
    // The classic form names its guide; the other forms are given it here, as
    // a host that runs them would.
    options.catalogue = prjVireo::catalogue::find_catalogue(guide_id(o.guide));
    if (!options.catalogue) throw std::runtime_error(std::string("no catalogue of ") + guide_id(o.guide));
    std::ostringstream err;
    const auto start = Clock::now();
    const vireo_runner::RunResult result = vireo_runner::run_script(script.text(), options, err);
    ChildReport r{};
    r.seconds = seconds_since(start);
    if (result.exit_status != 0 || !result.written) throw std::runtime_error("the script failed: " + err.str());
    r.script_bytes = static_cast<double>(script.size);
    return r;
}

ChildReport run_variant(const VariantInfo& v, const Options& o, const PreparedData& data,
                        const std::string& reference) {
    if (is_script_run(v.id)) return run_script_host(v, o, data);
    ChildReport r{};
    switch (v.id) {
        case Variant::Limit: r.seconds = write_limit(reference, output_path(o.dir, v, 0)); break;
        case Variant::Naive: r.seconds = write_naive(data, o.claims, output_path(o.dir, v, 0)); break;
        case Variant::Vireo:
        case Variant::VireoHandler:
        case Variant::VireoChecker:
        case Variant::HostOnly: {
            const Timed t = write_with_control(data, o.claims, output_path(o.dir, v, 0), v.id != Variant::HostOnly,
                                               v.id == Variant::VireoHandler, {}, v.id == Variant::VireoChecker);
            r.seconds = t.seconds;
            r.handler_reads = t.handler_reads;
            break;
        }
        case Variant::RunClassic:
        case Variant::RunLines:
        case Variant::RunRows: break;  // above
        case Variant::VireoTwoThreads: {
            // Each thread has its own control, writer state and file; they start together.
            std::latch start(3);
            Clock::time_point began;
            Timed results[2]{};
            std::string errors[2];
            std::vector<std::thread> threads;
            for (int i = 0; i < 2; ++i) {
                threads.emplace_back([&, i] {
                    try {
                        results[i] = write_with_control(data, o.claims, output_path(o.dir, v, i), true, false,
                                                        [&] { start.arrive_and_wait(); });
                    } catch (const std::exception& e) {
                        errors[i] = e.what();
                    }
                });
            }
            start.arrive_and_wait();
            began = Clock::now();
            for (auto& t : threads) t.join();
            r.seconds = seconds_since(began);
            for (const auto& e : errors) {
                if (!e.empty()) throw std::runtime_error(e);
            }
            break;
        }
    }
    return r;
}

// Runs one variant in a forked child; returns its wall time and peak resident memory.
RunResult run_in_child(const VariantInfo& v, const Options& o, const PreparedData& data,
                       const std::string& reference) {
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0) fail("pipe failed");
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) fail("fork failed");
    if (pid == 0) {
        ::close(pipe_fds[0]);
        ChildReport report{};
        int status = 0;
        try {
            report = run_variant(v, o, data, reference);
        } catch (const std::exception& e) {
            std::snprintf(report.error, sizeof report.error, "%s", e.what());
            status = 1;
        }
        if (::write(pipe_fds[1], &report, sizeof report) != static_cast<ssize_t>(sizeof report)) status = 1;
        ::_exit(status);
    }
    ::close(pipe_fds[1]);
    ChildReport report{};
    const ssize_t got = ::read(pipe_fds[0], &report, sizeof report);
    ::close(pipe_fds[0]);
    int status = 0;
    struct rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid) fail("wait4 failed");
    if (report.error[0]) fail(std::string(v.key) + ": " + report.error);
    if (got != static_cast<ssize_t>(sizeof report) || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fail(std::string(v.key) + ": the child did not finish normally");
    }
    return {report.seconds, usage.ru_maxrss, report.script_bytes};
}

// Compares `path` with the reference bytes; any difference ends the benchmark.
void check_identical(const std::string& path, const std::string& reference, const char* variant) {
    std::FILE* a = std::fopen(reference.c_str(), "rb");
    std::FILE* b = std::fopen(path.c_str(), "rb");
    if (!a || !b) fail(std::string(variant) + ": cannot open " + path + " to compare it");
    std::vector<char> x(kBlock), y(kBlock);
    std::size_t offset = 0;
    for (;;) {
        const std::size_t n = std::fread(x.data(), 1, kBlock, a);
        const std::size_t m = std::fread(y.data(), 1, kBlock, b);
        const std::size_t common = std::min(n, m);
        const auto diff = std::mismatch(x.begin(), x.begin() + common, y.begin());
        if (diff.first != x.begin() + common || n != m) {
            const std::size_t at = offset + static_cast<std::size_t>(diff.first - x.begin());
            const std::size_t from = static_cast<std::size_t>(diff.first - x.begin()) > 40
                                         ? static_cast<std::size_t>(diff.first - x.begin()) - 40
                                         : 0;
            std::string expected(x.data() + from, std::min<std::size_t>(n - from, 80));
            std::string written(y.data() + from, m > from ? std::min<std::size_t>(m - from, 80) : 0);
            fail(std::string(variant) + ": OUTPUT DIFFERS from the reference bytes at byte " + std::to_string(at) +
                 "\n  expected: " + expected + "\n  written:  " + written);
        }
        offset += n;
        if (n == 0) break;
    }
    std::fclose(a);
    std::fclose(b);
}

double median(std::vector<double> v);

// Runs the vireo command with `args` as its own process, standard output
// discarded; returns its wall time (process start included) and peak resident
// memory. Any exit status but 0 ends the benchmark.
RunResult run_vireo(const std::string& bin, const std::vector<std::string>& args) {
    std::fflush(nullptr);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(bin.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // Its messages are kept in a file and shown if it fails.
    char messages[] = "/tmp/vireo-bench-stderr.XXXXXX";
    const int err = ::mkstemp(messages);
    if (err < 0) fail("cannot create a temporary file");
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) fail("fork failed");
    if (pid == 0) {
        const int devnull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (devnull >= 0) ::dup2(devnull, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execv(bin.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid) fail("wait4 failed");
    const double seconds = seconds_since(start);
    std::string shown = bin;
    for (const std::string& a : args) shown += " " + a;
    std::string text;
    char buf[4096];
    ::lseek(err, 0, SEEK_SET);
    for (ssize_t n; (n = ::read(err, buf, sizeof buf)) > 0;) text.append(buf, static_cast<std::size_t>(n));
    ::close(err);
    ::unlink(messages);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) fail(shown + " failed:\n" + text);
    return {seconds, usage.ru_maxrss};
}

// Median wall time and peak memory of `args` over the runs after a warm-up;
// `after` runs after each (to check and remove the output).
RunResult measure_vireo(const std::string& bin, const std::vector<std::string>& args, int runs,
                        const std::function<void()>& after) {
    std::vector<double> times;
    long peak = 0;
    for (int round = 0; round <= runs; ++round) {
        const RunResult r = run_vireo(bin, args);
        if (after) after();
        if (round == 0) continue;
        times.push_back(r.seconds);
        peak = std::max(peak, r.max_rss_kb);
    }
    return {median(times), peak};
}

std::string default_vireo_bin() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    const fs::path candidate = self.parent_path().parent_path() / "tools" / "vireo";
    return fs::exists(candidate, ec) ? candidate.string() : std::string();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Summary {
    const VariantInfo* info;
    double seconds;      // median wall time
    long peak_rss_kb;    // highest of the runs
    double segments;     // segments written (both threads for two)
    double bytes;
    std::vector<double> all_seconds;
    double script_bytes = 0;  // vireo run rows: the script's size
};

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) fail(a + " needs a value");
            return argv[++i];
        };
        if (a == "--claims") {
            o.claims = std::atol(value().c_str());
            if (o.claims < 1) fail("--claims must be at least 1");
        } else if (a == "--guide") {
            const std::string id = value();
            const std::optional<Guide> guide = find_guide(id);
            if (!guide) fail("--guide " + id + " is no guide of this workload: use 004010X098A1 or 005010X222A1");
            o.guide = *guide;
        } else if (a == "--runs") {
            o.runs = std::atoi(value().c_str());
            if (o.runs < 1) fail("--runs must be at least 1");
        } else if (a == "--dir") {
            o.dir = value();
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--only") {
            o.only = value();
        } else if (a == "--script") {
            o.script = value();
        } else if (a == "--export") {
            o.export_dir = value();
        } else if (a == "--vireo") {
            o.vireo_bin = value();
        } else if (a == "--no-run") {
            o.skip_run = true;
        } else if (a == "-h" || a == "--help") {
            std::printf(
                "usage: vireo-bench [--guide ID] [--claims N] [--runs K] [--dir PATH] [--json]\n"
                "  --guide ID  the guide every variant writes: 004010X098A1 (default) or 005010X222A1\n"
                "  --claims N  claims in the interchange (default 100000)\n"
                "  --runs K    timed runs per variant after one warm-up; the median is reported (default 5)\n"
                "  --dir PATH  where the files are written (default a new temporary directory)\n"
                "  --json      print the results as JSON instead of a table\n"
                "  --vireo BIN the vireo command whose \"run\" is measured on the same batch as a script\n"
                "              (default: tools/vireo of the same build, when it exists)\n"
                "  --no-run    do not measure vireo run\n"
                "  --script F  only write the batch as a vireo run script to F (- for standard output)\n"
                "  --export D  only write the batch's tables (D/tables.json) and expected bytes\n"
                "              (D/reference.x12), for a host in another language (bench/python;\n"
                "              004010X098A1 only)\n"
                "  --only KEY  run one variant once in this process and print its time, for a profiler\n"
                "              (limit, naive, vireo, vireo_handler, vireo_checker, vireo_2_threads, host_loop,\n"
                "              run_classic, run_lines, run_rows)\n");
            std::exit(0);
        } else {
            fail("unknown option " + a + " (try --help)");
        }
    }
    return o;
}

long fork_baseline_kb() {
    const pid_t pid = ::fork();
    if (pid < 0) fail("fork failed");
    if (pid == 0) ::_exit(0);
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    return usage.ru_maxrss;
}

const char* build_type() {
#ifdef VIREO_BENCH_BUILD_TYPE
    return VIREO_BENCH_BUILD_TYPE;
#else
    return "unknown";
#endif
}

int main_impl(int argc, char** argv) {
    Options o = parse(argc, argv);
    if (!o.export_dir.empty() && o.guide != Guide::Professional4010) {
        fail("--export: the Python host (bench/python) writes 004010X098A1 only; leave out --guide");
    }
    bool own_dir = false;
    if (o.dir.empty()) {
        std::string tmpl = (fs::temp_directory_path() / "vireo-bench.XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) fail("cannot create a temporary directory");
        o.dir = tmpl;
        own_dir = true;
    } else {
        fs::create_directories(o.dir);
    }

    const PreparedData data = prepare_data(o.claims, o.guide);
    if (!o.export_dir.empty()) {
        fs::create_directories(o.export_dir);
        for (const char* name : {"tables.json", "reference.x12"}) {
            const std::string path = o.export_dir + "/" + name;
            std::FILE* f = std::fopen(path.c_str(), "wb");
            if (!f) fail("cannot create " + path);
            if (std::string_view(name) == "tables.json") {
                write_tables(data, o.claims, f);
            } else {
                write_reference(data, o.claims, f);
            }
            if (std::fclose(f) != 0) fail("writing " + path + " failed");
        }
        if (own_dir) fs::remove(o.dir);
        return 0;
    }
    if (!o.script.empty()) {
        std::FILE* f = o.script == "-" ? stdout : std::fopen(o.script.c_str(), "wb");
        if (!f) fail("cannot create " + o.script);
        write_script(data, o.claims, f);
        if (f != stdout && std::fclose(f) != 0) fail("writing " + o.script + " failed");
        if (own_dir) fs::remove(o.dir);
        return 0;
    }
    const std::string reference = o.dir + "/reference.x12";
    {
        std::FILE* f = std::fopen(reference.c_str(), "wb");
        if (!f) fail("cannot create " + reference);
        write_reference(data, o.claims, f);
        if (std::fclose(f) != 0) fail("writing " + reference + " failed");
    }
    const double file_bytes = static_cast<double>(fs::file_size(reference));
    if (!o.only.empty()) {
        const VariantInfo* chosen = nullptr;
        for (const VariantInfo& v : kVariants) {
            if (o.only == v.key) chosen = &v;
        }
        if (!chosen) fail("unknown variant " + o.only);
        const ChildReport r = run_variant(*chosen, o, data, reference);
        for (int i = 0; i < chosen->files; ++i) {
            check_identical(output_path(o.dir, *chosen, i), reference, chosen->key);
            fs::remove(output_path(o.dir, *chosen, i));
        }
        fs::remove(reference);
        if (own_dir) fs::remove(o.dir);
        std::printf("%s: %.1f ms, %.1f ns per segment\n", chosen->key, r.seconds * 1e3,
                    r.seconds * 1e9 / (static_cast<double>(segment_count(o.claims, o.guide)) * std::max(chosen->files, 1)));
        return 0;
    }
    const double file_segments = static_cast<double>(segment_count(o.claims, o.guide));
    const long baseline_kb = fork_baseline_kb();

    std::vector<Summary> summaries;
    for (const VariantInfo& v : kVariants) {
        const double copies = v.files == 2 ? 2 : 1;
        summaries.push_back({&v, 0, 0, file_segments * copies, file_bytes * copies, {}});
    }
    int files_checked = 0;
    // Round 0 is the warm-up; the variants take turns so that drift hits them alike.
    for (int round = 0; round <= o.runs; ++round) {
        for (Summary& s : summaries) {
            const RunResult r = run_in_child(*s.info, o, data, reference);
            for (int i = 0; i < s.info->files; ++i) {
                const std::string path = output_path(o.dir, *s.info, i);
                check_identical(path, reference, s.info->key);
                ++files_checked;
                fs::remove(path);
            }
            s.script_bytes = r.script_bytes;
            if (round == 0) continue;
            s.all_seconds.push_back(r.seconds);
            s.peak_rss_kb = std::max(s.peak_rss_kb, r.max_rss_kb);
        }
    }
    // vireo run on the same batch given as a script, without and with the
    // guide checker (strict: the output is written only when it passes), and
    // vireo check on the reference bytes.
    const std::string vireo_bin = o.skip_run ? std::string() : o.vireo_bin.empty() ? default_vireo_bin() : o.vireo_bin;
    double script_bytes = 0;
    double script_seconds = 0;
    long script_rss_kb = 0;
    RunResult run_checked{0, 0};
    RunResult check{0, 0};
    if (!vireo_bin.empty()) {
        const std::string script = o.dir + "/batch.json";
        const std::string output = o.dir + "/vireo_run.x12";
        {
            std::FILE* f = std::fopen(script.c_str(), "wb");
            if (!f) fail("cannot create " + script);
            write_script(data, o.claims, f);
            if (std::fclose(f) != 0) fail("writing " + script + " failed");
        }
        script_bytes = static_cast<double>(fs::file_size(script));
        const auto check_output = [&](const char* variant) {
            return [&, variant] {
                check_identical(output, reference, variant);
                ++files_checked;
                fs::remove(output);
            };
        };
        const RunResult run = measure_vireo(vireo_bin, {"run", script, "-o", output}, o.runs, check_output("vireo_run"));
        script_seconds = run.seconds;
        script_rss_kb = run.max_rss_kb;
        run_checked = measure_vireo(vireo_bin, {"run", script, "-o", output, "--check=strict"}, o.runs,
                                    check_output("vireo_run_check"));
        fs::remove(script);
        check = measure_vireo(vireo_bin, {"check", reference}, o.runs, {});
    }

    fs::remove(reference);
    if (own_dir) fs::remove(o.dir);
    for (Summary& s : summaries) s.seconds = median(s.all_seconds);

    auto find = [&](Variant id) -> const Summary& {
        for (const Summary& s : summaries) {
            if (s.info->id == id) return s;
        }
        throw std::logic_error("variant missing");
    };
    auto mbps = [](const Summary& s) { return s.bytes / s.seconds / 1e6; };
    auto ns_per_segment = [](const Summary& s) { return s.seconds * 1e9 / s.segments; };
    const Summary& limit = find(Variant::Limit);
    const Summary& naive = find(Variant::Naive);
    const Summary& vireo = find(Variant::Vireo);
    const Summary& handler = find(Variant::VireoHandler);
    const Summary& checked = find(Variant::VireoChecker);
    const Summary& two = find(Variant::VireoTwoThreads);
    const Summary& host = find(Variant::HostOnly);
    const double writer_ns = ns_per_segment(vireo) - ns_per_segment(host);
    const double writer_handler_ns = ns_per_segment(handler) - ns_per_segment(host);

    struct Target {
        const char* name;
        double measured;
        double wanted;
    };
    const Target targets[] = {
        {"vireo / limit (MB/s)", mbps(vireo) / mbps(limit), 0.25},
        {"vireo + handler / limit (MB/s)", mbps(handler) / mbps(limit), 0.15},
        {"vireo / naive (MB/s)", mbps(vireo) / mbps(naive), 4.0},
        {"2 threads / 1 thread (MB/s)", mbps(two) / mbps(vireo), 1.8},
    };

    if (o.json) {
        nlohmann::json j;
        j["guide"] = guide_id(o.guide);
        j["claims"] = o.claims;
        j["runs"] = o.runs;
        j["segments_per_file"] = file_segments;
        j["bytes_per_file"] = file_bytes;
        j["build_type"] = build_type();
        j["cpus"] = std::thread::hardware_concurrency();
        j["fork_baseline_rss_kb"] = baseline_kb;
        // JSON objects have no order; the table's order is kept here.
        for (const Summary& s : summaries) j["variant_order"].push_back(s.info->key);
        for (const Summary& s : summaries) {
            nlohmann::json& v = j["variants"][s.info->key];
            v["label"] = s.info->label;
            v["files"] = s.info->files;
            v["wall_seconds_median"] = s.seconds;
            v["wall_seconds_all"] = s.all_seconds;
            v["segments_per_second"] = s.segments / s.seconds;
            v["ns_per_segment"] = ns_per_segment(s);
            v["peak_rss_kb"] = s.peak_rss_kb;
            if (s.info->files) {
                v["mb_per_second"] = mbps(s);
                v["ratio_to_limit"] = mbps(s) / mbps(limit);
                v["ratio_to_naive"] = mbps(s) / mbps(naive);
            }
            if (is_script_run(s.info->id)) {
                v["script_bytes"] = s.script_bytes;
                v["script_mb_per_second"] = s.script_bytes / s.seconds / 1e6;
            }
        }
        j["writer_ns_per_segment"] = writer_ns;
        j["writer_with_handler_ns_per_segment"] = writer_handler_ns;
        j["guide_checker_ns_per_segment"] = ns_per_segment(checked) - ns_per_segment(vireo);
        for (const Target& t : targets) {
            j["targets"][t.name] = {{"measured", t.measured}, {"wanted", t.wanted}, {"met", t.measured >= t.wanted}};
        }
        if (script_seconds > 0) {
            j["vireo_run"] = {{"command", vireo_bin + " run SCRIPT -o OUTPUT"},
                              {"script_bytes", script_bytes},
                              {"wall_seconds_median", script_seconds},
                              {"script_mb_per_second", script_bytes / script_seconds / 1e6},
                              {"output_mb_per_second", file_bytes / script_seconds / 1e6},
                              {"peak_rss_kb", script_rss_kb},
                              {"target_script_mb_per_second", 50},
                              {"met", script_bytes / script_seconds / 1e6 >= 50}};
            j["vireo_run_check"] = {{"command", vireo_bin + " run SCRIPT -o OUTPUT --check=strict"},
                                    {"wall_seconds_median", run_checked.seconds},
                                    {"ratio_to_vireo_run", run_checked.seconds / script_seconds},
                                    {"peak_rss_kb", run_checked.max_rss_kb},
                                    {"target_ratio_at_most", 2},
                                    {"met", run_checked.seconds / script_seconds <= 2}};
            j["vireo_check"] = {{"command", vireo_bin + " check OUTPUT"},
                                {"wall_seconds_median", check.seconds},
                                {"mb_per_second", file_bytes / check.seconds / 1e6},
                                {"peak_rss_kb", check.max_rss_kb},
                                {"target_mb_per_second", 200},
                                {"met", file_bytes / check.seconds / 1e6 >= 200}};
        } else {
            j["vireo_run"] = nullptr;
            j["vireo_run_check"] = nullptr;
            j["vireo_check"] = nullptr;
        }
        j["files_checked_identical"] = files_checked;
        std::printf("%s\n", j.dump(2).c_str());
        return 0;
    }

    std::printf("vireo-bench: %s, %ld claims, %.0f segments and %.1f MB per file, median of %d runs after a warm-up\n",
                guide_id(o.guide), o.claims, file_segments, file_bytes / 1e6, o.runs);
    std::printf("build %s, %u CPUs, files in %s\n\n", build_type(), std::thread::hardware_concurrency(),
                own_dir ? "a temporary directory" : o.dir.c_str());
    std::printf("%-24s %9s %8s %8s %7s %9s %8s %8s\n", "variant", "wall ms", "Mseg/s", "MB/s", "ns/seg",
                "peak MB", "x limit", "x naive");
    for (const Summary& s : summaries) {
        std::printf("%-24s %9.1f %8.2f ", s.info->label, s.seconds * 1e3, s.segments / s.seconds / 1e6);
        if (s.info->files) {
            std::printf("%8.0f ", mbps(s));
        } else {
            std::printf("%8s ", "-");
        }
        std::printf("%7.1f %9.1f ", ns_per_segment(s), s.peak_rss_kb / 1024.0);
        if (s.info->files) {
            std::printf("%8.2f %8.2f\n", mbps(s) / mbps(limit), mbps(s) / mbps(naive));
        } else {
            std::printf("%8s %8s\n", "-", "-");
        }
    }
    std::printf("\nvireo run's script host in this process, the batch as a script in memory (made before the\n"
                "clock starts; its peak MB includes the script):\n");
    std::printf("%-24s %10s %9s %12s %12s %8s\n", "form", "script MB", "wall ms", "script MB/s", "output MB/s",
                "x limit");
    for (const Summary& s : summaries) {
        if (!is_script_run(s.info->id)) continue;
        std::printf("%-24s %10.1f %9.1f %12.0f %12.0f %8.2f\n", s.info->label, s.script_bytes / 1e6, s.seconds * 1e3,
                    s.script_bytes / s.seconds / 1e6, mbps(s), mbps(s) / mbps(limit));
    }
    std::printf("\nMB = 10^6 bytes. Two threads write two files: their MB/s and Mseg/s count both.\n");
    std::printf("Peak MB is the child process's peak resident set (ru_maxrss); a forked child that does\n"
                "nothing peaks at %.1f MB. The limit holds the whole file in memory by design.\n",
                baseline_kb / 1024.0);
    std::printf("The host loop alone fills and clears the fields without Additem and writes no file.\n");
    std::printf("Writer's own cost: %.1f ns per segment (%.1f with the handler), host loop excluded.\n",
                writer_ns, writer_handler_ns);
    std::printf("A GuideChecker attached to the control adds %.1f ns per segment: the segment takes the path\n"
                "that shows its bytes, and the checker reads them.\n\n",
                ns_per_segment(checked) - ns_per_segment(vireo));
    for (const Target& t : targets) {
        std::printf("%-32s %6.2f  (target >= %.2f: %s)\n", t.name, t.measured, t.wanted,
                    t.measured >= t.wanted ? "met" : "MISSED");
    }
    if (script_seconds > 0) {
        const double script_mbps = script_bytes / script_seconds / 1e6;
        std::printf("\nvireo run on the batch as a script (%.1f MB of JSON): %.1f ms, %.0f MB/s of script,\n"
                    "%.0f MB/s of output, peak %.1f MB (process start included)\n",
                    script_bytes / 1e6, script_seconds * 1e3, script_mbps, file_bytes / script_seconds / 1e6,
                    script_rss_kb / 1024.0);
        std::printf("%-32s %6.1f  (target >= 50 MB/s of script: %s)\n", "vireo run script MB/s", script_mbps,
                    script_mbps >= 50 ? "met" : "MISSED");
        const double ratio = run_checked.seconds / script_seconds;
        std::printf("\nvireo run --check=strict on the same script: %.1f ms, peak %.1f MB\n", run_checked.seconds * 1e3,
                    run_checked.max_rss_kb / 1024.0);
        std::printf("%-32s %6.2f  (target <= 2.00: %s)\n", "vireo run --check / vireo run", ratio,
                    ratio <= 2 ? "met" : "MISSED");
        const double check_mbps = file_bytes / check.seconds / 1e6;
        std::printf("vireo check on the %.1f MB file: %.1f ms, peak %.1f MB (process start included)\n",
                    file_bytes / 1e6, check.seconds * 1e3, check.max_rss_kb / 1024.0);
        std::printf("%-32s %6.0f  (target >= 200: %s)\n", "vireo check MB/s", check_mbps,
                    check_mbps >= 200 ? "met" : "MISSED");
    } else {
        std::printf("\nvireo run: not measured (%s)\n",
                    o.skip_run ? "--no-run" : "no vireo command found next to vireo-bench; pass --vireo BIN");
    }
    std::printf("\nAll %d output files are byte-identical to the reference bytes.\n", files_checked);
    return 0;
}

}  // namespace
}  // namespace vireo_bench

int main(int argc, char** argv) {
    try {
        return vireo_bench::main_impl(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vireo-bench: %s\n", e.what());
        return 1;
    }
}
