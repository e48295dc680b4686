#include "vireo/control/dispatch.h"

#include <algorithm>
#include <cctype>

#include "vireo/core/errors.h"
#include "vireo/core/segment.h"

namespace prjVireo {

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string closest_name(std::string_view name, const std::vector<std::string_view>& candidates) {
    auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    std::size_t best = std::string::npos;
    std::string_view best_name;
    std::vector<std::size_t> prev, cur;
    // Close means: at most a third of the name is different.
    const std::size_t limit = std::max<std::size_t>(2, name.size() / 3);
    for (std::string_view c : candidates) {
        // The distance is at least the difference in length: a candidate that
        // cannot be close, or closer than the best so far, is not measured. A
        // name far longer than every candidate is answered at once.
        const std::size_t gap = c.size() > name.size() ? c.size() - name.size() : name.size() - c.size();
        if (gap > limit || gap >= best) continue;
        // Levenshtein distance, case-insensitive.
        prev.resize(c.size() + 1);
        cur.resize(c.size() + 1);
        for (std::size_t j = 0; j <= c.size(); ++j) prev[j] = j;
        for (std::size_t i = 1; i <= name.size(); ++i) {
            cur[0] = i;
            for (std::size_t j = 1; j <= c.size(); ++j) {
                std::size_t sub = prev[j - 1] + (lower(name[i - 1]) == lower(c[j - 1]) ? 0 : 1);
                cur[j] = std::min({prev[j] + 1, cur[j - 1] + 1, sub});
            }
            std::swap(prev, cur);
        }
        std::size_t d = prev[c.size()];
        if (d < best) {
            best = d;
            best_name = c;
        }
    }
    if (best_name.empty() || best > limit) return "";
    return std::string(best_name);
}

void throw_unknown_member(std::string_view owner, std::string_view name,
                          const std::vector<std::string_view>& candidates) {
    // A name from outside is quoted in part only: a message never repeats a huge one.
    constexpr std::size_t kShown = 80;
    std::string detail = std::string(owner) + " has no member \"" + std::string(name.substr(0, kShown)) + "\"";
    if (name.size() > kShown) detail += "... (" + std::to_string(name.size()) + " bytes)";
    std::string suggestion = closest_name(name, candidates);
    if (!suggestion.empty()) detail += " (did you mean \"" + suggestion + "\"?)";
    throw VbError(vbErrNotSupported, detail);
}

Variant Dispatch::get(std::string_view name) {
    std::vector<Variant> args;
    return Invoke(GetIDOfName(name), InvokeKind::PropertyGet, args);
}

void Dispatch::put(std::string_view name, const Variant& value) {
    std::vector<Variant> args{value};
    Invoke(GetIDOfName(name), InvokeKind::PropertyPut, args);
}

void Dispatch::put_ref(std::string_view name, const Variant& value) {
    std::vector<Variant> args{value};
    Invoke(GetIDOfName(name), InvokeKind::PropertyPutRef, args);
}

Variant Dispatch::call(std::string_view name, std::vector<Variant> args) {
    return Invoke(GetIDOfName(name), InvokeKind::Method, args);
}

// ---- segment objects ----

DISPID SegmentDispatch::GetIDOfName(std::string_view name) const {
    const SegmentClassDescriptor& c = target_->descriptor();
    for (std::size_t i = 0; i < c.field_count; ++i) {
        if (same_name(c.fields[i].name, name)) return kFirstFieldDispid + static_cast<DISPID>(i);
    }
    if (same_name(name, "Additem")) return kAdditemDispid;
    if (same_name(name, "Clear")) return kClearDispid;
    std::vector<std::string_view> names;
    for (std::size_t i = 0; i < c.field_count; ++i) names.push_back(c.fields[i].name);
    names.push_back("Additem");
    names.push_back("Clear");
    throw_unknown_member(c.name, name, names);
}

std::string SegmentDispatch::NameOf(DISPID id) const {
    const SegmentClassDescriptor& c = target_->descriptor();
    if (id == kAdditemDispid) return "Additem";
    if (id == kClearDispid) return "Clear";
    const auto i = static_cast<std::size_t>(id - kFirstFieldDispid);
    if (id >= kFirstFieldDispid && i < c.field_count) return c.fields[i].name;
    return "";
}

Variant SegmentDispatch::Invoke(DISPID id, InvokeKind kind, std::vector<Variant>& args) {
    const SegmentClassDescriptor& c = target_->descriptor();
    if (id == kAdditemDispid || id == kClearDispid) {
        if (kind != InvokeKind::Method && kind != InvokeKind::PropertyGet) {
            throw VbError(vbErrWrongArguments, std::string(c.name) + "." + NameOf(id));
        }
        if (!args.empty()) throw VbError(vbErrWrongArguments, std::string(c.name) + "." + NameOf(id));
        if (id == kAdditemDispid) {
            target_->Additem();
        } else {
            target_->Clear();
        }
        return {};
    }
    const auto i = static_cast<std::size_t>(id - kFirstFieldDispid);
    if (id < kFirstFieldDispid || i >= c.field_count) {
        throw VbError(vbErrNotSupported, std::string(c.name) + " has no member with dispatch id " +
                                             std::to_string(id));
    }
    const FieldDescriptor& f = c.fields[i];
    // The member's full name, for error messages only.
    auto where = [&] { return std::string(c.name) + "." + f.name; };
    switch (kind) {
        case InvokeKind::PropertyGet:
        case InvokeKind::Method:
            if (!args.empty()) throw VbError(vbErrWrongArguments, where());
            if (f.kind == FieldKind::Code) return Variant(target_->code(f));
            return Variant(target_->text(f));
        case InvokeKind::PropertyPut:
            if (args.size() != 1) throw VbError(vbErrWrongArguments, where());
            try {
                if (f.kind == FieldKind::Code) {
                    target_->set_code(f, args[0].to_long());
                } else if (args[0].type() == VarType::String) {
                    target_->text(f) = args[0].string_view();
                } else {
                    target_->text(f) = args[0].to_string();
                }
            } catch (const VbError& e) {
                throw VbError(e.number(), where() + " cannot take that value");
            }
            return {};
        case InvokeKind::PropertyPutRef: throw VbError(vbErrWrongArguments, where() + " is not an object");
    }
    return {};
}

}  // namespace prjVireo
