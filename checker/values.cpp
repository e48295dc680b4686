#include "vireo/checker/values.h"

#include <string>

#include "vireo/checker/guide_checker.h"

namespace prjVireo::checking {

// Built by appending: prepending a literal to a temporary is what GCC 12
// misreads as an overlapping copy (-Wrestrict) once it inlines it.
std::string quoted(std::string_view v) {
    std::string out = "\"";
    out += printable(v);
    out += '"';
    return out;
}

std::uint64_t to_number(std::string_view v, bool& ok) {
    ok = all_digits(v) && v.size() <= 18;
    std::uint64_t n = 0;
    if (ok) {
        for (char c : v) n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return n;
}

bool all_digits(std::string_view v) {
    if (v.empty()) return false;
    for (char c : v) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

bool is_integer(std::string_view v, std::size_t& digits) {
    std::size_t i = !v.empty() && v[0] == '-' ? 1 : 0;
    digits = v.size() - i;
    return all_digits(v.substr(i));
}

bool is_decimal(std::string_view v, std::size_t& digits) {
    std::size_t i = !v.empty() && v[0] == '-' ? 1 : 0;
    digits = 0;
    bool point = false;
    bool digit_after_point = false;
    for (; i < v.size(); ++i) {
        const char c = v[i];
        if (c >= '0' && c <= '9') {
            ++digits;
            if (point) digit_after_point = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits > 0 && (!point || digit_after_point);
}

std::optional<__int128> millionths(std::string_view v) {
    std::size_t digits;
    if (!is_decimal(v, digits) || digits > 30) return std::nullopt;
    const bool negative = v[0] == '-';
    __int128 whole = 0;
    __int128 fraction = 0;
    int decimals = -1;
    for (char c : v.substr(negative ? 1 : 0)) {
        if (c == '.') {
            decimals = 0;
            continue;
        }
        if (decimals < 0) {
            whole = whole * 10 + (c - '0');
        } else if (decimals < 6) {
            fraction = fraction * 10 + (c - '0');
            ++decimals;
        } else if (c != '0') {
            return std::nullopt;  // finer than a millionth: no exact sum
        }
    }
    for (int d = decimals < 0 ? 0 : decimals; d < 6; ++d) fraction *= 10;
    const __int128 value = whole * 1000000 + fraction;
    return negative ? -value : value;
}

std::string format_millionths(__int128 v) {
    const bool negative = v < 0;
    if (negative) v = -v;
    __int128 whole = v / 1000000;
    int fraction = static_cast<int>(v % 1000000);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(whole % 10)));
        whole /= 10;
    } while (whole > 0);
    std::string decimals = std::to_string(1000000 + fraction).substr(1);
    while (decimals.size() > 2 && decimals.back() == '0') decimals.pop_back();
    return (negative ? "-" : "") + digits + "." + decimals;
}

namespace {

int number(std::string_view v, std::size_t at, std::size_t n) {
    int x = 0;
    for (std::size_t i = 0; i < n; ++i) x = x * 10 + (v[at + i] - '0');
    return x;
}

bool real_date(int year, int month, int day) {
    if (month < 1 || month > 12 || day < 1) return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int days = month == 2 && leap ? 29 : kDays[month - 1];
    return day <= days;
}

}  // namespace

bool is_date(std::string_view v) {
    if (!all_digits(v)) return false;
    if (v.size() == 8) return real_date(number(v, 0, 4), number(v, 4, 2), number(v, 6, 2));
    // YYMMDD: read in the 2000s, where every fourth year is a leap year.
    if (v.size() == 6) return real_date(2000 + number(v, 0, 2), number(v, 2, 2), number(v, 4, 2));
    return false;
}

bool is_time(std::string_view v) {
    if (!all_digits(v) || v.size() < 4 || v.size() > 8 || v.size() == 5) return false;
    if (number(v, 0, 2) > 23 || number(v, 2, 2) > 59) return false;
    return v.size() < 6 || number(v, 4, 2) <= 59;
}

bool is_npi(std::string_view v) {
    if (v.size() != 10 || !all_digits(v)) return false;
    // Luhn over "80840" + the ten digits: the constant prefix adds 24.
    int sum = 24;
    for (int i = 8; i >= 0; --i) {
        int d = v[static_cast<std::size_t>(i)] - '0';
        if ((8 - i) % 2 == 0) {
            d *= 2;
            if (d > 9) d -= 9;
        }
        sum += d;
    }
    return (10 - sum % 10) % 10 == v[9] - '0';
}

}  // namespace prjVireo::checking
