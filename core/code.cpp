#include "vireo/core/code.h"

#include <cmath>

#include "vireo/core/errors.h"
#include "vireo/core/text.h"

namespace prjVireo {

void append_code_text(std::string& out, std::int32_t value) {
    unsigned char bytes[4];
    const int n = code_text_bytes(value, bytes);
    for (int i = 0; i < n; ++i) {
        if (bytes[i] < 0x80) {
            out.push_back(static_cast<char>(bytes[i]));
        } else {
            text::append_utf8(out, text::ansi_char(bytes[i]));
        }
    }
}

std::string CodeToString(std::int32_t value) {
    std::string s;
    append_code_text(s, value);
    return s;
}

std::string StringToHex(std::string_view value) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out = "&h";
    std::size_t i = 0;
    while (i < value.size()) {
        std::size_t len;
        char32_t cp = text::decode_utf8(value.substr(i), len);
        i += len;
        unsigned b = text::ansi_byte(cp);
        if (b >= 16) out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0xF]);
    }
    return out;
}

std::string Date_to_CCYYMMDD(std::chrono::year_month_day date) {
    int y = static_cast<int>(date.year());
    unsigned m = static_cast<unsigned>(date.month());
    unsigned d = static_cast<unsigned>(date.day());
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02u%02u", y, m, d);
    return buf;
}

std::chrono::year_month_day date_from_ole(double ole_date) {
    // -657434 is 1 January 100 and 2958465 is 31 December 9999, the range of a date.
    if (!std::isfinite(ole_date) || ole_date < -657434.0 || ole_date >= 2958466.0) {
        throw VbError(vbErrInvalidProcedureCall, "date out of range");
    }
    // The integer part counts days whatever the sign; the fraction is the time of day.
    const auto days = static_cast<long>(std::trunc(ole_date));
    using namespace std::chrono;
    constexpr sys_days epoch = sys_days(year(1899) / December / 30);
    return year_month_day(epoch + std::chrono::days(days));
}

}  // namespace prjVireo
