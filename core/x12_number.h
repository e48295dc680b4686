#pragma once
// Numbers written as X12 wants them: a decimal (R) without an exponent, a
// leading "+", leading zeros or trailing zeros after the point, "-" for a
// negative; a whole number (N0) without a point. The number comes as the
// text of a JSON or Python number, so that 145.10 is written "145.1" exactly,
// never through a binary floating-point value.
#include <optional>
#include <string>
#include <string_view>

namespace prjVireo {

enum class X12NumberForm { Decimal, Whole };

// The X12 text of `number` (JSON number syntax: "-12.50", "1.5e2", "145"), or
// nullopt when it is no number, when Whole is asked for a number with a
// fraction, or when it would take more than `max_digits` digits.
std::optional<std::string> x12_number(std::string_view number, X12NumberForm form, std::size_t max_digits = 18);

}  // namespace prjVireo
