#pragma once
// The shapes of X12 values: numbers, decimals, dates, times, the character
// set, and the check digit of a National Provider Identifier.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace prjVireo::checking {

// Characters an AN or ID value may hold: the X12 extended character set,
// printable ASCII without "^" and "`" (delimiters split values before this
// is asked).
inline bool allowed_character(unsigned char c) { return c >= 0x20 && c <= 0x7E && c != '^' && c != '`'; }

// N0 and N2: an optional minus sign, then digits. The length counts the digits.
bool is_integer(std::string_view v, std::size_t& digits);
// R: an optional minus sign, digits with at most one decimal point that has a
// digit after it ("-.5", "12.50"; not "12.", "+5" or "1E2"). The length counts
// the digits.
bool is_decimal(std::string_view v, std::size_t& digits);

// A decimal value exactly, in millionths, when it fits; for sums of amounts.
std::optional<__int128> millionths(std::string_view v);
// "195.00", with the decimals the value needs.
std::string format_millionths(__int128 v);

// A real calendar date: CCYYMMDD (8 digits) or YYMMDD (6).
bool is_date(std::string_view v);
// HHMM, HHMMSS, HHMMSSD or HHMMSSDD with real hours, minutes and seconds.
bool is_time(std::string_view v);

// A 10-digit NPI whose last digit is its Luhn check digit (over the prefix
// 80840 and the first nine digits).
bool is_npi(std::string_view v);

// Whether every character is a digit (and there is at least one).
bool all_digits(std::string_view v);
// A count or sequence number of at most 18 digits; ok is false for anything else.
std::uint64_t to_number(std::string_view v, bool& ok);

// A value as findings quote it: in double quotes, with bytes outside
// printable ASCII written as \xHH.
std::string quoted(std::string_view v);

}  // namespace prjVireo::checking
