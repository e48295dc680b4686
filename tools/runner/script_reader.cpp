#include "vireo/tools/runner/script_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include <nlohmann/json.hpp>
#include <simdjson.h>

#include "vireo/core/text.h"
#include "vireo/tools/runner/script_scanner.h"

namespace vireo_runner {

namespace ondemand = simdjson::ondemand;

namespace {

// Steps are parsed in batches of about this many bytes: large enough that the
// parser's cost per batch vanishes, small enough to stay in the cache.
constexpr std::uint64_t kBatchBytes = 256 << 10;

// Keeps only the first parse error nlohmann-json finds in a text.
class FirstParseError final : public nlohmann::json_sax<nlohmann::json> {
public:
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& ex) override {
        byte = position;
        message = ex.what();
        return false;
    }
    std::size_t byte = 1;  // bytes read when the error was found: the last is where it is
    std::string message;
};

// Ends the reading when steps run before more input is read found an error
// (already reported).
struct Stopped {};

// "unexpected 'x'" in the words nlohmann-json uses, for the outer structure.
std::string unexpected(int byte) {
    if (byte < 0) return "unexpected end of input";
    if (byte < 0x20) return "unexpected control character";
    return std::string("unexpected '") + static_cast<char>(byte) + "'";
}

}  // namespace

struct ScriptReader::Parser {
    ondemand::parser parser;
};

ScriptReader::ScriptReader(ScriptInput& input, PlainSteps plain_steps)
    : input_(input), plain_steps_(plain_steps), parser_(std::make_unique<Parser>()) {}
ScriptReader::~ScriptReader() = default;

std::string ScriptReader::where() const {
    // The place is counted in the script's own bytes. The bytes patched for the
    // parser are put back for the count only: a handler may ask in the middle
    // of a batch, and the parser still reads the brackets and commas after it.
    for (auto it = patched_.rbegin(); it != patched_.rend(); ++it) std::swap(*input_.at(it->first), it->second);
    const auto p = input_.position(location_);
    for (auto& [offset, byte] : patched_) std::swap(*input_.at(offset), byte);
    return std::to_string(p.line) + ":" + std::to_string(p.column);
}

int ScriptReader::byte_at(std::uint64_t offset) {
    while (offset >= input_.limit()) {
        // The steps cut so far run before the reader waits for more: a script
        // written slowly into a pipe is run as it arrives.
        if (!records_.empty()) {
            if (!flush()) throw Stopped{};
            keep_ = offset;
        }
        if (!input_.read_more(std::min(keep_, offset))) return -1;
    }
    return static_cast<unsigned char>(*input_.at(offset));
}

std::uint64_t ScriptReader::skip_space(std::uint64_t offset) {
    for (;;) {
        const int c = byte_at(offset);
        if (c < 0 || !is_json_space(static_cast<char>(c))) return offset;
        ++offset;
    }
}

// Finds the end of the value starting at `start` (already in the window),
// reading as much as it takes. False when the script ends first, or when no
// value starts there.
bool ScriptReader::cut(std::uint64_t start, std::uint64_t& end) {
    ValueScan scan;
    scan.begin(*input_.at(start));
    std::uint64_t pos = start;
    for (;;) {
        if (const char* r = scan.scan(input_.at(pos), input_.at(input_.limit()), input_.at_end())) {
            end = input_.offset_of(r);
            // A byte that only ends or separates values (a stray ']', '}', ','
            // or ':') begins none: the value it would cut is empty, and reading
            // on from its end would stay where it is.
            return end != start;
        }
        pos = input_.limit();
        if (!records_.empty() && records_.back().end <= start) {
            if (!flush()) throw Stopped{};
            keep_ = start;
        }
        if (!input_.read_more(std::min(keep_, start))) {
            if (const char* r = scan.scan(input_.at(pos), input_.at(pos), true)) {
                end = input_.offset_of(r);
                return end != start;
            }
            return false;
        }
    }
}

// The text of the key [start, end) (quotes included). A key of ASCII without
// escapes or control characters is its own text; any other is the JSON
// parser's to read, and to refuse as it refuses such a string in a step.
bool ScriptReader::decode_key(std::uint64_t start, std::uint64_t end, std::string& into) {
    const std::string_view raw(input_.at(start), end - start);
    const std::string_view text = raw.substr(1, raw.size() - 2);
    if (find_string_stop(text.data(), text.data() + text.size()) == text.data() + text.size() &&
        prjVireo::text::is_ascii(text)) {
        into.assign(text);
        return true;
    }
    nlohmann::json value;
    try {
        value = nlohmann::json::parse(raw);
    } catch (const nlohmann::json::parse_error& e) {
        report_malformed({start, end}, e.byte, e.what());
        return false;
    }
    into = value.get<std::string>();
    return true;
}

void ScriptReader::patch(std::uint64_t offset, char byte) {
    char* p = input_.at(offset);
    patched_.emplace_back(offset, *p);
    *p = byte;
}

void ScriptReader::restore() const {
    for (auto it = patched_.rbegin(); it != patched_.rend(); ++it) *input_.at(it->first) = it->second;
    patched_.clear();
}

bool ScriptReader::syntax_error(std::uint64_t at, const char* context, const char* expected) {
    const int c = byte_at(at);
    if (!flush()) return false;  // the steps before it run first, as they were read
    location_ = at;
    handler_->malformed(where(), std::string("syntax error while parsing ") + context + " - " + unexpected(c) +
                                     "; expected " + expected);
    return false;
}

// A value nlohmann-json refused in `record` after reading `byte` bytes of it:
// the last byte read is where the error is. Its message reads
// "[json.exception.parse_error.N] parse error at line L, column C: DETAIL";
// only DETAIL is kept, and the place is counted in the script's own bytes
// (the parser's own count puts a line break that it read, or read and put
// back, at column 0 of the next line).
void ScriptReader::report_malformed(const Record& record, std::size_t byte, const std::string& parser_message) {
    restore();
    std::string what = parser_message;
    if (const auto colon = what.find(": "); colon != std::string::npos) {
        what = what.substr(colon + 2);
    } else if (const auto bracket = what.find("] "); bracket != std::string::npos) {
        what = what.substr(bracket + 2);
    }
    location_ = record.start + std::max<std::size_t>(byte, 1) - 1;
    handler_->malformed(where(), what);
}

// ---- handing a parsed value to the handler ----

namespace {

// The integer at the start of a number token (which runs on over the spaces
// after it) when it is one as JSON writes integers: an optional minus, then
// 0 or digits not starting with 0. Empty otherwise.
std::string_view integer_text(std::string_view token) {
    while (!token.empty() && is_json_space(token.back())) token.remove_suffix(1);
    const std::size_t first = token.starts_with('-') ? 1 : 0;
    if (token.size() == first || (token[first] == '0' && token.size() > first + 1)) return {};
    for (std::size_t i = first; i < token.size(); ++i) {
        if (token[i] < '0' || token[i] > '9') return {};
    }
    return token;
}

struct Walker {
    TokenHandler& handler;
    ScriptInput& input;
    std::uint64_t& location;

    void at(const char* p) { location = input.offset_of(p); }

    bool walk(ondemand::value v) {
        at(v.raw_json_token().data());
        const ondemand::json_type type = v.type();
        switch (type) {
            case ondemand::json_type::object: {
                if (!handler.start_object()) return false;
                for (auto member : v.get_object()) {
                    if (member.error()) throw simdjson::simdjson_error(member.error());
                    ondemand::field field = std::move(member).value_unsafe();
                    at(field.key().raw() - 1);
                    if (!handler.key(field.unescaped_key())) return false;
                    if (!walk(field.value())) return false;
                }
                return handler.end_object();
            }
            case ondemand::json_type::array: {
                if (!handler.start_array()) return false;
                for (auto element : v.get_array()) {
                    if (!walk(element.value())) return false;
                }
                return handler.end_array();
            }
            case ondemand::json_type::string: {
                // A string without escapes is handed over where it lies in the
                // script, not copied into the parser's buffer first.
                const std::string_view raw = v.raw_json_token();
                const char* first = raw.data() + 1;
                const char* stop = find_string_stop(first, raw.data() + raw.size());
                if (stop == raw.data() + raw.size() || static_cast<unsigned char>(*stop) < 0x20) {
                    // JSON wants control characters escaped; nlohmann-json words the message.
                    throw simdjson::simdjson_error(simdjson::STRING_ERROR);
                }
                if (*stop == '"') {
                    ondemand::raw_json_string consumed = v.get_raw_json_string();
                    (void)consumed;
                    return handler.string(std::string_view(first, static_cast<std::size_t>(stop - first)));
                }
                return handler.string(v.get_string());
            }
            case ondemand::json_type::number: {
                const ondemand::number_type number = v.get_number_type();
                if (number == ondemand::number_type::floating_point_number) {
                    std::string_view text = v.raw_json_token();
                    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' ||
                                             text.back() == '\r')) {
                        text.remove_suffix(1);
                    }
                    return handler.number_float(v.get_double(), text);
                }
                // An integer that the parser cannot hold in 64 bits (any
                // negative one below INT64_MIN, any other beyond UINT64_MAX) is
                // still an integer, too large for any field; a malformed one
                // ("01") is the parser's error.
                std::int64_t signed_value = 0;
                std::uint64_t unsigned_value = 0;
                if (number == ondemand::number_type::signed_integer && v.get_int64().get(signed_value) == simdjson::SUCCESS) {
                    return handler.number_integer(signed_value);
                }
                if (number == ondemand::number_type::unsigned_integer &&
                    v.get_uint64().get(unsigned_value) == simdjson::SUCCESS) {
                    return handler.number_unsigned(unsigned_value);
                }
                const std::string_view digits = integer_text(v.raw_json_token());
                if (digits.empty()) throw simdjson::simdjson_error(simdjson::NUMBER_ERROR);
                return handler.number_too_large(digits);
            }
            case ondemand::json_type::boolean: return handler.boolean(v.get_bool());
            case ondemand::json_type::null:
                if (!v.is_null()) throw simdjson::simdjson_error(simdjson::N_ATOM_ERROR);
                return handler.null();
        }
        return false;
    }
};

}  // namespace

// Parses records [first, last) as one array: the byte before the first and the
// one after the last become its brackets, and for steps one per line the byte
// after each other step becomes a comma.
bool ScriptReader::parse(std::size_t first, std::size_t last, bool steps) {
    const std::uint64_t open = records_[first].start - 1;
    const std::uint64_t close = records_[last - 1].end;
    patch(open, '[');
    patch(close, ']');
    if (records_are_lines_) {
        for (std::size_t i = first; i + 1 < last; ++i) patch(records_[i].end, ',');
    }
    char* text = input_.at(open);
    std::size_t index = first;
    bool begun = false;
    simdjson::error_code failure = simdjson::SUCCESS;
    Walker walker{*handler_, input_, location_};
    try {
        ondemand::document doc = parser_->parser.iterate(text, close + 1 - open, input_.room_from(text));
        for (auto element : doc.get_array()) {
            ondemand::value v = element.value();
            if (steps) handler_->begin_step();
            begun = true;
            if (!walker.walk(v)) {
                restore();
                return false;
            }
            if (steps) handler_->end_step();
            begun = false;
            ++index;
        }
    } catch (const simdjson::simdjson_error& e) {
        failure = e.error();
    }
    restore();
    if (failure == simdjson::SUCCESS) return true;
    if (index == first && !begun && last - first > 1) {
        // Refused before any step ran: each step on its own, so that those
        // before the faulty one run.
        for (std::size_t i = first; i < last; ++i) {
            if (!parse(i, i + 1, steps)) return false;
        }
        return true;
    }
    if (steps && !begun) handler_->begin_step();
    const Record& bad = records_[index];
    FirstParseError errors;
    nlohmann::json::sax_parse(std::string_view(input_.at(bad.start), bad.end - bad.start), &errors,
                              nlohmann::json::input_format_t::json, true, false);
    if (errors.message.empty()) {
        location_ = bad.start;
        handler_->malformed(where(), simdjson::error_message(failure));
    } else {
        report_malformed(bad, errors.byte, errors.message);
    }
    return false;
}

bool ScriptReader::flush() {
    if (records_.empty()) return true;
    const bool ok = parse(0, records_.size(), true);
    records_.clear();
    return ok;
}

// ---- the outer structure ----

bool ScriptReader::run(TokenHandler& handler) {
    handler_ = &handler;
    try {
        return run_script();
    } catch (const Stopped&) {
        return false;
    }
}

bool ScriptReader::run_script() {
    TokenHandler& handler = *handler_;
    keep_ = 0;
    const std::uint64_t pos = skip_space(0);
    const int c = byte_at(pos);
    if (c < 0) return syntax_error(pos, "value", "'[', '{', or a literal");
    keep_ = pos;
    if (c == '{') return one_step_per_line(pos) ? run_lines(pos) : run_classic(pos);
    location_ = pos;
    if (c == '[') return handler.start_array();  // refused: a script is an object
    std::uint64_t end = 0;
    if (!run_value(pos, end)) return false;
    const std::uint64_t after = skip_space(end);
    if (byte_at(after) >= 0) return syntax_error(after, "value", "end of input");
    return true;
}

// A script whose first object's first member (after comments) is a step verb
// or a segment object property, or whose first object holds only comments and
// is followed by another value, is one step per line.
bool ScriptReader::one_step_per_line(std::uint64_t open) {
    std::uint64_t pos = skip_space(open + 1);
    for (;;) {
        if (byte_at(pos) != '"') return false;
        std::uint64_t end = 0;
        if (!cut(pos, end)) return false;
        std::string key;
        const std::string_view raw(input_.at(pos), end - pos);
        if (raw.find('\\') != std::string_view::npos) return false;
        key.assign(raw.substr(1, raw.size() - 2));
        if (key != "#") return handler_->names_a_step(key);
        pos = skip_space(end);
        if (byte_at(pos) != ':') return false;
        pos = skip_space(pos + 1);
        if (byte_at(pos) < 0 || !cut(pos, end)) return false;
        pos = skip_space(end);
        const int c = byte_at(pos);
        // A first object of comments only is a line of its own when another value follows it.
        if (c == '}') return byte_at(skip_space(pos + 1)) >= 0;
        if (c != ',') return false;
        pos = skip_space(pos + 1);
    }
}

// One value outside the steps (a member of the script, or a script that is
// not an object), parsed on its own.
bool ScriptReader::run_value(std::uint64_t start, std::uint64_t& end) {
    if (!cut(start, end)) {
        Record partial{start, input_.limit()};
        records_.push_back(partial);
        records_are_lines_ = false;
        FirstParseError errors;
        nlohmann::json::sax_parse(std::string_view(input_.at(start), input_.limit() - start), &errors,
                                  nlohmann::json::input_format_t::json, true, false);
        records_.clear();
        report_malformed(partial, errors.byte, errors.message.empty() ? "unexpected end of input" : errors.message);
        return false;
    }
    records_.push_back({start, end});
    records_are_lines_ = false;
    const bool ok = parse(0, 1, false);
    records_.clear();
    return ok;
}

bool ScriptReader::run_classic(std::uint64_t open) {
    location_ = open;
    if (!handler_->start_object()) return false;
    std::uint64_t pos = skip_space(open + 1);
    int c = byte_at(pos);
    if (c != '}') {
        for (;;) {
            keep_ = pos;
            if (c != '"') return syntax_error(pos, "object key", "string literal");
            std::uint64_t end = 0;
            if (!cut(pos, end)) return syntax_error(input_.limit(), "object key", "string literal");
            if (!decode_key(pos, end, key_)) return false;
            location_ = pos;
            if (!handler_->key(key_)) return false;
            pos = skip_space(end);
            if (byte_at(pos) != ':') return syntax_error(pos, "object separator", "':'");
            pos = skip_space(pos + 1);
            c = byte_at(pos);
            if (c < 0) return syntax_error(pos, "value", "'[', '{', or a literal");
            keep_ = pos;
            if (key_ == "steps" && c == '[') {
                location_ = pos;
                if (!handler_->begin_steps(false)) return false;
                ++pos;
                if (!run_steps(pos)) return false;
                location_ = pos - 1;  // the steps' closing bracket
                if (!handler_->end_steps()) return false;
            } else {
                if (!run_value(pos, end)) return false;
                pos = end;
            }
            pos = skip_space(pos);
            c = byte_at(pos);
            if (c == '}') break;
            if (c != ',') return syntax_error(pos, "object", "'}'");
            pos = skip_space(pos + 1);
            c = byte_at(pos);
        }
    }
    location_ = pos;
    if (!handler_->end_object()) return false;
    pos = skip_space(pos + 1);
    if (byte_at(pos) >= 0) return syntax_error(pos, "value", "end of input");
    return true;
}

// The elements of the steps array from `pos` (after its '['); `pos` ends after its ']'.
bool ScriptReader::run_steps(std::uint64_t& pos) {
    records_are_lines_ = false;
    pos = skip_space(pos);
    int c = byte_at(pos);
    if (c == ']') {
        ++pos;
        return true;
    }
    for (;;) {
        if (c < 0) return syntax_error(pos, "value", "'[', '{', or a literal");
        if (records_.empty()) keep_ = pos;
        std::uint64_t end = 0;
        if (!take_step(pos, end)) return false;
        pos = skip_space(end);
        c = byte_at(pos);
        if (c == ']') {
            ++pos;
            return flush();
        }
        if (c != ',') return syntax_error(pos, "array", "']'");
        if (!records_.empty() && end - records_.front().start >= kBatchBytes) {
            if (!flush()) return false;
            keep_ = pos + 1;
        }
        pos = skip_space(pos + 1);
        c = byte_at(pos);
    }
}

// The step starting at `start`: a plain step runs at once (after the steps
// before it), any other step is cut from the script and waits for the
// parser's next batch. `end` becomes the offset just past the step. False when
// a step failed or the script ended inside this one.
bool ScriptReader::take_step(std::uint64_t start, std::uint64_t& end) {
    switch (plain_steps_ == PlainSteps::Read ? run_plain_step(start, end) : PlainStep::NotPlain) {
        case PlainStep::Ran: return true;
        case PlainStep::Stopped: return false;
        case PlainStep::NotPlain: break;
    }
    if (!cut(start, end)) return report_unfinished_step(start);
    records_.push_back({start, end});
    return true;
}

// Runs the step at `start` when it lies whole in the bytes read so far and is
// plain: objects and arrays (at most kPlainDepth deep) of strings without
// escapes or control characters, keys without escapes, null, true, false and
// integers of at most 18 digits. `end` becomes the offset just past it. The
// handler gets the tokens the parser would give it, at the same places.
// Anything else (an escape, a number with a fraction or an exponent, anything
// malformed, a step still arriving) is left to the scanner and the parser,
// which read and report it as for any step. Nothing is handed over before the
// whole step has been read.
ScriptReader::PlainStep ScriptReader::run_plain_step(std::uint64_t start, std::uint64_t& end) {
    constexpr int kPlainDepth = 8;
    const char* const first = input_.at(start);
    const char* const last = input_.at(input_.limit());
    if (*first != '[' && *first != '{') return PlainStep::NotPlain;
    plain_count_ = 0;
    const auto offset = [&](const char* at) { return start + static_cast<std::uint64_t>(at - first); };
    // Whether each open container is an object, innermost last.
    bool in_object[kPlainDepth];
    int depth = 0;
    const char* p = first;
    for (;;) {
        // A value.
        if (*p == '{' || *p == '[') {
            if (depth == kPlainDepth) return PlainStep::NotPlain;
            const bool object = *p == '{';
            in_object[depth++] = object;
            add_plain({object ? PlainToken::StartObject : PlainToken::StartArray, offset(p), {}, 0});
            p = vireo_runner::skip_space(p + 1, last);
            if (p == last) return PlainStep::NotPlain;
            if (*p == (object ? '}' : ']')) {
                add_plain({object ? PlainToken::EndObject : PlainToken::EndArray, 0, {}, 0});
                --depth;
                ++p;
            } else if (object) {
                if (!plain_key(p, last, offset(p))) return PlainStep::NotPlain;
                continue;
            } else {
                continue;
            }
        } else if (*p == '"') {
            const std::string_view text = plain_string(p, last);
            if (!text.data()) return PlainStep::NotPlain;
            add_plain({PlainToken::String, offset(p), text, 0});
            p = text.data() + text.size() + 1;
        } else if (*p == 'n' || *p == 't' || *p == 'f') {
            const std::string_view word = *p == 'n' ? "null" : *p == 't' ? "true" : "false";
            if (static_cast<std::size_t>(last - p) < word.size() || std::memcmp(p, word.data(), word.size()) != 0) {
                return PlainStep::NotPlain;
            }
            add_plain({*p == 'n' ? PlainToken::Null : PlainToken::Boolean, offset(p), {}, *p == 't'});
            p += word.size();
        } else {
            const bool negative = *p == '-';
            const char* digits = p + negative;
            const char* q = digits;
            // Unsigned: 19 digits (read to see that there are more than 18) fit.
            std::uint64_t n = 0;
            while (q != last && *q >= '0' && *q <= '9' && q - digits < 19) n = n * 10 + static_cast<unsigned>(*q++ - '0');
            const std::ptrdiff_t count = q - digits;
            // No digits, too many, a leading zero, or -0: the parser's to judge.
            if (count == 0 || count > 18 || (*digits == '0' && count > 1) || (negative && n == 0)) {
                return PlainStep::NotPlain;
            }
            const auto value = static_cast<std::int64_t>(n);
            add_plain({PlainToken::Integer, offset(p), {}, negative ? -value : value});
            p = q;
        }
        // After a value: the end of the step, a comma, or the end of containers.
        for (;;) {
            if (depth == 0) {
                const std::size_t size = static_cast<std::size_t>(p - first);
                // The parser refuses text that is not UTF-8; such a step is its
                // to report. Most steps are ASCII, which needs no further look.
                const std::string_view step(first, size);
                if (!prjVireo::text::is_ascii(step) && !simdjson::validate_utf8(first, size)) return PlainStep::NotPlain;
                end = start + size;
                return hand_over_plain(start) ? PlainStep::Ran : PlainStep::Stopped;
            }
            // A value ends at a separator: "1.5", "1e3", "nullx" are not plain.
            if (p == last || !(is_json_space(*p) || *p == ',' || *p == ']' || *p == '}')) return PlainStep::NotPlain;
            p = vireo_runner::skip_space(p, last);
            if (p == last) return PlainStep::NotPlain;
            const bool object = in_object[depth - 1];
            if (*p == ',') {
                p = vireo_runner::skip_space(p + 1, last);
                if (p == last) return PlainStep::NotPlain;
                if (object && !plain_key(p, last, offset(p))) return PlainStep::NotPlain;
                break;
            }
            if (*p != (object ? '}' : ']')) return PlainStep::NotPlain;
            add_plain({object ? PlainToken::EndObject : PlainToken::EndArray, 0, {}, 0});
            --depth;
            ++p;
        }
    }
}

// The characters of the string whose opening quote is at `p`, when it closes
// before `last` without an escape or a control character; a view without data
// otherwise.
std::string_view ScriptReader::plain_string(const char* p, const char* last) {
    const char* stop = find_string_stop(p + 1, last);
    if (stop == last || *stop != '"') return {};
    return std::string_view(p + 1, static_cast<std::size_t>(stop - p - 1));
}

// A plain key at `p`, then its colon: `p` ends at the value. False when the
// key is not plain or the colon is missing.
bool ScriptReader::plain_key(const char*& p, const char* last, std::uint64_t at) {
    if (*p != '"') return false;
    const std::string_view text = plain_string(p, last);
    if (!text.data()) return false;
    add_plain({PlainToken::Key, at, text, 0});
    p = vireo_runner::skip_space(text.data() + text.size() + 1, last);
    if (p == last || *p != ':') return false;
    p = vireo_runner::skip_space(p + 1, last);
    return p != last;
}

// Runs the plain step read into plain_, after the steps cut before it.
bool ScriptReader::hand_over_plain(std::uint64_t start) {
    if (!flush()) return false;
    TokenHandler& handler = *handler_;
    handler.begin_step();
    location_ = start;
    for (std::size_t i = 0; i < plain_count_; ++i) {
        const PlainToken& t = plain_[i];
        // Containers' ends keep the place of what came before them, as with the parser.
        if (t.kind != PlainToken::EndObject && t.kind != PlainToken::EndArray) location_ = t.offset;
        bool ok = false;
        switch (t.kind) {
            case PlainToken::StartObject: ok = handler.start_object(); break;
            case PlainToken::StartArray: ok = handler.start_array(); break;
            case PlainToken::EndObject: ok = handler.end_object(); break;
            case PlainToken::EndArray: ok = handler.end_array(); break;
            case PlainToken::Key: ok = handler.key(t.text); break;
            case PlainToken::String: ok = handler.string(t.text); break;
            case PlainToken::Null: ok = handler.null(); break;
            case PlainToken::Boolean: ok = handler.boolean(t.integer != 0); break;
            case PlainToken::Integer: ok = handler.number_integer(t.integer); break;
        }
        if (!ok) return false;
    }
    handler.end_step();
    return true;
}

// A step the scanner could not close: the steps before it run, then the
// JSON parser's first complaint about the rest of the script is the message.
bool ScriptReader::report_unfinished_step(std::uint64_t pos) {
    if (!flush()) return false;
    handler_->begin_step();
    FirstParseError errors;
    nlohmann::json::sax_parse(std::string_view(input_.at(pos), input_.limit() - pos), &errors,
                              nlohmann::json::input_format_t::json, true, false);
    records_.clear();
    report_malformed({pos, input_.limit()}, errors.byte, errors.message);
    return false;
}

// One step per line: each a value, separated by whitespace.
bool ScriptReader::run_lines(std::uint64_t pos) {
    location_ = pos;
    if (!handler_->begin_steps(true)) return false;
    records_are_lines_ = true;
    for (;;) {
        pos = skip_space(pos);
        if (byte_at(pos) < 0) break;
        // Two steps with nothing between them cannot share a batch (no byte for the comma).
        if (!records_.empty() && records_.back().end == pos && !flush()) return false;
        if (records_.empty()) keep_ = pos;
        std::uint64_t end = 0;
        if (!take_step(pos, end)) return false;
        if (!records_.empty() && end - records_.front().start >= kBatchBytes) {
            if (!flush()) return false;
            keep_ = end;
        }
        pos = end;
    }
    if (!flush()) return false;
    location_ = pos;
    return handler_->end_steps();
}

}  // namespace vireo_runner
