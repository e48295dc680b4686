#pragma once
// Code values and the small value encodings every segment class shares.
//
// A Code value is a 32-bit signed integer whose bytes, most significant first
// and leading zero bytes dropped, are the ASCII characters of an X12 code:
// "837" is 0x383337. The value 0 means that no code is set.
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace prjVireo {

// The Code value of a code text of 1 to 4 characters.
constexpr std::int32_t code_value(std::string_view code) {
    std::uint32_t v = 0;
    for (char c : code) v = (v << 8) | static_cast<unsigned char>(c);
    return static_cast<std::int32_t>(v);
}

// The ANSI bytes of a Code value's code text (see CodeToString), stored in
// `bytes`; returns how many (0 to 4). The segment writer calls this for every
// code field, so it stays inline.
inline int code_text_bytes(std::int32_t value, unsigned char bytes[4]) {
    const auto v = static_cast<std::uint32_t>(value);
    if (v == 0) return 0;
    const int digits = (32 - __builtin_clz(v) + 3) / 4;
    if ((digits & 1) == 0) {
        // An even number of digits: the code text is the bytes of the value
        // from its first non-zero byte on.
        const int n = digits / 2;
        for (int i = 0; i < n; ++i) bytes[i] = static_cast<unsigned char>(v >> (8 * (n - 1 - i)));
        return n;
    }
    // Groups of two digits from the left; the odd last digit stands alone.
    int n = 0;
    for (int remaining = digits; remaining > 0;) {
        if (remaining >= 2) {
            bytes[n++] = static_cast<unsigned char>(v >> ((remaining - 2) * 4));
            remaining -= 2;
        } else {
            bytes[n++] = static_cast<unsigned char>(v & 0xF);
            remaining = 0;
        }
    }
    return n;
}

// The code text of a Code value: its upper-case hexadecimal digits taken from
// the left two at a time (an odd last digit alone), each group read as a
// character of the ANSI code page. 0 gives "". Returned as UTF-8.
std::string CodeToString(std::int32_t value);

// Appends CodeToString(value) to `out` without a temporary.
void append_code_text(std::string& out, std::int32_t value);

// True when CodeToString(value) compares greater than a single space, by
// character code: the presence test of a code field that is an element by itself.
// Only the first character decides, unless it is a space: then any further
// character makes the text greater than " ".
inline bool code_is_present(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    // "" or a single character from one digit, which is below " ".
    if (v < 0x10) return false;
    // The first character is the two leading digits; a third digit means more follow.
    const int digits = (32 - __builtin_clz(v) + 3) / 4;
    const unsigned first = (v >> ((digits - 2) * 4)) & 0xFFu;
    return first > 0x20 || (first == 0x20 && digits > 2);
}

// "&h" followed by the upper-case hexadecimal ANSI code of every character of
// `value`, each without leading zeros.
std::string StringToHex(std::string_view value);

// The date as "yyyymmdd".
std::string Date_to_CCYYMMDD(std::chrono::year_month_day date);

// An OLE Automation date (days since 1899-12-30, the fraction being the time of
// day) as a calendar date; throws VbError 5 outside the years 100 to 9999.
std::chrono::year_month_day date_from_ole(double ole_date);

}  // namespace prjVireo
