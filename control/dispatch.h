#pragma once
// Late binding: members reached by name or dispatch id, with Variant values.
// The command-line host, the property page and language bindings use it.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vireo/control/dispids.h"
#include "vireo/control/variant.h"

namespace prjVireo {

class SegmentObject;

enum class InvokeKind : std::uint8_t { Method, PropertyGet, PropertyPut, PropertyPutRef };

class Dispatch {
public:
    virtual ~Dispatch() = default;
    // The dispatch id of a member; VbError 438 naming the member (with the
    // closest known name, when there is one) for an unknown name. Case-insensitive.
    virtual DISPID GetIDOfName(std::string_view name) const = 0;
    // The member's name for a dispatch id, or "" when there is none.
    virtual std::string NameOf(DISPID id) const = 0;
    virtual Variant Invoke(DISPID id, InvokeKind kind, std::vector<Variant>& args) = 0;

    Variant get(std::string_view name);
    void put(std::string_view name, const Variant& value);
    void put_ref(std::string_view name, const Variant& value);
    Variant call(std::string_view name, std::vector<Variant> args = {});
};

// Dispatch ids of every segment object: fields in declaration order from
// kFirstFieldDispid, then the two methods.
constexpr DISPID kFirstFieldDispid = 0x40030000;
constexpr DISPID kAdditemDispid = 0x60030000;
constexpr DISPID kClearDispid = 0x60030001;

// The late-bound face of a segment object.
class SegmentDispatch final : public Dispatch {
public:
    explicit SegmentDispatch(std::shared_ptr<SegmentObject> target) : target_(std::move(target)) {}
    DISPID GetIDOfName(std::string_view name) const override;
    std::string NameOf(DISPID id) const override;
    Variant Invoke(DISPID id, InvokeKind kind, std::vector<Variant>& args) override;
    const std::shared_ptr<SegmentObject>& target() const { return target_; }

private:
    std::shared_ptr<SegmentObject> target_;
};

// Case-insensitive comparison of member names, as late binding matches them.
bool same_name(std::string_view a, std::string_view b);

// The candidate closest to `name` (edit distance), or "" when none is close.
std::string closest_name(std::string_view name, const std::vector<std::string_view>& candidates);

// VbError 438 for an unknown member, with a suggestion when one is close.
[[noreturn]] void throw_unknown_member(std::string_view owner, std::string_view name,
                                       const std::vector<std::string_view>& candidates);

}  // namespace prjVireo
