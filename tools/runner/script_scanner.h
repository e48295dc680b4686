#pragma once
// Finds where a JSON value of the script ends without parsing it: strings
// (with their escapes) are stepped over and brackets counted, nothing more.
// The parser then reads the values so delimited, many at a time; anything
// malformed inside a value is the parser's to find and to place.
#include <cstddef>
#include <cstdint>

namespace vireo_runner {

// JSON's four whitespace characters.
inline bool is_json_space(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// Skips whitespace from `p`; returns the first other byte's address, or `end`.
inline const char* skip_space(const char* p, const char* end) {
    while (p < end && is_json_space(*p)) ++p;
    return p;
}

// The end of one value, found in pieces when the value arrives in pieces.
class ValueScan {
public:
    // Starts a value whose first byte is `*first`.
    void begin(char first);
    // Scans [p, end): the address just past the value, or nullptr when it
    // does not end before `end` (call again with the bytes that follow).
    // `at_end` says that no byte follows `end`: a number or literal then
    // ends there.
    const char* scan(const char* p, const char* end, bool at_end);

private:
    enum class Kind : std::uint8_t { Container, String, Bare };
    Kind kind_ = Kind::Bare;
    bool in_string_ = false;
    bool escaped_ = false;  // the byte before was a backslash inside a string
    std::uint32_t depth_ = 0;
};

// The first quote or backslash in [p, end), or `end`.
const char* find_quote_or_backslash(const char* p, const char* end);

// The first quote, backslash or control character in [p, end), or `end`.
const char* find_string_stop(const char* p, const char* end);

// True for a byte that ends a number or literal (true, false, null).
bool ends_bare_value(char c);

}  // namespace vireo_runner
