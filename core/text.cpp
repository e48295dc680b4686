#include "vireo/core/text.h"

#include <cstdio>
#include <cstring>

namespace prjVireo::text {
namespace {

// Unicode code points of Windows-1252 bytes 0x80..0x9F. The five unassigned bytes
// map to the C1 control with the same number, as Windows converts them.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

char32_t decode_utf8(std::string_view s, std::size_t& length) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t n = s.size();
    length = 1;
    unsigned char b0 = p[0];
    if (b0 < 0x80) return b0;
    int extra;
    char32_t cp;
    char32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        extra = 1, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        extra = 2, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        extra = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0xFFFD;
    }
    if (n < static_cast<std::size_t>(extra) + 1) return 0xFFFD;
    for (int i = 1; i <= extra; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
    length = static_cast<std::size_t>(extra) + 1;
    return cp;
}

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

unsigned char ansi_byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == cp) return static_cast<unsigned char>(0x80 + i);
    }
    return '?';
}

char32_t ansi_char(unsigned char b) {
    if (b >= 0x80 && b <= 0x9F) return kHigh[b - 0x80];
    return b;
}

bool is_ascii(std::string_view s) {
    const char* p = s.data();
    std::size_t n = s.size();
    while (n >= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        if (w & 0x8080808080808080ULL) return false;
        p += 8;
        n -= 8;
    }
    while (n--) {
        if (static_cast<unsigned char>(*p++) & 0x80) return false;
    }
    return true;
}

std::size_t copy_ansi(char* out, std::string_view utf8) {
    char* start = out;
    std::size_t i = 0;
    const std::size_t n = utf8.size();
    while (i < n) {
        auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            *out++ = static_cast<char>(b);
            ++i;
            continue;
        }
        std::size_t len;
        char32_t cp = decode_utf8(utf8.substr(i), len);
        *out++ = static_cast<char>(ansi_byte(cp));
        i += len;
    }
    return static_cast<std::size_t>(out - start);
}

void append_ansi(std::string& out, std::string_view utf8) {
    if (is_ascii(utf8)) {
        out.append(utf8);
        return;
    }
    std::size_t old = out.size();
    out.resize(old + utf8.size());
    out.resize(old + copy_ansi(out.data() + old, utf8));
}

std::string first_character(std::string_view s) {
    if (s.empty()) return " ";
    std::size_t len;
    char32_t cp = decode_utf8(s, len);
    std::string r;
    append_utf8(r, cp);
    return r;
}

void append_json_string(std::string& out, std::string_view s, JsonNonAscii non_ascii) {
    const unsigned escaped_from = non_ascii == JsonNonAscii::Escape ? 0x7F : 0x100;
    out += '"';
    for (unsigned char c : s) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c >= escaped_from) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
}

}  // namespace prjVireo::text

namespace prjVireo {

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7F) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace prjVireo
