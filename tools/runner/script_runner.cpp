// Runs a script while it is being read, from a stream, memory or a file
// descriptor. The parts of a run:
//   script_input    the window of the script read so far, and positions in it;
//   script_reader   cuts the script into steps and hands over their tokens;
//   script_handler  the script's and each step's structure, as tokens arrive;
//   script_control  the control the steps drive, and the names it knows;
//   script_values   a value checked against its property or field, and set;
//   script_rows     the "columns" lists and the rows that use them;
//   script_output   the output file, committed only when the run succeeded;
//   script_messages how names and values are quoted in messages.
#include "vireo/tools/runner/script_runner.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <istream>
#include <memory>
#include <ostream>
#include <streambuf>

#include <unistd.h>

#include "vireo/tools/runner/script_handler.h"
#include "vireo/tools/runner/script_messages.h"

namespace vireo_runner {

RunResult run_script(ScriptSource& source, const RunOptions& options, std::ostream& err) {
    const auto started = std::chrono::steady_clock::now();
    RunResult result;
    bool ok = false;
    {
        // The handler owns the control; it is gone (and the file closed) before
        // the result is returned.
        ScriptInput input(source);
        ScriptReader reader(input);
        std::unique_ptr<ScriptHandler> handler;
        try {
            handler = std::make_unique<ScriptHandler>(options, err, reader, input, started);
        } catch (const std::exception& e) {
            err << shown_name(options.script_name) << ": " << escaped_controls(e.what(), false) << '\n';
            result.exit_status = 1;
            return result;
        }
        bool read = false;
        try {
            read = reader.run(*handler);
        } catch (const RunError& e) {
            handler->error(reader.where(), e.what());
        }
        ok = read && !handler->failed() && handler->finish();
        const RunOutput& output = handler->output();
        result.output = output.path();
        result.steps = handler->steps();
        result.script_bytes = input.bytes_read();
        result.segments = handler->segments();
        result.output_bytes = output.bytes();
        result.streamed = output.streamed();
        result.to_standard_output = output.to_standard_output();
        result.written = output.written();
        result.check_errors = output.check_errors();
        result.check_warnings = output.check_warnings();
    }
    result.exit_status = ok && result.check_errors == 0 ? 0 : 1;
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}

namespace {

class StreamSource final : public ScriptSource {
public:
    explicit StreamSource(std::istream& in) : in_(in) {}
    std::size_t read(char* into, std::size_t max) override {
        const std::streamsize n = in_.rdbuf()->sgetn(into, static_cast<std::streamsize>(max));
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }

private:
    std::istream& in_;
};

class MemorySource final : public ScriptSource {
public:
    explicit MemorySource(std::string_view data) : data_(data) {}
    std::size_t read(char* into, std::size_t max) override {
        const std::size_t n = std::min(max, data_.size());
        std::memcpy(into, data_.data(), n);
        data_.remove_prefix(n);
        return n;
    }

private:
    std::string_view data_;
};

class DescriptorSource final : public ScriptSource {
public:
    explicit DescriptorSource(int fd) : fd_(fd) {}
    std::size_t read(char* into, std::size_t max) override {
        for (;;) {
            const ssize_t n = ::read(fd_, into, max);
            if (n >= 0) return static_cast<std::size_t>(n);
            if (errno != EINTR) throw RunError(std::string("cannot read the script: ") + std::strerror(errno));
        }
    }

private:
    int fd_;
};

}  // namespace

RunResult run_script(std::istream& in, const RunOptions& options, std::ostream& err) {
    StreamSource source(in);
    return run_script(source, options, err);
}

RunResult run_script(std::string_view script, const RunOptions& options, std::ostream& err) {
    MemorySource source(script);
    return run_script(source, options, err);
}

RunResult run_script_descriptor(int fd, const RunOptions& options, std::ostream& err) {
    DescriptorSource source(fd);
    return run_script(source, options, err);
}

}  // namespace vireo_runner
