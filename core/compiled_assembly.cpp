#include "vireo/core/compiled_assembly.h"

namespace prjVireo::compiled {

char* put_rare_code(char* p, std::uint32_t value, bool element, bool ascii_only) {
    const auto code = static_cast<std::int32_t>(value);
    if (element ? !code_is_present(code) : value == 0) return p;
    unsigned char bytes[4] = {};
    const int n = code_text_bytes(code, bytes);
    if (ascii_only) {
        for (int i = 0; i < n; ++i) {
            if (bytes[i] >= 0x80) return nullptr;
        }
    }
    std::memcpy(p, bytes, 4);
    return p + n;
}

char* put_long_text(char* p, const char* limit, std::size_t after, const std::string& s) {
    const std::size_t n = s.size();
    // Windows-1252 never takes more bytes than the UTF-8 it comes from.
    if (static_cast<std::size_t>(limit - p) < n + after) return nullptr;
    if (text::is_ascii(s)) {
        std::memcpy(p, s.data(), n);
        return p + n;
    }
    return p + text::copy_ansi(p, s);
}

char* put_long_ascii(char* p, const char* limit, std::size_t after, const std::string& s) {
    const std::size_t n = s.size();
    if (static_cast<std::size_t>(limit - p) < n + after || !text::is_ascii(s)) return nullptr;
    std::memcpy(p, s.data(), n);
    return p + n;
}

}  // namespace prjVireo::compiled
