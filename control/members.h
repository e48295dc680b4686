#pragma once
// The control's properties as data, from control/members.def: how a
// host gives each one, its value in a control just placed, its place among
// the settings and its property bag key. The property bag, the script
// runner's "set" and its schema, the Python properties and their stubs all
// read them here instead of listing the properties themselves.
#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "vireo/control/dispids.h"
#include "vireo/control/variant.h"

namespace prjVireo {

class basic_vireo;

namespace catalogue {
class Catalogue;
}

namespace members {

// How a host gives a property's value (members.def says what each means).
enum class Kind : std::uint8_t { Boolean, Delimiter, Path, NewLine, Count };

// The controls that have a property (members.def says what each means).
enum class Controls : std::uint8_t { All, WithRepetitionSeparator };

// A property's value in a control just placed, as members.def writes it.
struct Initial {
    enum class Form : std::uint8_t { Boolean, Text, Number };
    Form form;
    bool boolean = false;
    const char* text = nullptr;
    std::int32_t number = 0;

    template <std::same_as<bool> Bool>
    constexpr Initial(Bool value) : form(Form::Boolean), boolean(value) {}
    constexpr Initial(const char* value) : form(Form::Text), text(value) {}
    constexpr Initial(std::int32_t value) : form(Form::Number), number(value) {}
};

struct Property {
    const char* name;
    DISPID dispid;
    Kind kind;
    Initial initial;
    std::size_t place;    // 1 for the first setting
    const char* persisted;  // property bag key, or nullptr
    bool browsable;
    Controls controls;
    const char* doc;
};

// The properties in the type library's order.
inline constexpr Property kProperties[] = {
#define VIREO_CONTROL_PROPERTY(Name, Dispid, KindName, InitialValue, Place, Persisted, Browsable, ControlsName, Doc) \
    {#Name, Dispid, Kind::KindName, InitialValue, Place, Persisted, Browsable, Controls::ControlsName, Doc},
#define VIREO_CONTROL_METHOD(...)
#include VIREO_MEMBERS_FILE
#undef VIREO_CONTROL_PROPERTY
#undef VIREO_CONTROL_METHOD
};
inline constexpr std::size_t kPropertyCount = std::size(kProperties);

// The type library's type of a property of `kind`.
constexpr const char* type_name(Kind kind) {
    switch (kind) {
        case Kind::Boolean: return "Boolean";
        case Kind::NewLine: return "NewLineValues";
        case Kind::Delimiter:
        case Kind::Path:
        case Kind::Count: return "String";
    }
    return "";
}

namespace detail {
constexpr bool same_text(const char* a, const char* b) { return std::string_view(a) == std::string_view(b); }

// The initial value is of the property's kind: a delimiter's is one character
// (the control stores one, so that any other text would never read back as
// the initial value and a saved control would keep it as a change).
constexpr bool initial_fits(const Property& p) {
    switch (p.kind) {
        case Kind::Boolean: return p.initial.form == Initial::Form::Boolean;
        case Kind::NewLine: return p.initial.form == Initial::Form::Number;
        case Kind::Delimiter: return p.initial.form == Initial::Form::Text && std::string_view(p.initial.text).size() == 1;
        case Kind::Path:
        case Kind::Count: return p.initial.form == Initial::Form::Text;
    }
    return false;
}
constexpr bool initial_values_fit() {
    for (const Property& p : kProperties) {
        if (!initial_fits(p)) return false;
    }
    return true;
}

// Places run from 1 to the number of properties, each taken once.
constexpr bool places_distinct() {
    for (std::size_t place = 1; place <= kPropertyCount; ++place) {
        std::size_t taken = 0;
        for (const Property& p : kProperties) taken += p.place == place;
        if (taken != 1) return false;
    }
    return true;
}

// No two properties share a property bag key: the second would read the first's.
constexpr bool keys_distinct() {
    for (std::size_t i = 0; i < kPropertyCount; ++i) {
        for (std::size_t j = i + 1; j < kPropertyCount; ++j) {
            const char* a = kProperties[i].persisted;
            const char* b = kProperties[j].persisted;
            if (a && b && same_text(a, b)) return false;
        }
    }
    return true;
}
}  // namespace detail

static_assert(detail::initial_values_fit(),
              "a property's initial value in control/members.def is not of its kind (a delimiter's is one character)");
static_assert(detail::places_distinct(),
              "the places of the properties in control/members.def run from 1 to their number, each taken once");
static_assert(detail::keys_distinct(), "two properties in control/members.def share a property bag key");

// The properties in their places: the order in which the control saves them
// and a script's "set" lists them.
inline constexpr std::array<const Property*, kPropertyCount> kSettings = [] {
    std::array<const Property*, kPropertyCount> in_place{};
    for (const Property& p : kProperties) in_place[p.place - 1] = &p;
    return in_place;
}();

// Whether a control of `catalogue` has the property: a catalogue has a
// repetition separator when its interchange header declares one.
bool belongs(const Property& p, const catalogue::Catalogue& catalogue);
// The settings (kSettings) a control of `catalogue` has, in their places.
std::vector<const Property*> settings(const catalogue::Catalogue& catalogue);

// The initial value as a late-bound get gives it (a Boolean, a Long or a String).
inline Variant initial_value(const Property& p) {
    switch (p.initial.form) {
        case Initial::Form::Boolean: return Variant::boolean(p.initial.boolean);
        case Initial::Form::Number: return Variant(p.initial.number);
        case Initial::Form::Text: break;
    }
    return Variant(p.initial.text);
}

// The property with dispatch id `id`, or nullptr.
constexpr const Property* find(DISPID id) {
    for (const Property& p : kProperties) {
        if (p.dispid == id) return &p;
    }
    return nullptr;
}

// A property of a control read and written as a late-bound get and put do:
// the Booleans are the control's Integers -1 and 0, NewLine a Long, the rest
// Strings, each converted to the type of the property's accessor pair.
Variant get(const basic_vireo& control, const Property& p);
void put(basic_vireo& control, const Property& p, const Variant& value);

}  // namespace members
}  // namespace prjVireo
