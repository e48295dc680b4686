#pragma once
// The small variant type of the dispatch layer: the values a late-bound caller
// passes to and gets from the control and its segment objects.
#include <concepts>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace prjVireo {

class Dispatch;

// A Boolean of the control: True is -1, False 0.
constexpr std::int16_t vb_boolean(bool value) { return value ? -1 : 0; }

enum class VarType : std::uint8_t { Empty, Boolean, Integer, Long, Double, Date, String, Object };

class Variant {
public:
    Variant() = default;
    Variant(const char* s) : type_(VarType::String), string_(s) {}
    Variant(std::string s) : type_(VarType::String), string_(std::move(s)) {}
    Variant(std::string_view s) : type_(VarType::String), string_(s) {}
    Variant(std::int32_t v) : type_(VarType::Long), long_(v) {}
    Variant(std::shared_ptr<Dispatch> object);
    // A bool is a Boolean (true is -1). Only a bool itself: a pointer or a
    // number that converts to bool is not taken for one.
    template <std::same_as<bool> Bool>
    Variant(Bool value) : Variant(boolean(value)) {}

    static Variant boolean(bool v) { return from_int(VarType::Boolean, v ? -1 : 0); }
    static Variant integer(std::int16_t v) { return from_int(VarType::Integer, v); }
    static Variant number(double v);
    // An OLE Automation date: days since 1899-12-30.
    static Variant date(double ole_date);

    VarType type() const { return type_; }
    bool is_empty() const { return type_ == VarType::Empty; }

    // Conversions with the host language's rules; a value that cannot be
    // converted is VbError 13 (type mismatch), one out of range VbError 6.
    std::string to_string() const;
    // The text of a String variant without a copy (empty for other types).
    std::string_view string_view() const { return string_; }
    std::int32_t to_long() const;
    std::int16_t to_integer() const;
    std::int16_t to_boolean() const;  // -1 or 0
    double to_double() const;
    double to_date() const;
    const std::shared_ptr<Dispatch>& to_object() const;  // VbError 13 unless an object (or nothing)

    // The type's name as the type library writes it ("String", "Long", ...).
    static const char* type_name(VarType t);

    friend bool operator==(const Variant& a, const Variant& b);

private:
    static Variant from_int(VarType t, std::int32_t v) {
        Variant r;
        r.type_ = t;
        r.long_ = v;
        return r;
    }

    VarType type_ = VarType::Empty;
    std::int32_t long_ = 0;
    double double_ = 0;
    std::string string_;
    std::shared_ptr<Dispatch> object_;
};

// Converts text to a 32-bit integer as the host language does: surrounding
// spaces, a sign, decimals (rounded half to even), exponents and &H/&O literals.
// Throws VbError 13 for text that is not a number and VbError 6 out of range.
std::int32_t text_to_long(std::string_view text);

}  // namespace prjVireo
