// Exact decimal formatting of number texts, digit by digit.
#include "vireo/core/x12_number.h"

#include <algorithm>
#include <cstdint>

namespace prjVireo {

std::optional<std::string> x12_number(std::string_view number, X12NumberForm form, std::size_t max_digits) {
    std::size_t i = 0;
    const bool negative = i < number.size() && number[i] == '-';
    if (negative || (i < number.size() && number[i] == '+')) ++i;
    // The digits without the point, and where the point falls among them.
    std::string digits;
    std::int64_t point = -1;
    bool any = false;
    for (; i < number.size(); ++i) {
        const char c = number[i];
        if (c >= '0' && c <= '9') {
            if (digits.size() > 4096) return std::nullopt;
            digits += c;
            any = true;
        } else if (c == '.' && point < 0) {
            point = static_cast<std::int64_t>(digits.size());
        } else {
            break;
        }
    }
    if (!any) return std::nullopt;
    if (point < 0) point = static_cast<std::int64_t>(digits.size());
    if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
        ++i;
        bool exponent_negative = false;
        if (i < number.size() && (number[i] == '-' || number[i] == '+')) exponent_negative = number[i++] == '-';
        std::int64_t exponent = 0;
        bool exponent_digits = false;
        for (; i < number.size() && number[i] >= '0' && number[i] <= '9'; ++i) {
            exponent_digits = true;
            if (exponent < 100000) exponent = exponent * 10 + (number[i] - '0');
        }
        if (!exponent_digits) return std::nullopt;
        point += exponent_negative ? -exponent : exponent;
    }
    if (i != number.size()) return std::nullopt;
    // Place the point, then drop the whole number's leading zeros and the
    // fraction's trailing ones.
    const std::int64_t size = static_cast<std::int64_t>(digits.size());
    const std::int64_t limit = static_cast<std::int64_t>(max_digits) + size;
    if (point < -limit || point > limit) {
        if (digits.find_first_not_of('0') == std::string::npos) return std::string("0");
        return std::nullopt;
    }
    std::string whole, fraction;
    if (point <= 0) {
        fraction = std::string(static_cast<std::size_t>(-point), '0') + digits;
    } else if (point >= size) {
        whole = digits + std::string(static_cast<std::size_t>(point - size), '0');
    } else {
        whole = digits.substr(0, static_cast<std::size_t>(point));
        fraction = digits.substr(static_cast<std::size_t>(point));
    }
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    const std::size_t last = fraction.find_last_not_of('0');
    fraction.erase(last == std::string::npos ? 0 : last + 1);
    if (whole.empty() && fraction.empty()) return std::string("0");
    if (form == X12NumberForm::Whole && !fraction.empty()) return std::nullopt;
    if (whole.size() + fraction.size() > max_digits) return std::nullopt;
    std::string out = negative ? "-" : "";
    out += whole.empty() ? "0" : whole;
    if (!fraction.empty()) out += "." + fraction;
    return out;
}

}  // namespace prjVireo
