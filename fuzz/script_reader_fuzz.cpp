// Reads the same bytes twice: once as `vireo run` does (plain steps straight
// from the script's bytes, the rest by simdjson) and once with every step
// parsed by simdjson, each arriving in reads of its own size. Both readings
// must hand the same tokens, at the same places, and report the same errors:
// the fast reading is only ever a shortcut. A reading that never ends is a
// timeout for libFuzzer.
//
// The first byte chooses the window's block size, the next two the size of
// each reading's reads (0: all at once); the script is the rest.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "vireo/tools/runner/script_input.h"
#include "vireo/tools/runner/script_reader.h"

namespace {

using vireo_runner::ScriptReader;

// Hands out the script `piece` bytes per read (all at once for 0).
class Pieces final : public vireo_runner::ScriptSource {
public:
    Pieces(std::string_view text, std::size_t piece) : text_(text), piece_(piece ? piece : text.size()) {}
    std::size_t read(char* into, std::size_t max) override {
        const std::size_t n = std::min({max, piece_, text_.size()});
        text_.copy(into, n);
        text_.remove_prefix(n);
        return n;
    }

private:
    std::string_view text_;
    std::size_t piece_;
};

// Writes down every call, with the reader's place for each token.
class Transcript final : public vireo_runner::TokenHandler {
public:
    explicit Transcript(const vireo_runner::ScriptPlace& place) : place_(place) {}
    std::string text;

    bool null() override { return token("null"); }
    bool boolean(bool value) override { return token(value ? "true" : "false"); }
    bool number_integer(std::int64_t value) override { return token("int " + std::to_string(value)); }
    bool number_unsigned(std::uint64_t value) override { return token("unsigned " + std::to_string(value)); }
    bool number_float(double value, std::string_view text) override {
        return token("float " + std::to_string(value) + " " + std::string(text));
    }
    bool number_too_large(std::string_view digits) override { return token("too large " + std::string(digits)); }
    bool string(std::string_view value) override { return token("string " + std::string(value)); }
    bool key(std::string_view key) override { return token("key " + std::string(key)); }
    bool start_object() override { return token("{"); }
    bool end_object() override { return token("}"); }
    bool start_array() override { return token("["); }
    bool end_array() override { return token("]"); }
    bool begin_steps(bool one_per_line) override { return token(one_per_line ? "lines" : "steps"); }
    bool end_steps() override { return token("end of steps"); }
    void begin_step() override { text += "step\n"; }
    void end_step() override { text += "end of step\n"; }
    void malformed(const std::string& where, const std::string& what) override {
        text += "malformed " + where + " " + what + "\n";
    }
    void error(const std::string& where, const std::string& what) override {
        text += "error " + where + " " + what + "\n";
    }
    // A step verb or anything that looks like a segment object property.
    bool names_a_step(std::string_view key) const override { return key == "set" || key.starts_with("L"); }

private:
    bool token(const std::string& what) {
        text += place_.where() + " " + what + "\n";
        return true;
    }
    const vireo_runner::ScriptPlace& place_;
};

std::string read(std::string_view script, std::size_t block, std::size_t piece, ScriptReader::PlainSteps plain) {
    Pieces source(script, piece);
    vireo_runner::ScriptInput input(source, block);
    ScriptReader reader(input, plain);
    Transcript transcript(reader);
    const bool ok = reader.run(transcript);
    return transcript.text + (ok ? "read\n" : "stopped\n");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::size_t block = std::size_t{64} << (data[0] % 8);
    const std::string_view script(reinterpret_cast<const char*>(data) + 3, size - 3);
    const std::string fast = read(script, block, data[1], ScriptReader::PlainSteps::Read);
    const std::string parsed = read(script, block, data[2], ScriptReader::PlainSteps::Parse);
    if (fast != parsed) {
        std::fprintf(stderr, "the two readings differ\n---- plain steps read directly:\n%s---- all parsed:\n%s",
                     fast.c_str(), parsed.c_str());
        std::abort();
    }
    return 0;
}
