#include "vireo/control/property_bag.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iterator>

#include "vireo/core/errors.h"
#include "vireo/core/output_target.h"

namespace prjVireo {
namespace {

std::string quote(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\0': out += "\\0"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\x%02X", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
    return out;
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

[[noreturn]] void malformed(std::size_t line, const std::string& why) {
    throw VbError(vbErrInvalidPropertyValue, "line " + std::to_string(line) + ": " + why);
}

Variant parse_value(std::string_view v, std::size_t line) {
    if (!v.empty() && v.front() == '"') {
        std::string out;
        std::size_t i = 1;
        for (; i < v.size() && v[i] != '"'; ++i) {
            if (v[i] != '\\') {
                out += v[i];
                continue;
            }
            if (++i >= v.size()) malformed(line, "unfinished escape");
            switch (v[i]) {
                case '\\': out += '\\'; break;
                case '"': out += '"'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case '0': out += '\0'; break;
                case 'x': {
                    if (i + 2 >= v.size() || hex_value(v[i + 1]) < 0 || hex_value(v[i + 2]) < 0) {
                        malformed(line, "\\x needs two hexadecimal digits");
                    }
                    out += static_cast<char>(hex_value(v[i + 1]) * 16 + hex_value(v[i + 2]));
                    i += 2;
                    break;
                }
                default: malformed(line, std::string("unknown escape \\") + v[i]);
            }
        }
        if (i >= v.size()) malformed(line, "missing closing quote");
        if (i + 1 != v.size()) malformed(line, "text after the closing quote");
        return Variant(out);
    }
    if (v == "True" || v == "true") return Variant::boolean(true);
    if (v == "False" || v == "false") return Variant::boolean(false);
    if (!v.empty()) {
        std::string s(v);
        char* end = nullptr;
        errno = 0;
        long long n = std::strtoll(s.c_str(), &end, 10);
        if (*end == '\0' && errno == 0 && n >= INT32_MIN && n <= INT32_MAX) {
            return Variant(static_cast<std::int32_t>(n));
        }
    }
    // Anything else is plain text, written without quotes.
    return Variant(std::string(v));
}

}  // namespace

TextPropertyBag TextPropertyBag::parse(const std::string& contents) {
    TextPropertyBag bag;
    std::string_view rest(contents);
    // A byte order mark that an editor put at the start is not part of the first
    // key (nor are several: what is saved again starts with none).
    while (rest.starts_with("\xEF\xBB\xBF")) rest.remove_prefix(3);
    std::size_t line_no = 0;
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        ++line_no;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // Blanks and byte order marks before a key are not part of it: a key
        // that began with a mark would lose it when saved again as the first
        // line, where a mark is skipped.
        std::size_t first = 0;
        for (;;) {
            if (first < line.size() && (line[first] == ' ' || line[first] == '\t')) {
                ++first;
            } else if (line.substr(first).starts_with("\xEF\xBB\xBF")) {
                first += 3;
            } else {
                break;
            }
        }
        if (first == line.size() || line[first] == '#' || line[first] == ';') {
            bag.lines_.push_back({{}, {}, std::string(line)});
            continue;
        }
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) malformed(line_no, "expected Key=Value");
        // The key runs from its first non-blank character (never after the "=")
        // to the "=", without trailing blanks.
        std::string_view key = line.substr(first, eq - first);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.remove_suffix(1);
        if (key.empty()) malformed(line_no, "empty key");
        std::string_view value = line.substr(eq + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        bag.lines_.push_back({std::string(key), parse_value(value, line_no), {}});
    }
    return bag;
}

TextPropertyBag TextPropertyBag::load(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) throw VbError(errno == ENOENT ? vbErrFileNotFound : vbErrPathFileAccess, path);
    // Read up to one byte more than a saved control may hold, so that a huge
    // file or an endless device (/dev/zero) is refused without reading it all.
    std::string contents(kMaxFileSize + 1, '\0');
    std::size_t got = 0;
    int err = 0;
    while (got < contents.size()) {
        const ssize_t n = ::read(fd, contents.data() + got, contents.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) err = errno;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (err) throw VbError(err == EISDIR ? vbErrPathFileAccess : vbErrDeviceIO, path);
    if (got > kMaxFileSize) {
        throw VbError(vbErrInvalidPropertyValue, path + " is larger than " + std::to_string(kMaxFileSize >> 20) +
                                                     " MiB: it is not a saved control");
    }
    contents.resize(got);
    try {
        return parse(contents);
    } catch (const VbError& e) {
        throw VbError(e.number(), path + ": " + e.what());
    }
}

std::string TextPropertyBag::serialize() const {
    std::string out;
    for (const Line& line : lines_) {
        if (line.key.empty()) {
            out += line.comment;
            out += '\n';
            continue;
        }
        out += line.key;
        out += '=';
        switch (line.value.type()) {
            case VarType::String: out += quote(line.value.to_string()); break;
            case VarType::Boolean: out += line.value.to_boolean() ? "True" : "False"; break;
            default: out += line.value.to_string(); break;
        }
        out += '\n';
    }
    return out;
}

void TextPropertyBag::save(const std::string& path) const { files::write_file_safely(path, serialize()); }

std::vector<std::pair<std::string, Variant>> TextPropertyBag::entries() const {
    std::vector<std::pair<std::string, Variant>> stored;
    for (const Line& line : lines_) {
        if (!line.key.empty()) stored.emplace_back(line.key, line.value);
    }
    return stored;
}

Variant TextPropertyBag::ReadProperty(const std::string& name, const Variant& default_value) {
    for (const Line& line : lines_) {
        if (line.key == name) return line.value;
    }
    return default_value;
}

void TextPropertyBag::WriteProperty(const std::string& name, const Variant& value,
                                    const Variant& default_value) {
    const auto rank_of = [&](const std::string& key) {
        return static_cast<std::size_t>(std::find(written_.begin(), written_.end(), key) - written_.begin());
    };
    if (rank_of(name) == written_.size()) written_.push_back(name);
    const std::size_t rank = rank_of(name);
    auto held = std::find_if(lines_.begin(), lines_.end(), [&](const Line& l) { return l.key == name; });
    if (value == default_value) {
        std::erase_if(lines_, [&](const Line& l) { return l.key == name; });
        return;
    }
    if (held != lines_.end()) {
        held->value = value;
        // A key stored twice by hand: the first one is the one read, the rest go.
        lines_.erase(std::remove_if(std::next(held), lines_.end(), [&](const Line& l) { return l.key == name; }),
                     lines_.end());
        return;
    }
    // Before the first stored property that is written later than this one (or
    // never), so that a new key takes its place in the writing order.
    auto later = std::find_if(lines_.begin(), lines_.end(),
                              [&](const Line& l) { return !l.key.empty() && rank_of(l.key) > rank; });
    lines_.insert(later, Line{name, value, {}});
}

}  // namespace prjVireo
