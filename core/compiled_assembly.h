#pragma once
// Compiled assembly: functions generated from a class's field list at compile
// time, so that the work done for every segment of a batch has each offset,
// separator run, composite boundary and field kind as a constant instead of
// reading them from the descriptor.
//
// - `compiled::body_writer<fields, assembly, false>()`: for a class assembled by the
//   Common or PackedComposites rule, writes the element text in the bytes of
//   the file (Windows-1252). The writer uses it when nobody listens to
//   BeforeAdd; the descriptor-driven engine in segment.cpp covers every other
//   case, and the two agree byte for byte.
// - `compiled::body_writer<fields, assembly, true>()`: the same body for the
//   announced path, where the text is UTF-8: it gives up (nullptr) on the
//   first character outside ASCII, where the two encodings differ, and the
//   engine assembles that segment instead.
// - `compiled::clear_fields<fields>`: Clear for any class.
//
// They are instantiated by core/define_family.h, once per declared class.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "vireo/core/code.h"
#include "vireo/core/segment.h"
#include "vireo/core/text.h"

namespace prjVireo::compiled {

// Short texts are read 16 bytes at a time from their std::string's buffer,
// which holds at least 16 bytes in libstdc++'s std::string (the C++11 ABI one):
// a string of up to 15 characters lives in its own 16-byte buffer inside the
// object, a longer one in an allocation of its capacity (more than 15) plus the
// terminating NUL. The standard does not promise it, so the build stops on any
// other library or layout rather than read past a buffer there. The layout is
// checked by size (pointer, length, 16-byte buffer), which every compiler can
// evaluate; the runtime tests check the capacity of an empty string as well.
#if defined(__GLIBCXX__) && defined(_GLIBCXX_USE_CXX11_ABI) && _GLIBCXX_USE_CXX11_ABI
static_assert(sizeof(std::string) == sizeof(char*) + sizeof(std::size_t) + 16,
              "the compiled assembly reads 16 bytes from every std::string: this standard library's "
              "strings no longer keep 15 characters and a NUL in their own buffer");
#else
#error "the compiled assembly reads 16 bytes from every std::string, which holds only with libstdc++'s C++11 strings"
#endif

// True when the `n` bytes at `p` are 7-bit ASCII. `p` must have 16 readable
// bytes, as every std::string's buffer has (see above).
[[gnu::always_inline]] inline bool short_is_ascii(const char* p, std::size_t n) {
    std::uint64_t a, b;
    std::memcpy(&a, p, 8);
    std::memcpy(&b, p + 8, 8);
    // Only the first n bytes count: the rest of the 16 may hold anything.
    const std::uint64_t mask_a = n >= 8 ? ~0ULL : (1ULL << (8 * n)) - 1;
    const std::uint64_t mask_b = n >= 16 ? ~0ULL : n <= 8 ? 0 : (1ULL << (8 * (n - 8))) - 1;
    return (((a & mask_a) | (b & mask_b)) & 0x8080808080808080ULL) == 0;
}

// The code text of a Code value, the rare cases: a value of 0, a code element
// whose text is not above " " (an empty position), a leading character at or
// below " ", or an odd number of hexadecimal digits. `element`: the field is an
// element by itself (written only when present) rather than a component
// (written whenever set). `ascii_only`: nullptr for a code text outside ASCII.
// Returns the end of what was written (`p` when nothing was).
char* put_rare_code(char* p, std::uint32_t value, bool element, bool ascii_only);

// The code text of a Code value in file bytes (at most 4; 4 are stored). Nearly
// every code starts with a character above " ": then it is present, has an
// even number of hexadecimal digits, and its text is the value's bytes from
// the first non-zero one.
template <bool kElement, bool kAsciiOnly>
[[gnu::always_inline]] inline char* put_code(char* p, std::uint32_t v) {
    if (v == 0) return p;  // not set: the other usual case
    const unsigned shift = static_cast<unsigned>(__builtin_clz(v)) & ~7u;  // 8 x leading zero bytes
    const std::uint32_t aligned = v << shift;
    if ((aligned >> 24) > 0x20 && (!kAsciiOnly || (aligned & 0x80808080u) == 0)) [[likely]] {
        const std::uint32_t big_endian = __builtin_bswap32(aligned);
        std::memcpy(p, &big_endian, 4);
        return p + 4 - shift / 8;
    }
    return put_rare_code(p, v, kElement, kAsciiOnly);
}

// A text longer than 16 bytes or not ASCII, in file bytes: returns its end, or
// nullptr when fewer than its size plus `after` bytes are left before `limit`.
// (Positions go in and out by value so that the caller's stay in registers.)
char* put_long_text(char* p, const char* limit, std::size_t after, const std::string& s);

// The same for the ASCII-only body: nullptr also when the text is not ASCII.
char* put_long_ascii(char* p, const char* limit, std::size_t after, const std::string& s);

// Bytes a compiled body may touch beyond its start, long texts aside: per field
// a separator and 16 bytes (short texts are copied 16 bytes at a time, codes 4),
// and the separators of positions without a field.
template <const auto& Fields>
constexpr std::size_t body_room() {
    std::size_t last = 0;
    for (const FieldDescriptor& f : Fields) last = f.element > last ? f.element : last;
    return std::size(Fields) * 17 + last + 8;
}

// Whether the assembly of these fields can be compiled: Common or
// PackedComposites, and no field a fixed-width text, which only the
// interchange header has. (Every class lists its fields in element order:
// core/define_family.h checks it.)
template <const auto& Fields, Assembly kAssembly>
constexpr bool compilable() {
    if (kAssembly != Assembly::Common && kAssembly != Assembly::PackedComposites) return false;
    for (const FieldDescriptor& f : Fields) {
        if (f.kind == FieldKind::Fixed) return false;
    }
    return true;
}

// A body under assembly.
struct BodyCursor {
    char* p;              // the next byte
    char* end;            // after the last element that wrote anything
    char* element_start;  // where the current element (its separator included) began
    char* content;        // where the current composite's first component began
    char* mark;           // in a composite: after its last component that wrote anything
    bool wrote;           // PackedComposites: an element has been written
};

// A text field's bytes; false when a long one does not fit before `limit`.
template <const auto& Fields, bool kAsciiOnly>
[[gnu::always_inline]] inline char* put_text(char* p, const char* limit, const std::string& s) {
    const std::size_t n = s.size();
    if (n <= 16) [[likely]] {
        // All 16 bytes ASCII is the usual case; otherwise only the first n count.
#if defined(__SSE2__)
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data()));
        if (_mm_movemask_epi8(bytes) == 0 || short_is_ascii(s.data(), n)) [[likely]] {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p), bytes);
            return p + n;
        }
#else
        std::uint64_t a, b;
        std::memcpy(&a, s.data(), 8);
        std::memcpy(&b, s.data() + 8, 8);
        if ((((a | b) & 0x8080808080808080ULL) == 0) || short_is_ascii(s.data(), n)) [[likely]] {
            std::memcpy(p, s.data(), 16);
            return p + n;
        }
#endif
    }
    if constexpr (kAsciiOnly) {
        return put_long_ascii(p, limit, body_room<Fields>(), s);
    } else {
        return put_long_text(p, limit, body_room<Fields>(), s);
    }
}

// One field of the Common or PackedComposites rule.
//
// Common: every element is written after the separators of its position, an
// absent one as nothing, and the body ends after the last element that wrote
// anything: exactly "up to the last present element". PackedComposites: a
// composite that writes nothing leaves no trace, the others follow each other,
// and the plain elements come straight after them. In both a composite ends
// after its last component that writes anything.
template <const auto& Fields, Assembly kAssembly, bool kAsciiOnly, std::size_t I>
[[gnu::always_inline]] inline bool put_field(const char* block, BodyCursor& c, const char* limit, char sep,
                                             char comp) {
    constexpr std::size_t kCount = std::size(Fields);
    constexpr FieldDescriptor f = Fields[I];
    constexpr bool first_of_element = I == 0 || Fields[I - 1].element != f.element;
    constexpr bool last_of_element = I + 1 == kCount || Fields[I + 1].element != f.element;
    constexpr bool in_composite = f.component != 0;
    constexpr bool packed = kAssembly == Assembly::PackedComposites;

    if constexpr (first_of_element) {
        c.element_start = c.p;
        if constexpr (packed) {
            if (c.wrote) *c.p++ = sep;
            if constexpr (!in_composite) c.wrote = true;
        } else {
            constexpr int gap = f.element - 1 - (I == 0 ? 0 : Fields[I - 1].element - 1);
            if constexpr (gap > 0) {
                std::memset(c.p, sep, gap);
                c.p += gap;
            }
        }
        if constexpr (in_composite) c.content = c.mark = c.p;
    } else if constexpr (f.kind != FieldKind::Unwritten) {
        *c.p++ = comp;
    }

    if constexpr (f.kind == FieldKind::Text) {
        const std::string& s = *reinterpret_cast<const std::string*>(block + f.offset);
        if (!s.empty()) {
            c.p = put_text<Fields, kAsciiOnly>(c.p, limit, s);
            if (!c.p) return false;
            if constexpr (in_composite) {
                c.mark = c.p;
            } else {
                c.end = c.p;
            }
        }
    } else if constexpr (f.kind == FieldKind::Code) {
        std::uint32_t v;
        std::memcpy(&v, block + f.offset, sizeof v);
        // A code component writes its text whenever it is set; a code element
        // whose text is not above " " is an empty position.
        char* const q = put_code<!in_composite, kAsciiOnly>(c.p, v);
        if constexpr (kAsciiOnly) {
            if (!q) return false;
        }
        if (q != c.p) {
            c.p = q;
            if constexpr (in_composite) {
                c.mark = q;
            } else {
                c.end = q;
            }
        }
    }

    if constexpr (in_composite && last_of_element) {
        if (c.mark != c.content) {
            c.p = c.end = c.mark;
            if constexpr (packed) c.wrote = true;
        } else {
            // An empty composite writes nothing; when packed, not even its separator.
            c.p = packed ? c.element_start : c.content;
        }
    }
    return true;
}

// Writes the element text of a class at `p` (which must have
// body_room<Fields>() bytes before `limit`): returns its end, or nullptr when
// a long text does not fit before `limit`. The element text loses its trailing
// separators, as in every assembly.
template <const auto& Fields, Assembly kAssembly, bool kAsciiOnly>
char* compiled_body(const char* block, char* p, const char* limit, char sep, char comp) {
    BodyCursor c{p, p, p, p, p, false};
    const bool fit = [&]<std::size_t... I>(std::index_sequence<I...>) {
        return (put_field<Fields, kAssembly, kAsciiOnly, I>(block, c, limit, sep, comp) && ...);
    }(std::make_index_sequence<std::size(Fields)>{});
    if (!fit) return nullptr;
    char* q = c.end;
    while (q != p && q[-1] == sep) --q;
    return q;
}

// The compiled body of a class (in file bytes, or ASCII-only), or nullptr when
// its assembly has none.
template <const auto& Fields, Assembly kAssembly, bool kAsciiOnly>
constexpr CompiledBody body_writer() {
    if constexpr (compilable<Fields, kAssembly>()) {
        return &compiled_body<Fields, kAssembly, kAsciiOnly>;
    } else {
        return nullptr;
    }
}

// Clear: texts to "", codes to 0.
template <const auto& Fields>
void clear_fields(char* block) {
    [&]<std::size_t... I>(std::index_sequence<I...>) {
        (
            [&] {
                constexpr FieldDescriptor f = Fields[I];
                if constexpr (f.kind == FieldKind::Code) {
                    std::memset(block + f.offset, 0, sizeof(std::int32_t));
                } else {
                    reinterpret_cast<std::string*>(block + f.offset)->clear();
                }
            }(),
            ...);
    }(std::make_index_sequence<std::size(Fields)>{});
}

}  // namespace prjVireo::compiled
