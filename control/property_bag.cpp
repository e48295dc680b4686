#include "vireo/control/property_bag.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "vireo/core/errors.h"

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
    std::size_t line_no = 0;
    std::size_t pos = 0;
    while (pos <= contents.size()) {
        std::size_t end = contents.find('\n', pos);
        if (end == std::string::npos) end = contents.size();
        std::string_view line(contents.data() + pos, end - pos);
        pos = end + 1;
        ++line_no;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#' || line[first] == ';') continue;
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) malformed(line_no, "expected Key=Value");
        // The key runs from its first non-blank character (never after the "=")
        // to the "=", without trailing blanks.
        std::string_view key = line.substr(first, eq - first);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.remove_suffix(1);
        if (key.empty()) malformed(line_no, "empty key");
        std::string_view value = line.substr(eq + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        bag.entries_.emplace_back(std::string(key), parse_value(value, line_no));
        if (end == contents.size()) break;
    }
    return bag;
}

TextPropertyBag TextPropertyBag::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw VbError(errno == ENOENT ? vbErrFileNotFound : vbErrPathFileAccess, path);
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) throw VbError(vbErrDeviceIO, path);
    try {
        return parse(ss.str());
    } catch (const VbError& e) {
        throw VbError(e.number(), path + ": " + e.what());
    }
}

std::string TextPropertyBag::serialize() const {
    std::string out;
    for (const auto& [key, value] : entries_) {
        out += key;
        out += '=';
        switch (value.type()) {
            case VarType::String: out += quote(value.to_string()); break;
            case VarType::Boolean: out += value.to_boolean() ? "True" : "False"; break;
            default: out += value.to_string(); break;
        }
        out += '\n';
    }
    return out;
}

void TextPropertyBag::save(const std::string& path) const {
    // Written beside the target and renamed over it once on disk, so a saved
    // control is never left half written.
    const std::string data = serialize();
    const std::string temp = path + ".vireo-save-" + std::to_string(::getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw VbError(vb_error_from_errno(errno), path);
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw VbError(vb_error_from_errno(err), path);
    };
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t w = ::write(fd, data.data() + done, data.size() - done);
        if (w < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        done += static_cast<std::size_t>(w);
    }
    if (::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        throw VbError(vb_error_from_errno(err), path);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        throw VbError(vb_error_from_errno(err), path);
    }
}

Variant TextPropertyBag::ReadProperty(const std::string& name, const Variant& default_value) {
    for (const auto& [key, value] : entries_) {
        if (key == name) return value;
    }
    return default_value;
}

void TextPropertyBag::WriteProperty(const std::string& name, const Variant& value,
                                    const Variant& default_value) {
    std::erase_if(entries_, [&](const auto& e) { return e.first == name; });
    if (value == default_value) return;
    entries_.emplace_back(name, value);
}

}  // namespace prjVireo
