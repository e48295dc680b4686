// Writes one complete 837 Professional through the control's segment objects
// that uses every segment class the guide lets a file hold: the guide's loop
// tree is walked in document order, and each position's class is filled with
// values its elements allow (the first code of each list, a value of the
// element's type and length otherwise) and written with Additem. The claim
// loop is written under the patient level, which holds every class of it.
//
//   every_class OUTPUT [GUIDE]   prints the classes it wrote, one a line; the
//                                guide (and its catalogue's control) is
//                                004010X098A1 unless named
//
// A class linked to the wrong position fills the wrong codes, so a clean check
// of this file is also a check of the links between positions and classes.
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "vireo/control/catalogue.h"
#include "vireo/control/vireo.h"
#include "vireo/guide/guide.h"

using namespace prjVireo;

namespace {

std::string repeat(char c, std::size_t n) { return std::string(n ? n : 1, c); }

// A value of the element's type and length that the guide accepts.
std::string value_for(const guide::Element& e) {
    if (e.codes && !e.codes->codes.empty()) {
        // US states: a real one reads better than the first of the list.
        if (e.codes->set == "states") return "IL";
        if (e.codes->set == "country") return "US";
        return std::string(e.codes->codes.front());
    }
    const guide::DataElement& d = *e.data;
    switch (d.type) {
        case guide::DataType::AN:
        case guide::DataType::ID: return repeat('A', std::max<std::size_t>(d.min_length, std::min<std::size_t>(d.max_length, 4)));
        case guide::DataType::N0:
        case guide::DataType::N2: return repeat('1', d.min_length);
        case guide::DataType::R: return "10";
        case guide::DataType::DT: return d.min_length == 6 ? "240105" : "20240105";
        case guide::DataType::TM: return "1200";
    }
    return "A";
}

class Writer {
public:
    Writer(basic_vireo& ctl, const guide::Guide& guide) : ctl_(ctl), guide_(guide) {}

    void loop(const guide::Loop& loop) {
        if (!visited_.insert(&loop).second) return;  // a loop nested twice is written once
        if (loop.shown == "2000B") subscriber_with_patient_ = true;
        for (const guide::Loop::Child& c : loop.children) {
            if (c.loop) {
                // The subscriber's own claim loop: written under the patient instead.
                if (c.loop->shown == "2300" && loop.shown == "2000B") continue;
                this->loop(*c.loop);
            } else if (!shadowed(loop, *c.segment)) {
                segment(*c.segment);
            }
        }
    }

    const std::vector<std::string>& written() const { return written_; }

private:
    // A position whose first code an earlier position of the same ID in the
    // loop also takes cannot be told from that one (a reader places it there).
    static bool shadowed(const guide::Loop& loop, const guide::Segment& s) {
        const guide::Element* first = s.qualifier ? s.element(s.qualifier) : nullptr;
        if (!first || first->is_composite() || !first->codes) return false;
        const std::string code = value_for(*first);
        for (const guide::Loop::Child& c : loop.children) {
            if (c.segment == &s) return false;
            if (!c.segment || c.segment->id != s.id || c.segment->qualifier != s.qualifier) continue;
            const guide::Element* earlier = c.segment->element(s.qualifier);
            if (earlier && earlier->codes) {
                for (std::string_view code_there : earlier->codes->codes) {
                    if (code_there == code) return true;
                }
            }
        }
        return false;
    }

    void segment(const guide::Segment& s) {
        if (!s.segment_class) return;  // the control has no object for it
        const std::string name = s.segment_class->name;
        const catalogue::Slot* slot = ctl_.catalogue().find_slot(name);
        std::shared_ptr<SegmentObject> obj =
            ctl_.member(static_cast<std::size_t>(slot - ctl_.catalogue().slots().data()));
        obj->Clear();
        const SegmentClassDescriptor& d = *s.segment_class;
        if (s.id == "ST") ctl_.SegCount("0");
        // Elements under an exclusion note (E): one may be present, the
        // required one if there is one.
        std::set<int> excluded;
        for (const guide::SyntaxNote& n : s.syntax) {
            if (n.kind != 'E') continue;
            int kept = n.positions.front();
            for (int p : n.positions) {
                if (s.element(p)->usage == guide::Usage::R) kept = p;
            }
            for (int p : n.positions) {
                if (p != kept) excluded.insert(p);
            }
        }
        for (std::size_t i = 0; i < d.field_count; ++i) {
            const FieldDescriptor& f = d.fields[i];
            const guide::Element* e = guide_.element_of(d, f);
            if (!e || e->usage == guide::Usage::N || excluded.count(f.element)) continue;
            if (f.component == 0 && e->is_composite()) {
                // A class that holds a whole composite in one text field.
                std::string joined;
                for (const guide::Element& c : e->components) {
                    if (c.usage == guide::Usage::N) break;
                    joined += (joined.empty() ? "" : ":") + value_for(c);
                }
                obj->text(f) = joined;
                continue;
            }
            set(*obj, f, special(s, f, *e));
        }
        obj->Additem();
        written_.push_back(name);
    }

    // Values the structure decides: numbers, parents, control numbers.
    std::string special(const guide::Segment& s, const FieldDescriptor& f, const guide::Element& e) {
        const std::string id(s.id);
        const int k = f.element;
        if (id == "HL") {
            const std::string level(s.loop->shown);
            if (k == 1) return std::to_string(++hl_);
            if (k == 2) return std::to_string(hl_ - 1);
            if (k == 4) return level == "2000C" ? "0" : "1";
        }
        if (id == "ISA" && k == 16) return "";  // filled from the component separator
        if (id == "ISA" && k == 11 && e.data && e.data->number == "I65") return "^";  // the repetition separator
        if (id == "SE" && k == 1) return "";    // SE counts itself
        if (id == "ST" && k == 3) return std::string(guide_.id());  // ST03 repeats GS08
        if (id == "LX" && k == 1) return "1";
        if (id == "SBR" && k == 2 && s.loop->shown == "2000B" && subscriber_with_patient_) return "";
        if (id == "N4" && k == 3) return "627011234";
        // A National Provider Identifier with its check digit; a social security number.
        if (id == "NM1" && k == 9 && value_for(*s.element(8)) == "XX") return "1234567893";
        if (id == "REF" && k == 2 && value_for(*s.element(1)) == "SY") return "123456789";
        if (e.data && e.data->number == "1251") {
            // A date in the format the qualifier before it names.
            for (int q = k - 1; q >= 1; --q) {
                const guide::Element* format = s.element(q);
                if (format->data && format->data->number == "1250") {
                    return value_for(*format) == "RD8" ? "20240105-20240106" : "20240105";
                }
            }
        }
        return value_for(e);
    }

    static void set(SegmentObject& obj, const FieldDescriptor& f, const std::string& value) {
        if (f.kind == FieldKind::Code) {
            // The class's own member for the code the guide takes.
            for (std::size_t m = 0; m < f.codelist->member_count; ++m) {
                if (value == f.codelist->members[m].code) {
                    obj.set_code(f, f.codelist->members[m].value);
                    return;
                }
            }
            // A code the class's list lacks: its Code value, as a host writes it.
            if (!value.empty()) obj.set_code(f, code_value(value));
            return;
        }
        obj.text(f) = value;
    }

    basic_vireo& ctl_;
    const guide::Guide& guide_;
    std::set<const guide::Loop*> visited_;
    std::vector<std::string> written_;
    int hl_ = 0;
    bool subscriber_with_patient_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: every_class OUTPUT [GUIDE]\n");
        return 2;
    }
    const guide::Guide* guide = guide::find_guide(argc == 3 ? argv[2] : "004010X098A1");
    const catalogue::Catalogue* catalogue = catalogue::find_catalogue(argc == 3 ? argv[2] : "004010X098A1");
    if (!guide || !catalogue) {
        std::fprintf(stderr, "every_class: no guide %s\n", argv[2]);
        return 2;
    }
    basic_vireo ctl(*catalogue);
    TextPropertyBag defaults;
    ctl.ReadProperties(defaults);
    ctl.NewLine(NewLineValues::LF_ToSegEnd);
    ctl.ErrorTrap(-1);
    ctl.OpenFile(std::string(argv[1]));
    Writer w(ctl, *guide);
    w.loop(guide->interchange());
    ctl.CloseFile();
    for (const std::string& name : w.written()) std::printf("%s\n", name.c_str());
    return 0;
}
