#pragma once
// Reads a script as it arrives and hands its tokens, in order, to a handler.
//
// The script's outer structure (the classic form's object and its "steps"
// array, or one step per line) is read here; each step is cut from the input
// by a scanner that only steps over strings and counts brackets, and the steps
// cut so far are parsed together by simdjson's On-Demand parser, a batch at a
// time, in the window of the input they arrived in. Memory is the window and
// the parser's buffers for one batch (or one step, when a step is larger),
// whatever the number of steps.
//
// A plain step (strings and keys without escapes, null, true, false,
// integers) skips the parser: its tokens are read straight from the script's
// bytes and handed to the handler as the parser would hand them, in order with
// the other steps.
//
// A step that the parser refuses is parsed once more on its own by
// nlohmann-json, whose messages are the ones this runner has always reported;
// the place is the last byte it read, counted in the script's own bytes.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "vireo/tools/runner/script_input.h"

namespace vireo_runner {

// Where the token being handled is, for messages.
class ScriptPlace {
public:
    virtual ~ScriptPlace() = default;
    // "line:column" of the token being handled.
    virtual std::string where() const = 0;
};

// What a script's tokens do. A call that returns false has reported an error
// and ends the reading.
class TokenHandler {
public:
    virtual ~TokenHandler() = default;
    virtual bool null() = 0;
    virtual bool boolean(bool value) = 0;
    virtual bool number_integer(std::int64_t value) = 0;
    virtual bool number_unsigned(std::uint64_t value) = 0;
    // `text` is the number as the script writes it ("145.10"), for exact decimals.
    virtual bool number_float(double value, std::string_view text) = 0;
    // An integer beyond 64 bits, with its digits as written.
    virtual bool number_too_large(std::string_view digits) = 0;
    // A string value or a key: valid during the call only.
    virtual bool string(std::string_view value) = 0;
    virtual bool key(std::string_view key) = 0;
    virtual bool start_object() = 0;
    virtual bool end_object() = 0;
    virtual bool start_array() = 0;
    virtual bool end_array() = 0;
    // The steps begin (after "steps": in the classic form, or at the first
    // line of a script of one step per line) and end.
    virtual bool begin_steps(bool one_per_line) = 0;
    virtual bool end_steps() = 0;
    // Around each step's tokens.
    virtual void begin_step() = 0;
    virtual void end_step() = 0;
    // Reports an error found by the reader at `where`.
    virtual void malformed(const std::string& where, const std::string& what) = 0;
    virtual void error(const std::string& where, const std::string& what) = 0;
    // True when an object whose first member is `key` is a step (so that a
    // script starting with it is one step per line) rather than a script.
    virtual bool names_a_step(std::string_view key) const = 0;
};

class ScriptReader final : public ScriptPlace {
public:
    // How steps are read: plain ones straight from the script's bytes (as
    // `vireo run` reads them), or every step by the parser (to compare the two
    // readings).
    enum class PlainSteps { Read, Parse };
    explicit ScriptReader(ScriptInput& input, PlainSteps plain_steps = PlainSteps::Read);
    ~ScriptReader() override;

    // Reads the whole script; false when an error was reported.
    bool run(TokenHandler& handler);
    std::string where() const override;

private:
    struct Record {
        std::uint64_t start, end;  // offsets in the script
    };
    struct Parser;

    int byte_at(std::uint64_t offset);
    std::uint64_t skip_space(std::uint64_t offset);
    bool cut(std::uint64_t start, std::uint64_t& end);
    bool decode_key(std::uint64_t start, std::uint64_t end, std::string& into);
    bool one_step_per_line(std::uint64_t open);

    bool run_script();
    bool run_classic(std::uint64_t open);
    bool run_value(std::uint64_t start, std::uint64_t& end);
    bool run_steps(std::uint64_t& pos);
    bool run_lines(std::uint64_t pos);
    bool report_unfinished_step(std::uint64_t pos);
    enum class PlainStep { NotPlain, Ran, Stopped };
    PlainStep run_plain_step(std::uint64_t start, std::uint64_t& end);
    static std::string_view plain_string(const char* p, const char* last);
    bool plain_key(const char*& p, const char* last, std::uint64_t at);
    bool hand_over_plain(std::uint64_t start);
    bool take_step(std::uint64_t start, std::uint64_t& end);
    bool flush();
    bool parse(std::size_t first, std::size_t last, bool steps);
    bool syntax_error(std::uint64_t at, const char* context, const char* expected);
    void report_malformed(const Record& record, std::size_t byte, const std::string& parser_message);
    void patch(std::uint64_t offset, char byte);
    void restore() const;

    ScriptInput& input_;
    const PlainSteps plain_steps_;
    TokenHandler* handler_ = nullptr;
    std::unique_ptr<Parser> parser_;
    std::uint64_t keep_ = 0;      // the oldest offset still needed
    std::uint64_t location_ = 0;  // the token being handled
    std::vector<Record> records_;  // steps cut and not yet run
    bool records_are_lines_ = false;
    // Bytes of the window overwritten to present a batch of steps to the parser
    // as one array, with what they held.
    mutable std::vector<std::pair<std::uint64_t, char>> patched_;
    std::string key_;
    // The tokens of a plain step, read before any of them is handed over.
    struct PlainToken {
        enum Kind : std::uint8_t { StartObject, StartArray, EndObject, EndArray, Key, String, Null, Boolean, Integer } kind;
        std::uint64_t offset;    // where the token starts in the script
        std::string_view text;   // a key's or a string's characters
        std::int64_t integer;    // an integer, or a Boolean as 0 or 1
    };
    // The tokens are kept from step to step, so that reading one is a store.
    std::vector<PlainToken> plain_;
    std::size_t plain_count_ = 0;
    [[gnu::always_inline]] void add_plain(const PlainToken& token) {
        if (plain_count_ == plain_.size()) [[unlikely]] grow_plain();
        plain_[plain_count_++] = token;
    }
    [[gnu::noinline]] void grow_plain() { plain_.resize(plain_.size() * 2 + 64); }
};

}  // namespace vireo_runner
