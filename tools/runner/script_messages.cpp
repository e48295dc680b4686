#include "vireo/tools/runner/script_messages.h"

#include <nlohmann/json.hpp>

#include "vireo/control/dispatch.h"
#include "vireo/core/errors.h"
#include "vireo/core/text.h"
#include "vireo/tools/runner/script_runner.h"

namespace vireo_runner {

using namespace prjVireo;
using json = nlohmann::json;

std::string json_quoted(std::string_view s) {
    return json(std::string(s)).dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string escaped_controls(std::string_view text, bool quoted) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        const char32_t c = text::decode_utf8(text.substr(i), length);
        const bool invalid = c == 0xFFFD && length == 1;
        const unsigned code = invalid ? static_cast<unsigned char>(text[i]) : static_cast<unsigned>(c);
        if (invalid || c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
            out += "\\u00";
            out += digits[code >> 4];
            out += digits[code & 15];
        } else {
            if (quoted && (c == '"' || c == '\\')) out += '\\';
            out.append(text.substr(i, length));
        }
        i += length;
    }
    return out;
}

std::string detail_of(const VbError& e) {
    const std::string what = e.what();
    const std::string prefix = std::string(e.description()) + ": ";
    return what.rfind(prefix, 0) == 0 ? what.substr(prefix.size()) : what;
}

std::string excerpt_of(std::string_view start, std::size_t size) {
    if (size <= kExcerptSize) return json_quoted(start.substr(0, size));
    std::size_t cut = kExcerptSize;
    while (cut > 0 && (static_cast<unsigned char>(start[cut]) & 0xC0) == 0x80) --cut;  // whole UTF-8 characters
    return json_quoted(start.substr(0, cut)) + "... (" + std::to_string(size) + " bytes)";
}

std::string did_you_mean(std::string_view name, const std::vector<std::string_view>& candidates) {
    const std::string best = closest_name(name, candidates);
    return best.empty() ? std::string() : " (did you mean " + json_quoted(best) + "?)";
}

std::string suggest_field(std::string_view name, const std::vector<std::string_view>& fields) {
    const auto underscore = name.find('_');
    if (underscore != std::string_view::npos && underscore > 1) {
        const std::string_view position = name.substr(0, underscore + 1);
        std::string_view match;
        int matches = 0;
        for (std::string_view f : fields) {
            if (f.size() > position.size() && same_name(f.substr(0, position.size()), position)) {
                match = f;
                ++matches;
            }
        }
        if (matches == 1) return " (did you mean " + json_quoted(match) + "?)";
    }
    return did_you_mean(name, fields);
}

std::string quoted_excerpt(std::string_view text) { return excerpt_of(text, text.size()); }

std::string shown_name(std::string_view name) {
    const std::string escaped = escaped_controls(name, false);
    if (escaped == name) return std::string(name);
    // Appended, not a literal prepended to a temporary: GCC 12 misreads the
    // latter as an overlapping copy (-Wrestrict) once it inlines it.
    std::string shown = "\"";
    shown += escaped_controls(name, true);
    shown += '"';
    return shown;
}

}  // namespace vireo_runner
