// Every segment class of every registered catalogue (the test catalogue in
// sibling/ included), driven by the slot list and reached through late binding: Clear empties every field, a cleared object writes its
// bare segment, and each field set alone lands at the position its name gives.
// Expected bytes are built from the position digits in the field names
// (m05_ is element 5, m0501_ is component 1 of element 5), so a declaration
// with a wrong element or component number is caught here.
#include <algorithm>
#include <cctype>
#include <climits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sibling/sibling.h"
#include "test_support.h"
#include "vireo/control/typelib.h"

using namespace prjVireo;

namespace {

// Every registered catalogue (the built-in ones, 4010 and 5010), once the test
// catalogue has been registered too.
std::vector<const catalogue::Catalogue*> every_catalogue() {
    sibling::registered_catalogue();
    return catalogue::registered();
}

// A gtest name: the catalogue's name with only letters, digits and "_".
std::string name_of(const catalogue::Catalogue& c) {
    std::string name(c.name());
    for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    }
    return name;
}

struct NamedPosition {
    int element;
    int component;  // 0 for a plain element
};

bool all_of_class(std::string_view text, bool (*in_class)(char)) {
    return !text.empty() && std::all_of(text.begin(), text.end(), in_class);
}
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_upper_or_digit(char c) { return is_digit(c) || (c >= 'A' && c <= 'Z'); }

// The position spelled by a field name: "m" + two digits (element) and
// optionally two more (component), then "_" and a description.
NamedPosition position_from_name(std::string_view name) {
    const std::size_t underscore = name.find('_');
    const std::string_view digits =
        underscore == std::string_view::npos ? std::string_view() : name.substr(1, underscore - 1);
    if (name.empty() || name[0] != 'm' || underscore + 1 >= name.size() ||
        (digits.size() != 2 && digits.size() != 4) || !all_of_class(digits, is_digit)) {
        ADD_FAILURE() << name << " does not start with its position";
        return {0, 0};
    }
    const int element = std::stoi(std::string(digits.substr(0, 2)));
    return {element, digits.size() == 4 ? std::stoi(std::string(digits.substr(2))) : 0};
}

// A class name "L<loop>_<ID>_<two digits>", split into loop and ID; false when it is not one.
bool split_class_name(std::string_view name, std::string_view& loop, std::string_view& id) {
    const std::size_t first = name.find('_');
    const std::size_t second = first == std::string_view::npos ? first : name.find('_', first + 1);
    if (name.empty() || name[0] != 'L' || second == std::string_view::npos) return false;
    loop = name.substr(1, first - 1);
    id = name.substr(first + 1, second - first - 1);
    const std::string_view number = name.substr(second + 1);
    return all_of_class(loop, is_upper_or_digit) && all_of_class(id, is_upper_or_digit) && number.size() == 2 &&
           all_of_class(number, is_digit);
}

int first_plain_element(const SegmentClassDescriptor& c) {
    int first = 0;
    for (std::size_t i = 0; i < c.field_count; ++i) {
        NamedPosition p = position_from_name(c.fields[i].name);
        if (p.component == 0 && (first == 0 || p.element < first)) first = p.element;
    }
    return first;
}

// The interchange header writes all sixteen positions; five are space-filled
// to their width and the last takes the component separator when empty, as a
// repetition separator field takes the repetition separator.
std::string interchange_header(const SegmentClassDescriptor& c, const FieldDescriptor* set, std::string_view value) {
    std::vector<std::string> elements(16);
    for (std::size_t i = 0; i < c.field_count; ++i) {
        const FieldDescriptor& f = c.fields[i];
        std::string text = &f == set ? std::string(value) : std::string();
        if (f.repetition_separator && text.empty()) text = "^";
        if (f.kind == FieldKind::Fixed) text.resize(f.width, ' ');
        elements.at(position_from_name(f.name).element - 1) = text;
    }
    if (elements[15].empty()) elements[15] = ":";
    std::string out = "ISA";
    for (const std::string& e : elements) out += "*" + e;
    return out + "~";
}

// The segment that an object writes with `set` holding `value` and every other
// field empty (nullptr: all fields empty). The trailer is written with the
// segment count at 0, so it counts itself as 1.
std::string written_alone(const SegmentClassDescriptor& c, const FieldDescriptor* set, std::string_view value) {
    const std::string id = c.segment_id;
    if (c.assembly == Assembly::Interchange) return interchange_header(c, set, value);
    if (c.assembly == Assembly::Trailer) {
        if (!set) return "SE*1~";
        return position_from_name(set->name).element == 1 ? "SE*" + std::string(value) + "~"
                                                          : "SE*1*" + std::string(value) + "~";
    }
    if (!set || set->kind == FieldKind::Unwritten) return id + "*~";
    const NamedPosition p = position_from_name(set->name);
    std::string lead;
    // Packed composites: a lone composite is always the first element, and the
    // plain elements after them count from the first plain one.
    if (c.assembly == Assembly::PackedComposites) {
        if (p.component == 0) lead.assign(p.element - first_plain_element(c), '*');
    } else {
        lead.assign(p.element - 1, '*');
    }
    if (p.component > 0) lead.append(p.component - 1, ':');
    return id + "*" + lead + std::string(value) + "~";
}

std::shared_ptr<Dispatch> object_of(basic_vireo& control, const catalogue::Slot& slot) {
    ControlDispatch d(control);
    return d.get(slot.property).to_object();
}

// One segment class: its catalogue and its slot there.
struct ClassCase {
    const catalogue::Catalogue* catalogue;
    std::size_t slot;
};

std::vector<ClassCase> every_class() {
    std::vector<ClassCase> cases;
    for (const catalogue::Catalogue* c : every_catalogue()) {
        for (std::size_t i = 0; i < c->slots().size(); ++i) cases.push_back({c, i});
    }
    return cases;
}

// Collects what the control announces, one entry per segment, with what was
// expected and why.
struct Expectations {
    struct Entry {
        std::string why;
        std::string bytes;
    };
    std::vector<Entry> expected;
    std::vector<std::string> announced;

    void check_and_compare_file(const std::string& file) const {
        ASSERT_EQ(announced.size(), expected.size());
        std::string all;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(announced[i], expected[i].bytes) << expected[i].why;
            all += expected[i].bytes;
        }
        EXPECT_EQ(file, all);
    }
};

// A control of the class's catalogue with "*", ":" and "~" (and "^" where it has a
// repetition separator), writing to a fresh file.
class CatalogueClass : public ::testing::TestWithParam<ClassCase> {
protected:
    void SetUp() override {
        vireo_test::reset_writer_state();
        ctl = std::make_unique<basic_vireo>(*GetParam().catalogue);
        ctl->DataElementSeparator("*");
        ctl->SubelementSeparator(":");
        ctl->SegmentTerminator("~");
        if (GetParam().catalogue->has_repetition_separator()) ctl->RepetitionSeparator("^");
        path = vireo_test::temp_path();
        ctl->OpenFile(path);
        ctl->BeforeAdd.connect(
            [this](std::string& value, std::int32_t&, std::int16_t&) { log.announced.push_back(value); });
    }
    void TearDown() override {
        ctl.reset();
        vireo_test::reset_writer_state();
    }
    std::string output() {
        ctl->CloseFile();
        return vireo_test::read_file(path);
    }
    const catalogue::Slot& slot() const { return GetParam().catalogue->slots()[GetParam().slot]; }
    const SegmentClassDescriptor& cls() const { return *slot().segment_class; }

    // Writes the object; the trailer always starts from a count of 0, and a
    // component separator the interchange header set is put back.
    void add(Dispatch& object, std::string why, std::string expected) {
        if (cls().assembly == Assembly::Trailer) ctl->SegCount("0");
        object.call("Additem");
        if (cls().assembly == Assembly::Interchange) {
            ctl->SubelementSeparator(":");
            if (GetParam().catalogue->has_repetition_separator()) ctl->RepetitionSeparator("^");
        }
        log.expected.push_back({std::move(why), std::move(expected)});
    }

    std::unique_ptr<basic_vireo> ctl;
    std::string path;
    Expectations log;
};

}  // namespace

TEST_P(CatalogueClass, ClearEmptiesEveryFieldAndLeavesTheBareSegment) {
    const SegmentClassDescriptor& c = cls();
    auto object = object_of(*ctl, slot());
    for (std::size_t i = 0; i < c.field_count; ++i) {
        const FieldDescriptor& f = c.fields[i];
        if (f.codelist) {
            object->put(f.name, Variant(f.codelist->members[0].value));
        } else {
            object->put(f.name, Variant("X"));
        }
    }
    object->call("Clear");
    for (std::size_t i = 0; i < c.field_count; ++i) {
        const FieldDescriptor& f = c.fields[i];
        const Variant v = object->get(f.name);
        if (f.codelist) {
            EXPECT_EQ(v.to_long(), 0) << f.name;
        } else {
            EXPECT_EQ(v.to_string(), "") << f.name;
        }
    }
    EXPECT_TRUE(log.announced.empty()) << "Clear writes nothing";
    add(*object, "cleared", written_alone(c, nullptr, ""));
    log.check_and_compare_file(output());
}

TEST_P(CatalogueClass, EachFieldAloneLandsAtItsNamedPosition) {
    const SegmentClassDescriptor& c = cls();
    auto object = object_of(*ctl, slot());
    for (std::size_t i = 0; i < c.field_count; ++i) {
        const FieldDescriptor& f = c.fields[i];
        object->call("Clear");
        if (f.kind == FieldKind::Code) {
            ASSERT_NE(f.codelist, nullptr) << f.name;
            // Every member of the list, each written as its code text.
            for (std::size_t m = 0; m < f.codelist->member_count; ++m) {
                const CodeMember& member = f.codelist->members[m];
                object->put(f.name, Variant(member.value));
                add(*object, std::string(f.name) + " = " + member.name, written_alone(c, &f, member.code));
            }
        } else {
            object->put(f.name, Variant("X"));
            add(*object, std::string(f.name) + " = X", written_alone(c, &f, "X"));
        }
    }
    log.check_and_compare_file(output());
}

INSTANTIATE_TEST_SUITE_P(AllClasses, CatalogueClass, ::testing::ValuesIn(every_class()),
                         [](const ::testing::TestParamInfo<ClassCase>& info) {
                             return name_of(*info.param.catalogue) + "_" +
                                    info.param.catalogue->slots()[info.param.slot].segment_class->name;
                         });

// ---- each catalogue as a whole ----

class CatalogueShape : public ::testing::TestWithParam<const catalogue::Catalogue*> {
protected:
    const catalogue::Catalogue& cat() const { return *GetParam(); }
};

INSTANTIATE_TEST_SUITE_P(Registered, CatalogueShape, ::testing::ValuesIn(every_catalogue()),
                         [](const auto& info) { return name_of(*info.param); });

TEST_P(CatalogueShape, SlotsFollowTheNamingRulesAndAnswerToTheirDispatchIds) {
    vireo_test::reset_writer_state();
    basic_vireo control(cat());
    ControlDispatch d(control);
    // The two 4010 classes whose annotation label is not made from their property.
    const std::map<std::string, std::string> irregular_labels = {
        {"L2300_REF_09", "L_2300_REF_CLMIDNumberforCLHouse"},
        {"L2300_DTP_18", "L_2300_DTP_DateAssumedandRelinquishedCareDates"},
    };
    std::set<std::string> names;
    std::set<DISPID> ids;
    // The 4010 ids are published: a host compiled against them calls by
    // number, so they stay where they have always been.
    const bool published_4010 = &cat() == &catalogue::professional_4010();
    const auto& slots = cat().slots();
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const catalogue::Slot& s = slots[i];
        const SegmentClassDescriptor& c = *s.segment_class;
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(names.insert(c.name).second) << "one slot per class";
        EXPECT_TRUE(ids.insert(s.dispid).second) << "one slot per id";
        if (published_4010) {
            EXPECT_EQ(s.dispid, 0x680300E1 - static_cast<DISPID>(i));
        }
        EXPECT_EQ(cat().slot_of_dispid(s.dispid), static_cast<std::ptrdiff_t>(i));
        EXPECT_EQ(d.GetIDOfName(s.property), s.dispid);
        EXPECT_EQ(d.NameOf(s.dispid), s.property);
        EXPECT_EQ(control.member(i)->descriptor().name, std::string(c.name)) << "created in slot order";

        const std::string name = c.name;
        std::string_view loop, id;
        ASSERT_TRUE(split_class_name(name, loop, id));
        EXPECT_EQ(loop, c.loop);
        EXPECT_EQ(id, c.segment_id);
        const std::string prefix = name + "_";
        ASSERT_EQ(s.property.substr(0, prefix.size()), prefix);
        const std::string description(s.property.substr(prefix.size()));
        ASSERT_FALSE(description.empty());
        const std::string rule = "L_" + std::string(c.loop) + "_" + c.segment_id + "_" + description;
        auto irregular = published_4010 ? irregular_labels.find(name) : irregular_labels.end();
        EXPECT_EQ(c.label, irregular == irregular_labels.end() ? rule : irregular->second);
    }
    // Next to every id, an id that no slot has is no slot.
    for (DISPID id : ids) {
        for (DISPID beside : {id - 1, id + 1}) {
            if (!ids.count(beside)) {
                EXPECT_EQ(cat().slot_of_dispid(beside), -1) << beside;
            }
        }
    }
    // Ids far from the slots, at either end of the range, are no slot (and no overflow).
    EXPECT_EQ(cat().slot_of_dispid(INT32_MIN), -1);
    EXPECT_EQ(cat().slot_of_dispid(INT32_MAX), -1);
}

TEST_P(CatalogueShape, FieldsSitWhereTheirNamesSayAndAnswerToTheirDispatchIds) {
    vireo_test::reset_writer_state();
    basic_vireo control(cat());
    const auto& slots = cat().slots();
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const SegmentClassDescriptor& c = *slots[i].segment_class;
        SegmentDispatch object(control.member(i));
        std::set<std::pair<int, int>> taken;
        for (std::size_t k = 0; k < c.field_count; ++k) {
            const FieldDescriptor& f = c.fields[k];
            SCOPED_TRACE(std::string(c.name) + "." + f.name);
            const NamedPosition p = position_from_name(f.name);
            EXPECT_EQ(f.element, p.element);
            EXPECT_EQ(f.component, p.component);
            EXPECT_TRUE(taken.insert({p.element, p.component}).second) << "two fields at one position";
            EXPECT_EQ(f.codelist != nullptr, f.kind == FieldKind::Code);
            EXPECT_EQ(object.GetIDOfName(f.name), kFirstFieldDispid + static_cast<DISPID>(k));
            if (k > 0) {
                const FieldDescriptor& before = c.fields[k - 1];
                EXPECT_LT(std::make_pair(before.element, before.component), std::make_pair(f.element, f.component))
                    << "fields in position order";
            }
        }
    }
}

TEST_P(CatalogueShape, EveryCodeHoldsTheBytesOfItsText) {
    std::set<std::string> list_names;
    for (const CodeListDescriptor* l : cat().codelists()) {
        SCOPED_TRACE(l->name);
        EXPECT_TRUE(list_names.insert(l->name).second);
        ASSERT_GT(l->member_count, 0u);
        for (std::size_t m = 0; m < l->member_count; ++m) {
            const CodeMember& member = l->members[m];
            const std::string code = member.code;
            ASSERT_GE(code.size(), 1u);
            ASSERT_LE(code.size(), 4u);
            std::uint32_t bytes = 0;
            for (unsigned char ch : code) {
                EXPECT_TRUE(ch > ' ' && ch < 0x7F) << member.name;
                bytes = bytes * 256 + ch;
            }
            EXPECT_EQ(static_cast<std::uint32_t>(member.value), bytes) << member.name;
            EXPECT_EQ(CodeToString(member.value), code) << member.name;
            EXPECT_EQ(std::string(member.name).rfind("val_" + code + "_", 0), 0u) << member.name;
            EXPECT_EQ(l->find_name(member.name), &member);
            EXPECT_EQ(l->find_code(code), &member) << "codes are unique within a list";
            // Only the whole text matches: not a prefix, an extension or a text with a NUL.
            for (const std::string& near : {code.substr(0, code.size() - 1), code + "0", code + std::string(1, '\0'),
                                            std::string(member.name) + "X"}) {
                const CodeMember* found = l->find_code(near);
                EXPECT_TRUE(found == nullptr || found->code == near) << member.name;
                EXPECT_EQ(l->find_name(near), nullptr) << member.name;
            }
        }
    }
}

// A code list serves one element (but the interchange's two ID qualifiers)
// and is named after it: the list of element 05 of L2300_CLM_00 is L2300_CLM_05_...
TEST_P(CatalogueShape, EachCodeListServesOneElementAndIsNamedAfterIt) {
    const std::string isa_qualifiers = "L0_ISA_05_001_001_IntIDQul";
    std::map<const CodeListDescriptor*, std::vector<std::string>> users;
    for (const auto& s : cat().slots()) {
        const SegmentClassDescriptor& c = *s.segment_class;
        for (std::size_t k = 0; k < c.field_count; ++k) {
            const FieldDescriptor& f = c.fields[k];
            if (!f.codelist) continue;
            users[f.codelist].push_back(std::string(c.name) + "." + f.name);
            const std::string list = f.codelist->name;
            const std::string element = (f.element < 10 ? "0" : "") + std::to_string(f.element);
            const std::string prefix = "L" + std::string(c.loop) + "_" + c.segment_id + "_";
            EXPECT_EQ(list.rfind(prefix + (list == isa_qualifiers ? "" : element + "_"), 0), 0u)
                << c.name << "." << f.name << " uses " << list;
        }
    }
    EXPECT_EQ(users.size(), cat().codelists().size());
    for (const auto& [list, fields] : users) {
        EXPECT_EQ(fields.size(), list->name == isa_qualifiers ? 2u : 1u) << list->name;
    }
}

// The type library: segment object property i has slot i's name, dispatch id
// and class, each class its fields, and every code list a field names is
// listed, once; the control's own members follow the slots.
TEST_P(CatalogueShape, TypeLibraryListsItsSlotsClassesAndCodeLists) {
    const auto lib = nlohmann::json::parse(typelib::to_json(cat()));
    const auto& classes = lib["classes"];
    const auto& properties = lib["control"]["properties"];
    const auto& slots = cat().slots();
    ASSERT_EQ(classes.size(), slots.size());
    ASSERT_EQ(properties.size(), slots.size() + typelib::control_properties(cat()).size());
    EXPECT_EQ(lib["control"]["methods"].size(), typelib::control_methods().size());
    std::set<std::string> named_lists;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const SegmentClassDescriptor& c = *slots[i].segment_class;
        SCOPED_TRACE(c.name);
        EXPECT_EQ(classes[i]["name"], c.name);
        EXPECT_EQ(classes[i]["property"], slots[i].property);
        EXPECT_EQ(classes[i]["dispid"], slots[i].dispid);
        EXPECT_EQ(properties[i]["name"], slots[i].property);
        EXPECT_EQ(properties[i]["dispid"], slots[i].dispid);
        EXPECT_EQ(properties[i]["type"], c.name);
        ASSERT_EQ(classes[i]["fields"].size(), c.field_count);
        for (std::size_t k = 0; k < c.field_count; ++k) {
            EXPECT_EQ(classes[i]["fields"][k]["name"], c.fields[k].name);
            if (!c.fields[k].codelist) continue;
            EXPECT_EQ(classes[i]["fields"][k]["codelist"], c.fields[k].codelist->name);
            named_lists.insert(c.fields[k].codelist->name);
        }
    }
    std::set<std::string> listed;
    for (const auto& l : lib["codelists"]) listed.insert(l["name"].get<std::string>());
    EXPECT_EQ(lib["codelists"].size(), cat().codelists().size());
    EXPECT_EQ(listed, named_lists);
}
