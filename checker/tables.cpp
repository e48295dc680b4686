#include "vireo/checker/tables.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

namespace prjVireo::checking {

namespace {

class Builder {
public:
    Builder(const guide::Guide& guide, std::span<const WrittenRule> rules) : guide_(guide), rules_(rules) {}

    Tables build() {
        t_.guide = &guide_;
        const guide::Loop& root = guide_.interchange();
        // Segment IDs first, so that every node can index its candidates.
        for (const guide::Segment* s : guide_.segments()) id_number(s->id);
        build_id_hash();
        add_node(root, -1, -1, 0);
        t_.tables_store.assign(code_tables_.begin(), code_tables_.end());
        return std::move(t_);
    }

private:
    std::uint16_t id_number(std::string_view id) {
        auto it = std::find(t_.ids.begin(), t_.ids.end(), id);
        if (it != t_.ids.end()) return static_cast<std::uint16_t>(it - t_.ids.begin());
        t_.ids.push_back(id);
        return static_cast<std::uint16_t>(t_.ids.size() - 1);
    }

    void build_id_hash() {
        std::uint32_t size = 16;
        while (size < t_.ids.size() * 4) size *= 2;
        t_.id_hash_keys.assign(size, 0);
        t_.id_hash_values.assign(size, kUnknownId);
        t_.id_hash_mask = size - 1;
        for (std::size_t i = 0; i < t_.ids.size(); ++i) {
            std::uint32_t key = 0;
            for (std::size_t c = 0; c < t_.ids[i].size(); ++c) {
                key |= static_cast<std::uint32_t>(static_cast<unsigned char>(t_.ids[i][c])) << (8 * c);
            }
            std::uint32_t h = (key * 2654435761u) >> 7;
            while (t_.id_hash_keys[h & t_.id_hash_mask] != 0) ++h;
            t_.id_hash_keys[h & t_.id_hash_mask] = key;
            t_.id_hash_values[h & t_.id_hash_mask] = static_cast<std::uint16_t>(i);
        }
    }

    const CodeTable* code_table(const guide::CodeList* list) {
        if (!list) return nullptr;
        auto it = by_list_.find(list);
        if (it != by_list_.end()) return it->second;
        CodeTable& table = store_.emplace_back();
        table.list = list;
        for (std::string_view code : list->codes) {
            if (code.size() <= 8) {
                table.packed.push_back(pack_code(code));
            } else {
                table.longer.push_back(code);
            }
        }
        std::sort(table.packed.begin(), table.packed.end());
        std::sort(table.longer.begin(), table.longer.end());
        by_list_[list] = &table;
        code_tables_.push_back(&table);
        return &table;
    }

    static bool applies(const WrittenRule& rule, const guide::Segment& s) {
        if (rule.segment != s.id) return false;
        if (!rule.loop.empty() && rule.loop != s.loop->shown) return false;
        if (rule.element) {
            const guide::Element* e = s.element(rule.element);
            // A composite: the codes of its first component.
            if (e && e->is_composite()) e = e->components.empty() ? nullptr : &e->components.front();
            if (!e || !e->codes || !e->codes->contains(rule.code)) return false;
        }
        return true;
    }

    static void add_rule(SegmentCheck& c, RuleFunction run) {
        if (c.rule_count == SegmentCheck::kMaxRules) {
            throw std::logic_error("a segment position has more written rules than a position holds");
        }
        c.rules[c.rule_count++] = run;
    }

    ElementCheck element_check(const guide::Element& e) {
        ElementCheck c{};
        c.element = &e;
        c.usage = e.usage;
        if (e.data) {
            c.type = e.data->type;
            c.min_length = e.data->min_length;
            c.max_length = e.data->max_length;
        }
        c.codes = code_table(e.codes);
        return c;
    }

    int check_of(const guide::Segment& s) {
        auto it = check_index_.find(&s);
        if (it != check_index_.end()) return it->second;
        SegmentCheck c;
        c.segment = &s;
        c.id = id_number(s.id);
        for (const guide::Element& e : s.elements) {
            ElementCheck ec = element_check(e);
            if (e.is_composite()) {
                ec.composite = true;
                ec.first_component = static_cast<std::uint16_t>(c.components.size());
                ec.component_count = static_cast<std::uint8_t>(e.components.size());
                for (const guide::Element& comp : e.components) c.components.push_back(element_check(comp));
            }
            if (e.data && e.data->number == "1251") {
                // A date whose format the preceding qualifier (data element 1250) names.
                for (int k = static_cast<int>(c.elements.size()) - 1; k >= 0; --k) {
                    const guide::Element* q = c.elements[static_cast<std::size_t>(k)].element;
                    if (q->data && q->data->number == "1250") {
                        ec.rule = ValueRule::DatePeriod;
                        ec.format_element = q->position;
                        break;
                    }
                }
            }
            if (s.id == "ISA" && e.position == 16) ec.declares = DeclaredDelimiter::Component;
            if (s.id == "ISA" && e.data && e.data->number == "I65") ec.declares = DeclaredDelimiter::Repetition;
            if (e.usage == guide::Usage::R) c.required |= std::uint64_t{1} << e.position;
            c.elements.push_back(ec);
        }
        if (c.elements.size() > 63) throw std::logic_error("a segment of the guide has more than 63 elements");
        for (const guide::SyntaxNote& n : s.syntax) {
            SyntaxCheck sc{&n, 0, 0};
            for (std::size_t i = 0; i < n.positions.size(); ++i) {
                const std::uint64_t bit = std::uint64_t{1} << n.positions[i];
                if (i == 0) sc.first = bit;
                sc.all |= bit;
            }
            c.syntax.push_back(sc);
        }
        c.qualifier = s.qualifier;
        if (s.qualifier) {
            const guide::Element* q = s.element(s.qualifier);
            if (q && q->is_composite()) {
                c.qualifier_in_composite = true;
                q = q->components.empty() ? nullptr : &q->components.front();
            }
            c.qualifier_codes = q ? code_table(q->codes) : nullptr;
            if (!c.qualifier_codes) c.qualifier = 0;
        }
        for (const WrittenRule& rule : rules_) {
            if (applies(rule, s)) add_rule(c, rule.run);
        }
        t_.checks.push_back(std::move(c));
        const int index = static_cast<int>(t_.checks.size() - 1);
        check_index_[&s] = index;
        return index;
    }

    int add_node(const guide::Loop& loop, int parent, int index_in_parent, int depth) {
        const int index = static_cast<int>(t_.nodes.size());
        t_.nodes.emplace_back();
        {
            Node& n = t_.nodes.back();
            n.loop = &loop;
            n.parent = parent;
            n.index_in_parent = index_in_parent;
            n.depth = depth;
            n.hl_level = loop.first().id == "HL";
            n.claim = loop.shown == "2300";
            n.service_line = loop.shown == "2400";
            n.subscriber = loop.shown == "2000B";
            n.patient = loop.shown == "2000C";
            for (int p = parent; p >= 0; p = t_.nodes[static_cast<std::size_t>(p)].parent) {
                if (t_.nodes[static_cast<std::size_t>(p)].hl_level) {
                    n.hl_parent = p;
                    break;
                }
            }
        }
        t_.max_depth = std::max(t_.max_depth, depth + 1);
        if (loop.children.size() > 64) throw std::logic_error("a loop of the guide has more than 64 children");
        std::vector<Node::Child> children;
        std::uint16_t rank = 0;
        int previous_position = -1;
        for (std::size_t i = 0; i < loop.children.size(); ++i) {
            const guide::Loop::Child& c = loop.children[i];
            const int position = c.segment ? c.segment->position : c.loop->position;
            if (i > 0 && position != previous_position) ++rank;
            previous_position = position;
            Node::Child child;
            child.rank = rank;
            if (c.segment) {
                child.check = check_of(*c.segment);
                child.first_check = child.check;
                child.usage = c.segment->usage;
                child.max = c.segment->max_use;
            } else {
                child.node = add_node(*c.loop, index, static_cast<int>(i), depth + 1);
                child.first_check = check_of(c.loop->first());
                child.usage = c.loop->usage;
                child.max = c.loop->repeat;
            }
            child.id = t_.checks[static_cast<std::size_t>(child.first_check)].id;
            children.push_back(child);
        }
        Node& n = t_.nodes[static_cast<std::size_t>(index)];
        n.children = std::move(children);
        n.group_start.resize(n.children.size());
        n.before.resize(n.children.size());
        for (std::size_t j = 0; j < n.children.size(); ++j) {
            n.group_start[j] = static_cast<std::uint16_t>(
                j > 0 && n.children[j].rank == n.children[j - 1].rank ? n.group_start[j - 1] : j);
            // Required children declared before this one must have come when
            // it comes: those of an earlier position, and for a loop also the
            // loops of its own position declared before it. Segments of one
            // position come in any order.
            n.before[j] = 0;
            for (std::size_t k = 0; k < j; ++k) {
                if (n.children[k].rank < n.children[j].rank ||
                    (n.children[j].node >= 0 && n.children[k].node >= 0)) {
                    n.before[j] |= std::uint64_t{1} << k;
                }
            }
            if (n.children[j].usage == guide::Usage::R) n.required |= std::uint64_t{1} << j;
        }
        n.candidates_at.assign(t_.ids.size(), 0);
        for (std::size_t id = 0; id < t_.ids.size(); ++id) {
            const std::uint32_t offset = static_cast<std::uint32_t>(n.candidates.size());
            std::uint32_t count = 0;
            for (std::size_t j = 0; j < n.children.size(); ++j) {
                if (n.children[j].id == id) {
                    n.candidates.push_back(static_cast<std::uint8_t>(j));
                    ++count;
                }
            }
            n.candidates_at[id] = offset | (count << 24);
        }
        return index;
    }

    const guide::Guide& guide_;
    std::span<const WrittenRule> rules_;
    Tables t_;
    std::deque<CodeTable> store_;
    std::vector<const CodeTable*> code_tables_;
    std::map<const guide::CodeList*, const CodeTable*> by_list_;
    std::map<const guide::Segment*, int> check_index_;

public:
    // The code tables live as long as the tables that point at them.
    std::deque<CodeTable> take_store() { return std::move(store_); }
};

struct Compiled {
    std::deque<CodeTable> store;
    Tables tables;
};

std::unique_ptr<Compiled> compile(const guide::Guide& guide) {
    Builder b(guide, written_rules_of(guide));
    auto c = std::make_unique<Compiled>();
    c->tables = b.build();
    c->store = b.take_store();
    return c;
}

struct RuleTable {
    std::string_view guide_id;
    std::span<const WrittenRule> rules;
};

struct Registry {
    std::mutex mutex;
    std::vector<RuleTable> rule_tables;
    std::map<const guide::Guide*, std::unique_ptr<Compiled>> compiled;
};

Registry& registry() {
    static Registry r;
    return r;
}

bool same_id(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x | 0x20) == (y | 0x20);
           });
}

}  // namespace

const SegmentCheck& Tables::check_of(const guide::Segment& segment) const {
    for (const SegmentCheck& c : checks) {
        if (c.segment == &segment) return c;
    }
    throw std::logic_error("no check for a segment position");
}

void register_written_rules(std::string_view guide_id, std::span<const WrittenRule> rules) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    for (const RuleTable& t : r.rule_tables) {
        if (same_id(t.guide_id, guide_id)) {
            throw std::invalid_argument("a second table of written rules for " + std::string(guide_id));
        }
    }
    r.rule_tables.push_back({guide_id, rules});
}

std::span<const WrittenRule> written_rules_of(const guide::Guide& guide) {
    for (const BuiltInRules& built : built_in_rules()) {
        if (same_id(built.guide_id, guide.id())) return built.rules();
    }
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    for (const RuleTable& t : r.rule_tables) {
        if (same_id(t.guide_id, guide.id())) return t.rules;
    }
    return {};
}

const Tables& tables_for(const guide::Guide& guide) {
    Registry& r = registry();
    {
        std::lock_guard lock(r.mutex);
        auto it = r.compiled.find(&guide);
        if (it != r.compiled.end()) return it->second->tables;
    }
    // Compiled outside the lock (it reads the rule tables under it); a
    // second thread that compiled the same guide meanwhile keeps the first.
    std::unique_ptr<Compiled> compiled = compile(guide);
    std::lock_guard lock(r.mutex);
    auto [it, inserted] = r.compiled.emplace(&guide, std::move(compiled));
    return it->second->tables;
}

}  // namespace prjVireo::checking
