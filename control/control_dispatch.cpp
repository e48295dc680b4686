// The control's late-bound members: the segment object properties, the
// properties its catalogue gives it and the five methods, by name and by
// dispatch id.
#include <type_traits>

#include "vireo/control/typelib.h"
#include "vireo/control/control.h"
#include "vireo/control/members.h"
#include "vireo/core/code.h"
#include "vireo/core/errors.h"

namespace prjVireo {
namespace {

using namespace dispids;

std::vector<std::string_view> all_names(const catalogue::Catalogue& catalogue) {
    std::vector<std::string_view> names;
    for (const auto& s : catalogue.slots()) names.push_back(s.property);
    for (const members::Property* p : members::settings(catalogue)) names.push_back(p->name);
    for (const auto& m : typelib::control_methods()) names.push_back(m.name);
    return names;
}

void expect_args(const std::vector<Variant>& args, std::size_t n, std::string_view where) {
    if (args.size() != n) throw VbError(vbErrWrongArguments, std::string(where));
}

bool trapping() { return writer_state().trapping(); }

// A property's value as a Variant, by its accessor's type: the Booleans are
// the control's Integers -1 and 0, NewLine a Long, the rest strings.
Variant property_value(std::int16_t flag) { return Variant::boolean(flag != 0); }
Variant property_value(NewLineValues value) { return Variant(static_cast<std::int32_t>(value)); }
Variant property_value(const std::string& text) { return Variant(text); }

// An argument converted to the type a property's accessor takes.
template <class T>
T property_argument(const Variant& v) {
    if constexpr (std::is_same_v<T, std::int16_t>) {
        return v.to_boolean();
    } else if constexpr (std::is_same_v<T, NewLineValues>) {
        return static_cast<NewLineValues>(v.to_long());
    } else {
        static_assert(std::is_same_v<T, std::string>, "a control property is a Boolean, NewLineValues or a string");
        return v.to_string();
    }
}

// Each property's accessor pair, in the order of members::kProperties.
struct Accessors {
    Variant (*get)(const basic_vireo&);
    void (*put)(basic_vireo&, const Variant&);
};
constexpr Accessors kAccessors[] = {
#define VIREO_CONTROL_PROPERTY(Name, ...)                                                             \
    {[](const basic_vireo& c) { return property_value(c.Name()); },                                   \
     [](basic_vireo& c, const Variant& v) { c.Name(property_argument<decltype(c.Name())>(v)); }},
#define VIREO_CONTROL_METHOD(...)
#include VIREO_MEMBERS_FILE
#undef VIREO_CONTROL_PROPERTY
#undef VIREO_CONTROL_METHOD
};
static_assert(std::size(kAccessors) == members::kPropertyCount);

const Accessors& accessors_of(const members::Property& p) {
    return kAccessors[static_cast<std::size_t>(&p - members::kProperties)];
}

}  // namespace

DISPID ControlDispatch::GetIDOfName(std::string_view name) const {
    for (const auto& s : control_.catalogue().slots()) {
        if (same_name(s.property, name)) return s.dispid;
    }
    for (const members::Property& p : members::kProperties) {
        if (same_name(p.name, name) && members::belongs(p, control_.catalogue())) return p.dispid;
    }
    for (const auto& m : typelib::control_methods()) {
        if (same_name(m.name, name)) return m.dispid;
    }
    throw_unknown_member("vireo", name, all_names(control_.catalogue()));
}

std::string ControlDispatch::NameOf(DISPID id) const {
    const catalogue::Catalogue& catalogue = control_.catalogue();
    if (const std::ptrdiff_t slot = catalogue.slot_of_dispid(id); slot >= 0) {
        return std::string(catalogue.slots()[static_cast<std::size_t>(slot)].property);
    }
    if (const members::Property* p = members::find(id); p && members::belongs(*p, catalogue)) return p->name;
    for (const auto& m : typelib::control_methods()) {
        if (m.dispid == id) return m.name;
    }
    return "";
}

Variant ControlDispatch::Invoke(DISPID id, InvokeKind kind, std::vector<Variant>& args) {
    const std::string name = NameOf(id);
    if (name.empty()) throw VbError(vbErrNotSupported, "vireo has no member with dispatch id " + std::to_string(id));
    const std::string where = "vireo." + name;
    const bool get = kind == InvokeKind::PropertyGet;
    const bool put = kind == InvokeKind::PropertyPut || kind == InvokeKind::PropertyPutRef;
    basic_vireo& c = control_;

    // Segment object properties.
    if (const std::ptrdiff_t slot = c.catalogue().slot_of_dispid(id); slot >= 0) {
        const std::size_t index = static_cast<std::size_t>(slot);
        if (get || kind == InvokeKind::Method) {
            expect_args(args, 0, where);
            auto object = c.member(index);
            if (!object) return Variant(std::shared_ptr<Dispatch>());
            return Variant(std::shared_ptr<Dispatch>(std::make_shared<SegmentDispatch>(object)));
        }
        expect_args(args, 1, where);
        // Errors inside the write are passed over unless ErrorTrap is set, except
        // for the two properties whose write always reports them.
        const bool report = trapping() || c.catalogue().slots()[index].write_always_reports;
        run_under_error_trap(report, [&] {
            const auto& object = args[0].to_object();
            std::shared_ptr<SegmentObject> target;
            if (object) {
                auto* segment = dynamic_cast<SegmentDispatch*>(object.get());
                if (!segment) throw VbError(vbErrTypeMismatch, where + " takes a segment object");
                target = segment->target();
            }
            c.set_member(index, std::move(target));
        });
        return {};
    }

    // The control's properties, each read and written through its accessor
    // pair (NameOf has found none that the catalogue does not give it).
    if (const members::Property* p = members::find(id)) {
        if (get || kind == InvokeKind::Method) {
            expect_args(args, 0, where);
            return members::get(c, *p);
        }
        if (!put) throw VbError(vbErrWrongArguments, where);
        expect_args(args, 1, where);
        members::put(c, *p, args[0]);
        return {};
    }

    switch (id) {
        case kOpenFile: {
            if (args.size() > 1) throw VbError(vbErrWrongArguments, where);
            if (args.empty() || args[0].is_empty()) {
                c.OpenFile();
                return {};
            }
            std::string path = args[0].to_string();
            c.OpenFile(path);
            args[0] = Variant(path);  // FilePath is passed by reference
            return {};
        }
        case kCloseFile:
            expect_args(args, 0, where);
            c.CloseFile();
            return {};
        case kDateToCCYYMMDD: {
            if (args.empty()) throw VbError(vbErrArgumentNotOptional, where);
            expect_args(args, 1, where);
            std::string result;
            // The date conversion follows the ErrorTrap rule like the method itself.
            run_under_error_trap(trapping(), [&] { result = c.Date_to_CCYYMMDD(date_from_ole(args[0].to_date())); });
            return Variant(result);
        }
        case typelib::kAboutBoxDispid:
            expect_args(args, 0, where);
            c.ShowAboutBox();
            return {};
        case kStringToHex: {
            if (args.empty()) throw VbError(vbErrArgumentNotOptional, where);
            expect_args(args, 1, where);
            return Variant(c.StringToHex(args[0].to_string()));
        }
        default: break;
    }
    throw VbError(vbErrNotSupported, where);
}

namespace members {

bool belongs(const Property& p, const catalogue::Catalogue& catalogue) {
    switch (p.controls) {
        case Controls::All: return true;
        case Controls::WithRepetitionSeparator: return catalogue.has_repetition_separator();
    }
    return false;
}

std::vector<const Property*> settings(const catalogue::Catalogue& catalogue) {
    std::vector<const Property*> in_place;
    for (const Property* p : kSettings) {
        if (belongs(*p, catalogue)) in_place.push_back(p);
    }
    return in_place;
}

Variant get(const basic_vireo& control, const Property& p) { return accessors_of(p).get(control); }
void put(basic_vireo& control, const Property& p, const Variant& value) { accessors_of(p).put(control, value); }

}  // namespace members
}  // namespace prjVireo
