#include "vireo/guide/guide.h"

#include "vireo/guide/guide_data.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>

#include "vireo/control/catalogue.h"
#include "vireo/control/typelib.h"
#include "vireo/core/text.h"

namespace prjVireo::guide {
namespace {

bool same_text(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

// ---- the tables built from a declaration ----

struct Guide::Tables {
    std::string_view id;
    std::deque<Loop> loop_store;
    std::deque<Segment> segment_store;
    std::deque<CodeList> code_lists;
    std::map<std::string_view, const CodeList*> sets;
    std::vector<const Loop*> loops;
    std::vector<const Segment*> segments;
    std::multimap<const SegmentClassDescriptor*, const Segment*> by_class;
    const Loop* root = nullptr;
};

namespace {

std::vector<std::string_view> split_codes(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') ++i;
        std::size_t j = i;
        while (j < text.size() && text[j] != ' ') ++j;
        if (j > i) out.push_back(text.substr(i, j - i));
        i = j;
    }
    std::sort(out.begin(), out.end());
    return out;
}

[[noreturn]] void malformed(const GuideData& data, const std::string& what) {
    throw std::logic_error(std::string(data.source) + ": " + what);
}

}  // namespace

Guide::Guide(const GuideData& data) : t_(std::make_unique<Tables>()) {
    Tables& t = *t_;
    t.id = data.id;
    auto malformed = [&](const std::string& what) { guide::malformed(data, what); };
    for (const CodeSetRecord& s : data.code_sets) {
        CodeList& list = t.code_lists.emplace_back();
        list.set = s.name;
        list.title = s.title;
        list.codes = split_codes(s.codes);
        t.sets[s.name] = &list;
    }
    auto codes_for = [&](std::string_view text) -> const CodeList* {
        if (text.empty()) return nullptr;
        if (text[0] == '@') {
            auto it = t.sets.find(text.substr(1));
            if (it == t.sets.end()) malformed("no code set " + std::string(text));
            return it->second;
        }
        CodeList& list = t.code_lists.emplace_back();
        list.codes = split_codes(text);
        return &list;
    };

    std::vector<Loop*> open;
    std::map<std::string_view, Loop*> by_ident;
    Segment* segment = nullptr;
    Element* composite = nullptr;
    for (const Record& r : data.records) {
        switch (r.kind) {
            case RecordKind::Loop: {
                Loop& loop = t.loop_store.emplace_back();
                loop.ident = r.ident;
                loop.shown = r.shown;
                loop.name = r.name;
                loop.usage = r.usage;
                loop.repeat = static_cast<std::uint16_t>(r.a);
                loop.position = static_cast<std::uint16_t>(r.b);
                if (open.empty()) {
                    if (t.root) malformed("a second outermost loop " + std::string(r.ident));
                    t.root = &loop;
                } else {
                    open.back()->children.push_back({nullptr, &loop});
                }
                open.push_back(&loop);
                by_ident[loop.ident] = &loop;
                t.loops.push_back(&loop);
                break;
            }
            case RecordKind::LoopAgain: {
                auto it = by_ident.find(r.ident);
                if (it == by_ident.end() || open.empty()) malformed("loop again before its declaration: " + std::string(r.ident));
                open.back()->children.push_back({nullptr, it->second});
                break;
            }
            case RecordKind::LoopEnd:
                if (open.empty() || open.back()->ident != std::string_view(r.ident)) {
                    malformed("loop end out of place: " + std::string(r.ident));
                }
                open.pop_back();
                break;
            case RecordKind::Segment: {
                if (open.empty() || segment) malformed("segment out of place: " + std::string(r.ident));
                segment = &t.segment_store.emplace_back();
                segment->id = r.ident;
                segment->position = static_cast<std::uint16_t>(r.a);
                segment->usage = r.usage;
                segment->max_use = static_cast<std::uint16_t>(r.b);
                segment->qualifier = static_cast<std::uint8_t>(r.c);
                segment->segment_class = r.link ? &r.link() : nullptr;
                segment->name = r.name;
                segment->loop = open.back();
                open.back()->children.push_back({segment, nullptr});
                t.segments.push_back(segment);
                if (segment->segment_class) t.by_class.emplace(segment->segment_class, segment);
                break;
            }
            case RecordKind::SegmentEnd:
                if (!segment || composite) malformed("segment end out of place");
                segment = nullptr;
                break;
            case RecordKind::Element:
            case RecordKind::Composite: {
                if (!segment || composite) malformed("element outside a segment");
                Element& e = segment->elements.emplace_back();
                e.position = static_cast<std::uint8_t>(r.a);
                e.usage = r.usage;
                e.name = r.name;
                if (e.position != segment->elements.size()) {
                    malformed(std::string(segment->id) + ": element " + std::to_string(r.a) + " out of order");
                }
                if (r.kind == RecordKind::Element) {
                    e.data = &data.dictionary[static_cast<std::size_t>(r.data)];
                    e.codes = codes_for(r.codes);
                } else {
                    e.data = nullptr;
                    e.codes = nullptr;
                    e.composite = r.ident;
                    composite = &e;
                }
                break;
            }
            case RecordKind::Component: {
                if (!composite) malformed("component outside a composite");
                Element& c = composite->components.emplace_back();
                c.position = static_cast<std::uint8_t>(r.a);
                c.usage = r.usage;
                c.name = r.name;
                c.data = &data.dictionary[static_cast<std::size_t>(r.data)];
                c.codes = codes_for(r.codes);
                break;
            }
            case RecordKind::CompositeEnd:
                if (!composite) malformed("composite end out of place");
                composite = nullptr;
                break;
            case RecordKind::Syntax: {
                if (!segment) malformed("syntax note outside a segment");
                SyntaxNote note;
                note.kind = r.ident[0];
                note.text = r.shown;
                for (std::size_t i = 0; i + 1 < note.text.size(); i += 2) {
                    note.positions.push_back(static_cast<std::uint8_t>((note.text[i] - '0') * 10 + (note.text[i + 1] - '0')));
                }
                segment->syntax.push_back(std::move(note));
                break;
            }
        }
    }
    if (!open.empty() || segment || !t.root) malformed("unbalanced loops");
    notes_ = std::make_unique<typelib::ClassNotes>();
    notes_->segment_class = [this](std::string& out, const SegmentClassDescriptor& c) { put_positions(out, c); };
    notes_->field = [this](std::string& out, const SegmentClassDescriptor& c, const FieldDescriptor& f) {
        put_element(out, c, f);
    };
}

Guide::~Guide() = default;

std::string_view usage_name(Usage usage) {
    switch (usage) {
        case Usage::R: return "required";
        case Usage::S: return "situational";
        case Usage::N: return "not used";
    }
    return "";
}

std::string_view type_name(DataType type) {
    switch (type) {
        case DataType::AN: return "AN";
        case DataType::ID: return "ID";
        case DataType::N0: return "N0";
        case DataType::N2: return "N2";
        case DataType::R: return "R";
        case DataType::DT: return "DT";
        case DataType::TM: return "TM";
    }
    return "";
}

bool CodeList::contains(std::string_view code) const { return std::binary_search(codes.begin(), codes.end(), code); }

const Element* Segment::element(int position) const {
    if (position < 1 || position > static_cast<int>(elements.size())) return nullptr;
    return &elements[static_cast<std::size_t>(position - 1)];
}

const Segment& Loop::first() const {
    const Child& c = children.front();
    return c.segment ? *c.segment : c.loop->first();
}

std::string_view Guide::id() const { return t_->id; }
const Loop& Guide::interchange() const { return *t_->root; }
const std::vector<const Loop*>& Guide::loops() const { return t_->loops; }
const std::vector<const Segment*>& Guide::segments() const { return t_->segments; }

const Loop* Guide::find_loop(std::string_view shown) const {
    for (const Loop* l : t_->loops) {
        if (same_text(l->shown, shown) || same_text(l->ident, shown)) return l;
    }
    return nullptr;
}

std::vector<const Segment*> Guide::positions_of(const SegmentClassDescriptor& segment_class) const {
    std::vector<const Segment*> out;
    auto range = t_->by_class.equal_range(&segment_class);
    for (auto it = range.first; it != range.second; ++it) out.push_back(it->second);
    return out;
}

const Element* Guide::element_of(const SegmentClassDescriptor& segment_class, const FieldDescriptor& field) const {
    auto it = t_->by_class.find(&segment_class);
    if (it == t_->by_class.end()) return nullptr;
    const Element* e = it->second->element(field.element);
    if (!e || field.component == 0) return e;
    if (field.component > e->components.size()) return nullptr;
    return &e->components[field.component - 1u];
}

std::string reference(std::string_view segment_id, int element, int component) {
    std::string out(segment_id);
    if (element < 10) out += '0';
    out += std::to_string(element);
    if (component) {
        out += '-';
        out += std::to_string(component);
    }
    return out;
}

std::string summary(const Element& e) {
    std::string out(usage_name(e.usage));
    if (e.data) {
        out += ", ";
        out += type_name(e.data->type);
        out += ' ';
        out += std::to_string(e.data->min_length);
        if (e.data->max_length != e.data->min_length) {
            out += '-';
            out += std::to_string(e.data->max_length);
        }
    } else {
        out += ", composite ";
        out += e.composite;
    }
    return out;
}

std::string Guide::describe(const SegmentClassDescriptor& segment_class, const FieldDescriptor& field) const {
    const Element* e = element_of(segment_class, field);
    if (!e) return {};
    return reference(segment_class.segment_id, field.element, field.component) + " " + std::string(e->name) + " (" +
           summary(*e) + ")";
}

// What the implementation guide says of the element a field writes.
void Guide::put_element(std::string& out, const SegmentClassDescriptor& c, const FieldDescriptor& f) const {
    const Element* e = element_of(c, f);
    if (!e) return;
    out += ", \"guide\": {\"element\": ";
    text::append_json_string(out, reference(c.segment_id, f.element, f.component), text::JsonNonAscii::Keep);
    out += ", \"name\": ";
    text::append_json_string(out, e->name, text::JsonNonAscii::Keep);
    out += ", \"usage\": ";
    text::append_json_string(out, usage_name(e->usage), text::JsonNonAscii::Keep);
    if (e->data) {
        out += ", \"type\": ";
        text::append_json_string(out, type_name(e->data->type), text::JsonNonAscii::Keep);
        out += ", \"min_length\": " + std::to_string(e->data->min_length);
        out += ", \"max_length\": " + std::to_string(e->data->max_length);
    } else {
        out += ", \"composite\": ";
        text::append_json_string(out, e->composite, text::JsonNonAscii::Keep);
    }
    if (e->codes && !e->codes->set.empty()) {
        out += ", \"code_set\": ";
        text::append_json_string(out, e->codes->title, text::JsonNonAscii::Keep);
    } else if (e->codes) {
        out += ", \"codes\": [";
        for (std::size_t i = 0; i < e->codes->codes.size(); ++i) {
            if (i) out += ", ";
            text::append_json_string(out, e->codes->codes[i], text::JsonNonAscii::Keep);
        }
        out += "]";
    }
    out += "}";
}

// The guide's positions that a class writes.
void Guide::put_positions(std::string& out, const SegmentClassDescriptor& c) const {
    out += ", \"guide\": [";
    bool first = true;
    for (const Segment* p : positions_of(c)) {
        out += first ? "" : ", ";
        first = false;
        out += "{\"loop\": ";
        text::append_json_string(out, p->loop->shown, text::JsonNonAscii::Keep);
        out += ", \"position\": " + std::to_string(p->position) + ", \"name\": ";
        text::append_json_string(out, p->name, text::JsonNonAscii::Keep);
        out += ", \"usage\": ";
        text::append_json_string(out, usage_name(p->usage), text::JsonNonAscii::Keep);
        out += ", \"max_use\": " + std::to_string(p->max_use) + "}";
    }
    out += "]";
}

const typelib::ClassNotes& Guide::typelib_notes() const { return *notes_; }

// ---- the guides this program knows ----

namespace {

struct Registry {
    std::mutex mutex;
    std::vector<const Guide*> guides;
};

Registry& registry() {
    static Registry r;
    return r;
}

}  // namespace

std::vector<const Guide*> registered_guides() {
    static const std::vector<const Guide*> built = built_in();
    std::vector<const Guide*> out = built;
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    out.insert(out.end(), r.guides.begin(), r.guides.end());
    return out;
}

void register_guide(const Guide& guide) {
    for (const Guide* g : registered_guides()) {
        if (g == &guide) return;
    }
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    for (const Guide* g : r.guides) {
        if (g == &guide) return;
        if (same_text(g->id(), guide.id())) {
            throw std::invalid_argument("a second guide with the id " + std::string(guide.id()));
        }
    }
    r.guides.push_back(&guide);
}

const Guide* find_guide(std::string_view id) {
    for (const Guide* g : registered_guides()) {
        if (same_text(g->id(), id)) return g;
    }
    return nullptr;
}

const Guide* guide_of(const catalogue::Catalogue& catalogue) { return find_guide(catalogue.name()); }

const Guide* guide_writing(const SegmentClassDescriptor& segment_class) {
    for (const Guide* g : registered_guides()) {
        if (g->t_->by_class.count(&segment_class)) return g;
    }
    return nullptr;
}

std::string known_guides() {
    std::string out;
    for (const Guide* g : registered_guides()) {
        if (!out.empty()) out += ", ";
        out += g->id();
    }
    return out;
}

}  // namespace prjVireo::guide
