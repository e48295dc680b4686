#include "vireo/control/variant.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "vireo/control/dispatch.h"
#include "vireo/core/errors.h"

namespace prjVireo {
namespace {

std::int32_t round_to_long(double v) {
    if (!std::isfinite(v)) throw VbError(vbErrOverflow);
    double r = std::nearbyint(v);  // the default rounding mode rounds half to even
    if (r < -2147483648.0 || r > 2147483647.0) throw VbError(vbErrOverflow);
    return static_cast<std::int32_t>(r);
}

std::string_view trim_spaces(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

}  // namespace

Variant::Variant(std::shared_ptr<Dispatch> object) : type_(VarType::Object), object_(std::move(object)) {}

Variant Variant::number(double v) {
    Variant r;
    r.type_ = VarType::Double;
    r.double_ = v;
    return r;
}

Variant Variant::date(double ole_date) {
    Variant r;
    r.type_ = VarType::Date;
    r.double_ = ole_date;
    return r;
}

std::int32_t text_to_long(std::string_view text) {
    std::string_view s = trim_spaces(text);
    if (s.empty()) throw VbError(vbErrTypeMismatch, "\"" + std::string(text) + "\" is not a number");
    if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        const int base = (s[1] == 'H' || s[1] == 'h') ? 16 : 8;
        std::string digits(s.substr(2));
        char* end = nullptr;
        errno = 0;
        unsigned long long v = std::strtoull(digits.c_str(), &end, base);
        if (end == digits.c_str() || *end != '\0' || digits[0] == '-' || digits[0] == '+') {
            throw VbError(vbErrTypeMismatch, "\"" + std::string(text) + "\" is not a number");
        }
        if (errno == ERANGE || v > 0xFFFFFFFFULL) throw VbError(vbErrOverflow);
        // Like a literal in code: up to 0xFFFF it is a 16-bit pattern (&HFFFF is -1),
        // above that a 32-bit one (&HFFFFFFFF is -1).
        if (v <= 0xFFFF) return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    }
    std::string copy(s);
    for (char& c : copy) {
        if (c == 'D' || c == 'd') c = 'e';  // a "D" exponent is the double-precision form
    }
    const char* p = copy.c_str();
    // Only a plain decimal number is accepted: strtod would also take hex, inf and nan.
    for (const char* q = p; *q; ++q) {
        if (!(std::isdigit(static_cast<unsigned char>(*q)) || *q == '.' || *q == '+' || *q == '-' ||
              *q == 'e' || *q == 'E')) {
            throw VbError(vbErrTypeMismatch, "\"" + std::string(text) + "\" is not a number");
        }
    }
    char* end = nullptr;
    double v = std::strtod(p, &end);
    if (end == p || *end != '\0') {
        throw VbError(vbErrTypeMismatch, "\"" + std::string(text) + "\" is not a number");
    }
    return round_to_long(v);
}

std::string Variant::to_string() const {
    switch (type_) {
        case VarType::Empty: return "";
        case VarType::Boolean: return long_ ? "True" : "False";
        case VarType::Integer:
        case VarType::Long: return std::to_string(long_);
        case VarType::Double: {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.15g", double_);
            return buf;
        }
        case VarType::Date: {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.15g", double_);
            return buf;
        }
        case VarType::String: return string_;
        case VarType::Object: throw VbError(vbErrTypeMismatch, "an object is not text");
    }
    return "";
}

std::int32_t Variant::to_long() const {
    switch (type_) {
        case VarType::Empty: return 0;
        case VarType::Boolean:
        case VarType::Integer:
        case VarType::Long: return long_;
        case VarType::Double:
        case VarType::Date: return round_to_long(double_);
        case VarType::String: return text_to_long(string_);
        case VarType::Object: throw VbError(vbErrTypeMismatch, "an object is not a number");
    }
    return 0;
}

std::int16_t Variant::to_integer() const {
    std::int32_t v = to_long();
    if (v < -32768 || v > 32767) throw VbError(vbErrOverflow);
    return static_cast<std::int16_t>(v);
}

std::int16_t Variant::to_boolean() const {
    if (type_ == VarType::String) {
        std::string_view s = trim_spaces(string_);
        if (s.size() == 4 && (s == "True" || s == "true" || s == "TRUE")) return -1;
        if (s.size() == 5 && (s == "False" || s == "false" || s == "FALSE")) return 0;
    }
    if (type_ == VarType::Double || type_ == VarType::Date) return double_ != 0 ? -1 : 0;
    return to_long() != 0 ? -1 : 0;
}

double Variant::to_double() const {
    switch (type_) {
        case VarType::Double:
        case VarType::Date: return double_;
        case VarType::String: {
            std::string_view s = trim_spaces(string_);
            std::string copy(s);
            char* end = nullptr;
            double v = std::strtod(copy.c_str(), &end);
            if (copy.empty() || *end != '\0' || !std::isfinite(v)) {
                throw VbError(vbErrTypeMismatch, "\"" + string_ + "\" is not a number");
            }
            return v;
        }
        default: return static_cast<double>(to_long());
    }
}

double Variant::to_date() const {
    if (type_ == VarType::Date || type_ == VarType::Double) return double_;
    if (type_ == VarType::Integer || type_ == VarType::Long) return long_;
    throw VbError(vbErrTypeMismatch, "not a date");
}

const std::shared_ptr<Dispatch>& Variant::to_object() const {
    static const std::shared_ptr<Dispatch> nothing;
    if (type_ == VarType::Object) return object_;
    if (type_ == VarType::Empty) return nothing;
    throw VbError(vbErrTypeMismatch, "an object is required");
}

const char* Variant::type_name(VarType t) {
    switch (t) {
        case VarType::Empty: return "Variant";
        case VarType::Boolean: return "Boolean";
        case VarType::Integer: return "Integer";
        case VarType::Long: return "Long";
        case VarType::Double: return "Double";
        case VarType::Date: return "Date";
        case VarType::String: return "String";
        case VarType::Object: return "Object";
    }
    return "Variant";
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.type_ != b.type_) return false;
    switch (a.type_) {
        case VarType::Empty: return true;
        case VarType::Boolean:
        case VarType::Integer:
        case VarType::Long: return a.long_ == b.long_;
        case VarType::Double:
        case VarType::Date: return a.double_ == b.double_;
        case VarType::String: return a.string_ == b.string_;
        case VarType::Object: return a.object_ == b.object_;
    }
    return false;
}

}  // namespace prjVireo
