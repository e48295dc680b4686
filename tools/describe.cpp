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
    "  vireo describe --guide 004010X098A1 2000B";

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
    command.description(kDescription);
    command.footer(kExamples);
    command.add_option("LOOP|PROPERTY", *what, "a loop (2300, ISA...) or a segment object property or class");
    add_guide_option(command, *guide, "the guide to describe (" + prjVireo::guide::known_guides() + ")")
        ->capture_default_str();
    return [what, guide] { return describe(*what, *guide) == 0 && std::fflush(stdout) == 0 ? 0 : 1; };
}

const Registration kDescribe("describe", define);

}  // namespace
}  // namespace vireo_cli
