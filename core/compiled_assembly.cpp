#include "core/compiled_assembly.h"

namespace prjVireo::compiled {

char* put_odd_code(char* p, std::uint32_t value) {
    unsigned char bytes[4] = {};
    const int n = code_text_bytes(static_cast<std::int32_t>(value), bytes);
    std::memcpy(p, bytes, 4);
    return p + n;
}

bool put_long_text(char*& p, const char* limit, std::size_t after, const std::string& s) {
    const std::size_t n = s.size();
    // Windows-1252 never takes more bytes than the UTF-8 it comes from.
    if (static_cast<std::size_t>(limit - p) < n + after) return false;
    if (text::is_ascii(s)) {
        std::memcpy(p, s.data(), n);
        p += n;
    } else {
        p += text::copy_ansi(p, s);
    }
    return true;
}

bool put_long_ascii(char*& p, const char* limit, std::size_t after, const std::string& s) {
    const std::size_t n = s.size();
    if (static_cast<std::size_t>(limit - p) < n + after || !text::is_ascii(s)) return false;
    std::memcpy(p, s.data(), n);
    p += n;
    return true;
}

}  // namespace prjVireo::compiled
