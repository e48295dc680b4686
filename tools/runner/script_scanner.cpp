#include "vireo/tools/runner/script_scanner.h"

#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vireo_runner {
namespace {

// What a byte means outside strings.
enum Class : std::uint8_t { kOther, kQuote, kOpen, kClose };

constexpr std::array<std::uint8_t, 256> make_classes() {
    std::array<std::uint8_t, 256> t{};
    t['"'] = kQuote;
    t['{'] = kOpen;
    t['['] = kOpen;
    t['}'] = kClose;
    t[']'] = kClose;
    return t;
}
constexpr std::array<std::uint8_t, 256> kClasses = make_classes();

}  // namespace

// The first quote or backslash in [p, end), or `end`. Most of a script's
// bytes are inside strings, so this is the scanner's inner loop.
const char* find_quote_or_backslash(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i backslash = _mm_set1_epi8('\\');
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, backslash)));
        if (mask) return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    while (p < end && *p != '"' && *p != '\\') ++p;
    return p;
}


const char* find_string_stop(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i below_space = _mm_set1_epi8(0x1F);
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(v, below_space), v);
        const int mask = _mm_movemask_epi8(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, backslash)), control));
        if (mask) return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    while (p < end && *p != '"' && *p != '\\' && static_cast<unsigned char>(*p) >= 0x20) ++p;
    return p;
}

bool ends_bare_value(char c) {
    return is_json_space(c) || c == ',' || c == ']' || c == '}' || c == ':' || c == '[' || c == '{' || c == '"';
}

void ValueScan::begin(char first) {
    in_string_ = false;
    escaped_ = false;
    depth_ = 0;
    if (first == '{' || first == '[') {
        kind_ = Kind::Container;
    } else if (first == '"') {
        kind_ = Kind::String;
    } else {
        kind_ = Kind::Bare;
    }
}

const char* ValueScan::scan(const char* p, const char* end, bool at_end) {
    if (kind_ == Kind::Bare) {
        while (p < end && !ends_bare_value(*p)) ++p;
        return p < end || at_end ? p : nullptr;
    }
    if (kind_ == Kind::String && depth_ == 0 && !in_string_) {
        // The opening quote.
        in_string_ = true;
        depth_ = 1;
        ++p;
    }
    while (p < end) {
        if (in_string_) {
            if (escaped_) {
                escaped_ = false;
                ++p;
                continue;
            }
            p = find_quote_or_backslash(p, end);
            if (p == end) break;
            if (*p == '\\') {
                escaped_ = true;
                ++p;
                continue;
            }
            in_string_ = false;
            ++p;
            if (kind_ == Kind::String) return p;
            continue;
        }
        switch (kClasses[static_cast<unsigned char>(*p++)]) {
            case kQuote: in_string_ = true; break;
            case kOpen: ++depth_; break;
            case kClose:
                if (--depth_ == 0) return p;
                break;
            default: break;
        }
    }
    return nullptr;
}

}  // namespace vireo_runner
