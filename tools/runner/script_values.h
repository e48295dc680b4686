#pragma once
// The values of a step: a scalar of the script, checked against what the
// control property or field it is given to takes, and set there.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "vireo/control/members.h"

namespace vireo_runner {

class ScriptControl;

// A scalar value of the script, valid while the reader hands it over.
struct Scalar {
    // TooLarge: an integer beyond 64 bits, which no field or property takes.
    enum Type { Null, Boolean, Integer, Unsigned, TooLarge, Float, String };
    explicit Scalar(Type t) : type(t) {}
    Type type;
    bool boolean = false;
    std::int64_t integer = 0;
    std::uint64_t unsigned_integer = 0;
    double number = 0;
    std::string_view text;  // a string's value; a Float's text as written

    const char* type_name() const {
        switch (type) {
            case Null: return "null";
            case Boolean: return "a Boolean";
            case Integer:
            case Unsigned:
            case TooLarge: return "an integer";
            case Float: return "a number with a fraction";
            case String: return "a string";
        }
        return "a value";
    }
    bool is_integer() const { return type == Integer || type == Unsigned || type == TooLarge; }
    // The value as a 32-bit integer, if it is an integer in range.
    std::optional<std::int32_t> to_int32() const {
        if (type == Integer && integer >= INT32_MIN && integer <= INT32_MAX) return static_cast<std::int32_t>(integer);
        if (type == Unsigned && unsigned_integer <= INT32_MAX) return static_cast<std::int32_t>(unsigned_integer);
        return std::nullopt;
    }
};

// A control property a "set" step takes (every one of the control's own
// properties, control/members.def), with the kind of value it wants.
using Setting = prjVireo::members::Property;

// The property of a control of `catalogue` named `name` (in any case), or nullptr.
const Setting* find_setting(const prjVireo::catalogue::Catalogue& catalogue, std::string_view name);
// What a "set" step with an unknown property is told: the names it takes,
// with the closest to `name`.
std::string unknown_setting(const prjVireo::catalogue::Catalogue& catalogue, std::string_view name);

// "NewLine takes an integer or one of ...": what a property takes, for messages.
std::string setting_value_text(const Setting& setting);
// "X.m01_... is a code field of LIST: ...": what a field takes, for messages.
std::string field_value_text(const ScriptControl& control, std::size_t slot, std::size_t field);

// Puts `value` into the control property, through the dispatch layer as a
// late-bound put does. Throws RunError (or the control's VbError) when the
// property does not take it.
void set_property(ScriptControl& control, const Setting& setting, const Scalar& value);

// Sets a field of the slot's segment object to `value`: text for a text
// field, a code text, member name or integer of its code list for a code
// field, null for empty. Throws RunError (or VbError) when the field does not
// take it.
void set_field(ScriptControl& control, std::size_t slot, std::size_t field, const Scalar& value);

}  // namespace vireo_runner
