// vireo describe: the implementation guide's loops, and what each segment
// object property writes.
#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "vireo/control/catalogue.h"
#include "vireo/guide/guide.h"
#include "vireo/tools/commands.h"
#include "vireo/tools/guide_choice.h"

namespace vireo_cli {
namespace {

using namespace prjVireo;

constexpr const char* kDescription =
    "Describe the implementation guide's loops, or a segment object property.\n\n"
    "Without an argument: the loop tree of the guide (--guide, 004010X098A1 by default), each segment\n"
    "position with its position number, usage (R required, S situational, N not used), how often it\n"
    "may occur, and the segment object property that writes it. With a LOOP (2300, 2010BA, ISA, GS,\n"
    "ST): that loop's part of the tree. With a PROPERTY (or its class name): its fields with the\n"
    "guide's element names, usage, types, lengths and codes, then each code as C++ spells it.";

constexpr const char* kExamples =
    "\nExamples:\n"
    "  vireo describe\n"
    "  vireo describe 2300\n"
    "  vireo describe L2000B_SBR_00_SubscriberInfo\n"
    "  vireo describe --guide 004010X098A1 2000B\n"
    "  vireo describe --guide 005010X222A1 --from-4010 L2310D_NM1_00_SvcFacLoc";

std::string repeat_text(std::uint16_t repeat) {
    return repeat == 0 ? std::string("no limit") : "at most " + std::to_string(repeat);
}

// The guide described, and the catalogue of the classes it names.
struct Described {
    const guide::Guide& guide;
    const catalogue::Catalogue& catalogue;
};

std::string property_of(const Described& d, const guide::Segment& s) {
    if (!s.segment_class) return "(no object: the control cannot write it)";
    const catalogue::Slot* slot = d.catalogue.find_slot(s.segment_class->name);
    return slot ? std::string(slot->property) : std::string(s.segment_class->name);
}

void print_loop(const Described& d, std::string& out, const guide::Loop& loop, int depth) {
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    out += indent + std::string(loop.shown) + " " + std::string(loop.name) + " (" +
           std::string(guide::usage_name(loop.usage)) + ", " + repeat_text(loop.repeat) + ")\n";
    for (const guide::Loop::Child& c : loop.children) {
        if (c.loop) {
            print_loop(d, out, *c.loop, depth + 1);
            continue;
        }
        const guide::Segment& s = *c.segment;
        char line[64];
        std::snprintf(line, sizeof line, "  %-3s %3u %c %3u  ", std::string(s.id).c_str(), s.position,
                      s.usage == guide::Usage::R ? 'R' : s.usage == guide::Usage::S ? 'S' : 'N', s.max_use);
        out += indent + line + property_of(d, s) + "  " + std::string(s.name) + "\n";
    }
}

std::string codes_of(const guide::Element& e) {
    if (!e.codes) return "";
    if (!e.codes->set.empty()) return std::string(e.codes->title);
    // Shorter codes first, so that 1 2 ... 10 11 read in order.
    std::vector<std::string_view> codes = e.codes->codes;
    std::stable_sort(codes.begin(), codes.end(),
                     [](std::string_view a, std::string_view b) { return a.size() < b.size(); });
    std::string out;
    for (std::string_view c : codes) out += (out.empty() ? "" : " ") + std::string(c);
    return out;
}

// How a C++ host spells each code of the class's code fields: one line per
// code, "field  code  List::member", the list being the field's enum type.
std::string cpp_code_names(const SegmentClassDescriptor& c) {
    std::vector<std::array<std::string, 3>> rows;
    for (std::size_t i = 0; i < c.field_count; ++i) {
        const FieldDescriptor& f = c.fields[i];
        if (!f.codelist) continue;
        for (std::size_t k = 0; k < f.codelist->member_count; ++k) {
            const CodeMember& m = f.codelist->members[k];
            rows.push_back({f.name, m.code, std::string(f.codelist->name) + "::" + m.name});
        }
    }
    if (rows.empty()) return "";
    std::size_t field_width = 0, code_width = 0;
    for (const auto& r : rows) {
        field_width = std::max(field_width, r[0].size());
        code_width = std::max(code_width, r[1].size());
    }
    std::string out = "  codes in C++ (seg->field = prjVireo::List::member):\n";
    for (const auto& r : rows) {
        out += "  " + r[0] + std::string(field_width - r[0].size() + 2, ' ') + r[1] +
               std::string(code_width - r[1].size() + 2, ' ') + r[2] + "\n";
    }
    return out;
}

int describe_property(const Described& d, const catalogue::Slot& slot) {
    const SegmentClassDescriptor& c = *slot.segment_class;
    std::string out = std::string(slot.property) + ": class " + c.name + ", writes " + c.segment_id + "\n";
    for (const guide::Segment* p : d.guide.positions_of(c)) {
        out += "  loop " + std::string(p->loop->shown) + " (" + std::string(p->loop->name) + "), position " +
               std::to_string(p->position) + ": " + std::string(p->name) + ", " +
               std::string(guide::usage_name(p->usage)) + ", " + repeat_text(p->max_use) + "\n";
        for (const guide::SyntaxNote& n : p->syntax) {
            out += "  syntax note " + std::string(1, n.kind) + std::string(n.text) + "\n";
        }
    }
    // A table: field, element, name, usage, type and length, codes.
    std::vector<std::array<std::string, 5>> rows;
    rows.push_back({"field", "element", "name", "usage, type", "codes"});
    for (std::size_t i = 0; i < c.field_count; ++i) {
        const FieldDescriptor& f = c.fields[i];
        const guide::Element* e = d.guide.element_of(c, f);
        if (!e) {
            rows.push_back({f.name, guide::reference(c.segment_id, f.element, f.component), "(not in the guide)",
                            "", ""});
            continue;
        }
        rows.push_back({f.name, guide::reference(c.segment_id, f.element, f.component), std::string(e->name),
                        guide::summary(*e), codes_of(*e)});
    }
    std::array<std::size_t, 5> width{};
    for (const auto& r : rows) {
        for (std::size_t k = 0; k < 4; ++k) width[k] = std::max(width[k], r[k].size());
    }
    for (const auto& r : rows) {
        std::string line = "  ";
        for (std::size_t k = 0; k < 5; ++k) {
            line += r[k];
            if (k < 4) line += std::string(width[k] - r[k].size() + 2, ' ');
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
    }
    out += cpp_code_names(c);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

// The property of a class in a catalogue ("L2300_CLM_00_CLMInfo").
std::string property_name(const catalogue::Catalogue& catalogue, const SegmentClassDescriptor& c) {
    const catalogue::Slot* slot = catalogue.find_slot(c.name);
    return slot ? std::string(slot->property) : std::string(c.name);
}

// What each field of a kept class became: the field at the same element (and
// component) of the new class, or none; then the new class's fields that the
// old one had no field for.
bool used(const guide::Guide& guide, const SegmentClassDescriptor& c, const FieldDescriptor& f) {
    const guide::Element* e = guide.element_of(c, f);
    return e && e->usage != guide::Usage::N;
}

std::string ported_fields(const SegmentClassDescriptor& from, const guide::Guide& from_guide,
                          const SegmentClassDescriptor& to, const guide::Guide& to_guide) {
    std::vector<std::array<std::string, 2>> rows{{"field", "becomes"}};
    std::vector<bool> matched(to.field_count, false);
    for (std::size_t i = 0; i < from.field_count; ++i) {
        const FieldDescriptor& f = from.fields[i];
        std::string now = "(gone: " + guide::reference(from.segment_id, f.element, f.component) + " is not written)";
        bool unused = false;
        for (std::size_t j = 0; j < to.field_count; ++j) {
            const FieldDescriptor& g = to.fields[j];
            if (g.element != f.element || g.component != f.component) continue;
            matched[j] = true;
            unused = !used(to_guide, to, g);
            now = std::string(g.name) + (unused ? " (not used by the guide)" : "");
        }
        // A field neither guide uses is no news.
        if (unused && !used(from_guide, from, f)) continue;
        rows.push_back({f.name, now});
    }
    for (std::size_t j = 0; j < to.field_count; ++j) {
        if (!matched[j] && used(to_guide, to, to.fields[j])) rows.push_back({"(new)", to.fields[j].name});
    }
    std::size_t width = 0;
    for (const auto& r : rows) width = std::max(width, r[0].size());
    std::string out;
    for (const auto& r : rows) out += "  " + r[0] + std::string(width - r[0].size() + 2, ' ') + r[1] + "\n";
    return out;
}

// --from-4010: what a property or class of the catalogue this one follows
// became in it, or (NAME empty) every class of that catalogue, one a line.
int describe_ported(const Described& d, const std::string& name) {
    const catalogue::Lineage& lineage = d.catalogue.lineage();
    const catalogue::Catalogue* old = lineage.follows.empty() ? nullptr : catalogue::find_catalogue(lineage.follows);
    if (!old || lineage.follows != kDefaultGuide || !prjVireo::guide::guide_of(*old)) {
        throw UsageError("--from-4010: " + std::string(d.guide.id()) +
                         " does not follow the 4010 catalogue; name a guide that does with --guide (" +
                         prjVireo::guide::known_guides() + ")");
    }
    auto became = [&](const SegmentClassDescriptor& c) -> const SegmentClassDescriptor* {
        for (const auto& [from, to] : lineage.classes) {
            if (from == &c) return to;
        }
        return nullptr;
    };
    std::string out;
    if (name.empty()) {
        for (const catalogue::Slot& slot : old->slots()) {
            const SegmentClassDescriptor* to = became(*slot.segment_class);
            out += std::string(slot.property) + "  " +
                   (to ? property_name(d.catalogue, *to) : std::string("(gone)")) + "\n";
        }
    } else {
        const catalogue::Slot* slot = old->find_slot(name);
        if (!slot) {
            throw UsageError("\"" + name + "\" is no segment object property or class of " + std::string(old->name()) +
                             " (the control's own properties and methods keep their names)");
        }
        const SegmentClassDescriptor* to = became(*slot->segment_class);
        if (!to) {
            out = std::string(slot->property) + " (" + std::string(old->name()) + ") has no position in " +
                  std::string(d.guide.id()) + ": the guide dropped it\n";
        } else {
            out = std::string(slot->property) + " (" + std::string(old->name()) + ") becomes " +
                  property_name(d.catalogue, *to) + " (" + std::string(d.guide.id()) + ")\n" +
                  ported_fields(*slot->segment_class, *prjVireo::guide::guide_of(*old), *to, d.guide);
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

int describe(const std::string& what, const std::string& guide_id) {
    const guide::Guide& guide = chosen_guide(guide_id);
    const Described d{guide, catalogue_of(guide)};
    if (what.empty()) {
        std::string out;
        print_loop(d, out, guide.interchange(), 0);
        std::fwrite(out.data(), 1, out.size(), stdout);
        return 0;
    }
    if (const guide::Loop* loop = guide.find_loop(what)) {
        std::string out;
        print_loop(d, out, *loop, 0);
        std::fwrite(out.data(), 1, out.size(), stdout);
        return 0;
    }
    if (const catalogue::Slot* slot = d.catalogue.find_slot(what)) return describe_property(d, *slot);
    throw UsageError("\"" + what +
                     "\" is neither a loop of the guide (2300, 2010BA, ISA, GS, ST...) nor a segment object "
                     "property (L2300_CLM_00_CLMInfo) or class (L2300_CLM_00)");
}

Action define(CLI::App& command) {
    auto what = std::make_shared<std::string>();
    auto guide = std::make_shared<std::string>(kDefaultGuide);
    auto from_4010 = std::make_shared<std::string>();
    command.description(kDescription);
    command.footer(kExamples);
    command.add_option("LOOP|PROPERTY", *what, "a loop (2300, ISA...) or a segment object property or class");
    add_guide_option(command, *guide, "the guide to describe (" + prjVireo::guide::known_guides() + ")")
        ->capture_default_str();
    CLI::Option* from = command.add_option("--from-4010", *from_4010,
                                           "what a 4010 segment object property or class became in the guide's "
                                           "catalogue, field by field; without NAME, every 4010 property")
                            ->expected(0, 1)
                            ->type_name("NAME");
    return [what, guide, from_4010, from] {
        const int status = from->count() ? describe_ported(Described{chosen_guide(*guide), catalogue_of(chosen_guide(*guide))},
                                                           from_4010->empty() ? *what : *from_4010)
                                         : describe(*what, *guide);
        return status == 0 && std::fflush(stdout) == 0 ? 0 : 1;
    };
}

const Registration kDescribe("describe", define);

}  // namespace
}  // namespace vireo_cli
