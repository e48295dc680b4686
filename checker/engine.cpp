#include "vireo/checker/engine.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "vireo/checker/values.h"

namespace prjVireo::checking {
namespace {

constexpr Finding::Severity kError = Finding::Severity::Error;
constexpr Finding::Severity kWarning = Finding::Severity::Warning;

std::string describe(const guide::Element& e) {
    return std::string(e.name);
}

std::string length_text(const ElementCheck& e) {
    if (e.min_length == e.max_length) return "exactly " + std::to_string(e.min_length);
    return std::to_string(e.min_length) + " to " + std::to_string(e.max_length);
}

std::string codes_text(const CodeTable& t) {
    const guide::CodeList& l = *t.list;
    if (!l.set.empty()) return std::string("a code of the list \"") + std::string(l.title) + "\"";
    std::string out = "one of ";
    const std::size_t shown = std::min<std::size_t>(l.codes.size(), 12);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i) out += i + 1 == l.codes.size() ? " or " : ", ";
        out += std::string(l.codes[i]);
    }
    if (shown < l.codes.size()) out += ", ... (" + std::to_string(l.codes.size()) + " codes)";
    return out;
}

std::string place(const SegmentCheck& c) {
    return std::string(c.segment->loop->shown) + " " + std::string(c.segment->id);
}

}  // namespace

Engine::Engine(FindingSink& sink, const guide::Guide& guide, bool fixed) : sink_(sink) {
    use_guide(guide, fixed);
    use_tables(*start_);
}

void Engine::use_tables(const Tables& tables) {
    t_ = &tables;
    frames_.resize(std::max(frames_.size(), static_cast<std::size_t>(t_->max_depth) + 1));
    isa_id_ = t_->id_of("ISA");
    gs_id_ = t_->id_of("GS");
}

void Engine::use_guide(const guide::Guide& guide, bool fixed) {
    start_ = &tables_for(guide);
    fixed_ = fixed;
}

void Engine::switch_tables(const Tables& next) {
    // The interchange frame is the only one open (GS comes at depth 1): the
    // children that occurred in it are carried over by their segment IDs.
    const Tables& before = *t_;
    const Frame old = frames_[0];
    const Node& from = before.nodes[static_cast<std::size_t>(old.node)];
    use_tables(next);
    Frame& f = frames_[0];
    f = Frame{};
    std::memset(f.count, 0, sizeof f.count);
    const Node& to = t_->nodes[0];
    for (std::size_t j = 0; j < from.children.size(); ++j) {
        if (!old.count[j]) continue;
        const std::uint16_t id = t_->id_of(before.ids[from.children[j].id]);
        for (std::size_t k = 0; k < to.children.size(); ++k) {
            if (to.children[k].id != id) continue;
            f.count[k] = old.count[j];
            f.seen |= std::uint64_t{1} << k;
            if (j == static_cast<std::size_t>(old.child)) f.child = static_cast<int>(k);
            break;
        }
    }
}

void Engine::choose_version_guide() {
    const std::string_view version = element(12);
    const guide::Guide* current = t_->guide;
    auto takes = [&](const guide::Guide& g) {
        const guide::Segment& isa = g.interchange().first();
        const guide::Element* e = isa.element(12);
        return e && e->codes && e->codes->contains(version);
    };
    const guide::Guide* chosen = takes(*start_->guide) ? start_->guide : takes(*current) ? current : nullptr;
    for (const guide::Guide* g : guide::registered_guides()) {
        if (chosen) break;
        if (takes(*g)) chosen = g;
    }
    if (!chosen) chosen = start_->guide;  // an unknown version: its ISA12 is reported against the default
    if (chosen == current) return;
    use_tables(tables_for(*chosen));
}

bool Engine::choose_guide() {
    const std::string_view named = element(8);
    const guide::Guide* chosen = guide::find_guide(named);
    if (!chosen) {
        if (!named.empty()) {
            report_at(segment_, kError, "guide", "GS", "GS", "GS08",
                      "GS08 " + quoted(named) + " names no guide vireo knows (it knows " + guide::known_guides() +
                          "): the group is checked against " + std::string(t_->guide->id()));
        }
        return false;
    }
    if (chosen == t_->guide) return false;
    switch_tables(tables_for(*chosen));
    return true;
}

void Engine::begin(std::string name) {
    if (in_file_) end();
    file_ = std::move(name);
    in_file_ = true;
    not_x12_ = false;
    annotation_reported_ = false;
    mode_ = Mode::Start;
    carry_.clear();
    wait_ = 0;
    gap_ = 0;
    segment_ = 0;
    depth_ = 0;
    last_ = nullptr;
    notes_.clear();
    if (t_ != start_) use_tables(*start_);
    state_.st02_seen.clear();
    state_.gs06_seen.clear();
    state_.isa13_seen.clear();
}

void Engine::note_next(Finding&& finding) { notes_.push_back(std::move(finding)); }

void Engine::annotation_seen() {
    if (annotation_reported_) return;
    annotation_reported_ = true;
    report_at(segment_ + 1, kError, "annotation", "", "", "",
              "annotation lines are written between the segments (Annotation is on): they are no part of X12, "
              "and a payer rejects the file; turn Annotation off for a file that is sent");
}

// ---- reading bytes ----

void Engine::feed(const char* data, std::size_t size) {
    const char* p = data;
    const char* const end = data + size;
    while (p < end && mode_ != Mode::Dead) {
        if (carry_.empty()) {
            const char* rest = scan(p, end);
            if (rest < end) carry_.assign(rest, end);
            p = end;
        } else {
            // Complete what an earlier piece began, and no more: each round
            // completes a segment, so the carried bytes are scanned once.
            const char* upto = p + std::min<std::size_t>(static_cast<std::size_t>(end - p), 512);
            if (wait_) {
                const void* t = std::memchr(p, wait_, static_cast<std::size_t>(end - p));
                upto = t ? static_cast<const char*>(t) + 1 : end;
            }
            carry_.append(p, upto);
            p = upto;
            const char* rest = scan(carry_.data(), carry_.data() + carry_.size());
            carry_.erase(0, static_cast<std::size_t>(rest - carry_.data()));
        }
    }
    if (mode_ == Mode::Dead) carry_.clear();
}

// Where the byte `awaited` occurs within the limit of a segment from p, or
// nullptr; gives up on the file when it does not occur there.
const char* Engine::find_end(const char* p, const char* end, char awaited) {
    const std::size_t left = static_cast<std::size_t>(end - p);
    if (const void* t = std::memchr(p, awaited, std::min(left, kMaxSegment + 1))) return static_cast<const char*>(t);
    wait_ = awaited;
    if (left > kMaxSegment) [[unlikely]] {
        const std::string bytes = " in the next " + std::to_string(kMaxSegment) + " bytes";
        give_up(awaited == '\n' ? "a line that begins with a TAB (an annotation line) has no line end" + bytes
                                : "no segment terminator " + quoted(std::string_view(&awaited, 1)) + bytes);
    }
    return nullptr;
}

void Engine::give_up(const std::string& why) {
    if (mode_ == Mode::Start) {
        not_x12_ = true;
        report_at(0, kError, "not-x12", "", "", "", "not an X12 interchange: " + why);
    } else {
        report_at(segment_ + 1, kError, "terminator", "", "", "", why + ": the rest of the file is not checked");
    }
    mode_ = Mode::Dead;
}

const char* Engine::scan(const char* p, const char* end) {
    while (p < end) {
        // Line ends may follow a terminator; an annotation line is a TAB and a
        // label, on a line of its own. Neither is a segment: a file of
        // nothing else would be read to its end (which an endless input
        // never has), so there is a limit to them between two segments.
        const char* const from = p;
        while (p < end && (*p == '\n' || *p == '\r')) ++p;
        gap_ += static_cast<std::size_t>(p - from);
        if (p < end && *p == '\t') {
            const char* nl = find_end(p, end, '\n');
            if (!nl) return mode_ == Mode::Dead ? end : p;
            annotation_seen();
            gap_ += static_cast<std::size_t>(nl + 1 - p);
            p = nl + 1;
        }
        if (gap_ > kMaxSegment) [[unlikely]] {
            give_up(std::string("more than ") + std::to_string(kMaxSegment) + " bytes of line ends and no " +
                    (mode_ == Mode::Start ? "ISA header" : "segment"));
            return end;
        }
        if (p == end) return p;
        if (*p == '\n' || *p == '\r' || *p == '\t') continue;
        wait_ = 0;
        if (end - p < 4) return p;
        if ((p[0] == 'I' && p[1] == 'S' && p[2] == 'A') || mode_ == Mode::Start) {
            const char* next = header(p, end);
            if (next == p) return p;
            if (!next) {
                mode_ = Mode::Dead;
                return end;
            }
            p = next;
            continue;
        }
        const char* t = find_end(p, end, terminator_);
        if (!t) return mode_ == Mode::Dead ? end : p;
        segment(p, t);
        p = t + 1;
    }
    return p;
}

const char* Engine::header(const char* p, const char* end) {
    const bool first = mode_ == Mode::Start;
    auto not_x12 = [&](const std::string& why) -> const char* {
        if (first) {
            not_x12_ = true;
            report_at(0, kError, "not-x12", "", "", "", "not an X12 interchange: " + why);
        } else {
            report_at(segment_ + 1, kError, "envelope", "ISA", "ISA", "",
                      why + "; the rest of the file is not checked");
        }
        return nullptr;
    };
    if (!(p[0] == 'I' && p[1] == 'S' && p[2] == 'A')) {
        return not_x12("the file does not begin with an ISA interchange header");
    }
    const char sep = p[3];
    // The header has 16 elements; ISA16 is one character, the terminator the next.
    int seps = 0;
    const char* q = p + 3;
    const char* limit = std::min(end, p + 400);
    for (; q < limit; ++q) {
        if (*q == sep && ++seps == 16) break;
    }
    if (seps < 16) {
        if (limit == end && end - p < 400) return p;  // more bytes may come
        return not_x12("the ISA header does not have 16 elements separated by " + quoted(std::string_view(&sep, 1)));
    }
    if (end - q < 3) return p;
    const char component = q[1];
    const char terminator = q[2];
    auto unusable = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ';
    };
    if (unusable(sep) || unusable(component) || unusable(terminator) || sep == component || sep == terminator ||
        component == terminator) {
        return not_x12("the ISA header's delimiters " + quoted(std::string_view(&sep, 1)) + ", " +
                       quoted(std::string_view(&component, 1)) + " and " + quoted(std::string_view(&terminator, 1)) +
                       " are not three distinct punctuation characters");
    }
    separator_ = sep;
    component_ = component;
    terminator_ = terminator;
    // The character set of the interchange's version: 5010's extended set
    // (ISA12 00501 and later) adds "^" and "`" to 4010's.
    std::string_view version;
    {
        int k = 0;
        const char* start = p + 4;
        for (const char* r = p + 3; r < q && k < 12; ++r) {
            if (*r == sep) {
                if (++k == 12) start = r + 1;
            }
        }
        const char* stop = start;
        while (stop < q && *stop != sep) ++stop;
        if (k == 12) version = std::string_view(start, static_cast<std::size_t>(stop - start));
    }
    const bool extended_5010 = version.size() == 5 && version >= "00501";
    for (int ch = 0; ch < 256; ++ch) {
        const bool allowed = allowed_character(static_cast<unsigned char>(ch)) || (extended_5010 && (ch == '^' || ch == '`'));
        char_class_[ch] = allowed ? 0 : kOutsideCharacterSet;
    }
    char_class_[static_cast<unsigned char>(component)] |= kComponentSeparator;
    mode_ = Mode::Interchange;
    const char* seg_end = q + 2;
    segment(p, seg_end);
    if (seg_end - p != 105) {
        // Name the first element whose width is off.
        std::string which;
        const SegmentCheck* isa = current_;
        for (int k = 1; isa && k < elements_ && k <= 16; ++k) {
            const ElementCheck& e = isa->elements[static_cast<std::size_t>(k - 1)];
            if (e.min_length == e.max_length && element(k).size() != e.min_length) {
                which = ": " + guide::reference("ISA", k) + " has " + std::to_string(element(k).size()) +
                        " characters, not " + std::to_string(e.min_length);
                break;
            }
        }
        report_at(segment_, kError, "envelope", "ISA", "ISA", "",
                  "the ISA header is " + std::to_string(seg_end - p + 1) +
                      " characters long, not 106: its elements have fixed widths" + which);
    }
    return seg_end + 1;
}

// ---- one segment ----

void Engine::segment(const char* begin, const char* end) {
    ++segment_;
    gap_ = 0;
    // Split into elements; past the last one the guide can have, the rest
    // stays in the last.
    int n = 0;
    bool too_many = false;
    begin_[0] = begin;
    const char sep = separator_;
    for (const char* q = begin; q < end; ++q) {
        if (*q == sep) {
            if (n == kMaxElements) {
                too_many = true;
                break;
            }
            end_[n] = q;
            begin_[++n] = q + 1;
        }
    }
    end_[n] = end;
    elements_ = n + 1;

    if (!notes_.empty()) {
        for (Finding& f : notes_) {
            f.segment = segment_;
            f.file = file_;
            sink_.found(std::move(f));
        }
        notes_.clear();
    }

    const std::string_view id = element(0);
    std::uint16_t sid = t_->id_of(id);
    if (!fixed_ && (sid == isa_id_ || sid == gs_id_)) [[unlikely]] {
        if (sid == isa_id_) {
            // Each interchange starts in the guide of its version (ISA12), so
            // that its ISA is checked as that version has it.
            if (depth_ > 0) close_all();
            choose_version_guide();
            sid = isa_id_;
        } else if (depth_ == 1 && choose_guide()) {
            sid = gs_id_;
        }
    }
    current_ = nullptr;
    if (sid == kUnknownId) {
        bool shaped = id.size() >= 2 && id.size() <= 3;
        for (char c : id) shaped = shaped && ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'));
        report_at(segment_, kError, "unknown-segment", current_loop(),
                  shaped ? id : std::string_view(), "",
                  shaped ? "segment " + std::string(id) + " is not part of an 837 Professional"
                         : "not a segment: " + quoted(std::string_view(begin, std::min<std::size_t>(
                                                                          static_cast<std::size_t>(end - begin), 40))) +
                               " (is the segment terminator " + quoted(std::string_view(&terminator_, 1)) +
                               " inside a value?)");
        return;
    }
    if (too_many) report(kError, "elements", nullptr, "", "more than " + std::to_string(kMaxElements) + " elements");

    Target target;
    if (sid == isa_id_ || depth_ == 0) {
        if (sid != isa_id_) {
            report_unplaced(sid);
            return;
        }
        start_interchange();
        current_ = &t_->checks[static_cast<std::size_t>(t_->nodes[0].children[0].check)];
        read_repetition_separator();
    } else if (locate(sid, target)) {
        // A position taken by a qualifier no position has (!target.exact):
        // checking its elements reports the code.
        current_ = &enter(target);
    } else {
        report_unplaced(sid);
        return;
    }
    check_elements(*current_);
    for (std::uint8_t r = 0; r < current_->rule_count; ++r) current_->rules[r](*this, *current_);
    last_ = current_;
}

std::string_view Engine::qualifier_value(const SegmentCheck& c) const {
    std::string_view v = element(c.qualifier);
    if (c.qualifier_in_composite) v = v.substr(0, v.find(component_));
    return v;
}

void Engine::read_repetition_separator() {
    repetition_ = 0;
    const auto& elements = current_->elements;
    if (elements.size() < 11 || elements[10].declares != DeclaredDelimiter::Repetition) return;
    const std::string_view v = element(11);
    if (v.size() != 1) return;  // its width is reported as any ISA width is
    const char c = v[0];
    const bool punctuation = !((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                               c == ' ' || static_cast<unsigned char>(c) < 0x20);
    if (!punctuation || c == separator_ || c == component_ || c == terminator_) {
        report(kError, "envelope", current_, guide::reference("ISA", 11),
               "ISA11 " + quoted(v) + " is the repetition separator: it must be a punctuation character other than "
               "the data element separator, the component separator and the segment terminator");
        return;
    }
    repetition_ = c;
    char_class_[static_cast<unsigned char>(c)] |= kRepetitionSeparator;
}

bool Engine::qualifies(const SegmentCheck& c) const {
    return !c.qualifier || c.qualifier_codes->contains(qualifier_value(c));
}

bool Engine::locate(std::uint16_t id, Target& target) const {
    int loose_level = -1;
    int loose_child = -1;
    for (int level = depth_ - 1; level >= 0; --level) {
        const Frame& f = frames_[static_cast<std::size_t>(level)];
        const Node& n = t_->nodes[static_cast<std::size_t>(f.node)];
        const std::uint32_t at = n.candidates_at[id];
        const std::uint32_t count = at >> 24;
        if (!count) continue;
        const std::uint8_t* c = n.candidates.data() + (at & 0xFFFFFF);
        const int start = n.group_start[static_cast<std::size_t>(f.child)];
        for (std::uint32_t k = 0; k < count; ++k) {
            const int j = c[k];
            // A loop's first segment begins its next occurrence: it is found
            // one level up, never as a repeat inside the loop.
            if (j < start || j == 0) continue;
            const Node::Child& child = n.children[static_cast<std::size_t>(j)];
            if (qualifies(t_->checks[static_cast<std::size_t>(child.first_check)])) {
                target = {level, j, true};
                return true;
            }
            if (loose_level < 0) {
                loose_level = level;
                loose_child = j;
            }
        }
    }
    if (loose_level < 0) return false;
    // A qualifier that no position of this segment ID takes anywhere is a bad
    // code in the nearest position; one that another position takes means the
    // segment is out of place.
    for (const SegmentCheck& c : t_->checks) {
        if (c.id == id && c.qualifier && c.qualifier_codes->contains(qualifier_value(c))) return false;
    }
    target = {loose_level, loose_child, false};
    return true;
}

void Engine::start_interchange() {
    if (depth_ > 0) close_all();
    Frame& f = frames_[0];
    f.node = 0;
    f.child = 0;
    f.seen = 1;
    f.reported = 0;
    std::memset(f.count, 0, sizeof f.count);
    f.count[0] = 1;
    depth_ = 1;
    state_.groups = 0;
}

const SegmentCheck& Engine::enter(const Target& target) {
    while (depth_ - 1 > target.level) close_frame();
    Frame& f = frames_[static_cast<std::size_t>(target.level)];
    const Node& n = t_->nodes[static_cast<std::size_t>(f.node)];
    const std::size_t j = static_cast<std::size_t>(target.child);
    const std::uint64_t missing = n.required & n.before[j] & ~f.seen & ~f.reported;
    if (missing) {
        report_missing(f, missing);
        f.reported |= missing;
    }
    f.seen |= std::uint64_t{1} << j;
    if (f.count[j] != 0xFFFF) ++f.count[j];
    f.child = target.child;
    const Node::Child& c = n.children[j];
    const SegmentCheck& check = t_->checks[static_cast<std::size_t>(c.first_check)];
    if (c.max && f.count[j] > c.max && f.count[j] != 0xFFFF) {
        if (c.node >= 0) {
            const guide::Loop& loop = *t_->nodes[static_cast<std::size_t>(c.node)].loop;
            report(kError, "repeat", &check, "",
                   "loop " + std::string(loop.shown) + " (" + std::string(loop.name) + ") occurs " +
                       std::to_string(f.count[j]) + " times in this " + std::string(n.loop->shown) +
                       "; the guide allows " + std::to_string(c.max));
        } else {
            report(kError, "repeat", &check, "",
                   std::string(check.segment->id) + " (" + std::string(check.segment->name) + ") occurs " +
                       std::to_string(f.count[j]) + " times in this " + std::string(n.loop->shown) +
                       "; the guide allows " + std::to_string(c.max));
        }
    }
    if (c.node >= 0) {
        Frame& inner = frames_[static_cast<std::size_t>(target.level + 1)];
        inner.node = c.node;
        inner.child = 0;
        inner.seen = 1;
        inner.reported = 0;
        std::memset(inner.count, 0, sizeof inner.count);
        inner.count[0] = 1;
        inner.hl_segment = 0;
        inner.hl_id[0] = 0;
        inner.hl04 = 0;
        inner.has_child_level = false;
        inner.self_subscriber = false;
        depth_ = target.level + 2;
        const Node& node = t_->nodes[static_cast<std::size_t>(c.node)];
        if (node.hl_level || node.claim) loop_begun(inner, node, check);
    }
    return check;
}

void Engine::close_frame() {
    Frame& f = frames_[static_cast<std::size_t>(depth_ - 1)];
    const Node& n = t_->nodes[static_cast<std::size_t>(f.node)];
    const std::uint64_t missing = n.required & ~f.seen & ~f.reported;
    if (missing) report_missing(f, missing);
    if (n.hl_level || n.claim) loop_ended(f, n);
    --depth_;
}

void Engine::close_all() {
    while (depth_ > 0) close_frame();
}

void Engine::end() {
    if (!in_file_) return;
    if (mode_ == Mode::Start && !not_x12_) {
        not_x12_ = true;
        report_at(0, kError, "not-x12", "", "", "",
                  segment_ == 0 && carry_.empty() ? "not an X12 interchange: the file is empty"
                                                  : "not an X12 interchange: the file ends inside its ISA header");
    } else if (mode_ == Mode::Interchange) {
        bool only_space = true;
        for (char c : carry_) only_space = only_space && (c == '\n' || c == '\r' || c == ' ');
        if (!only_space) {
            report_at(segment_ + 1, kError, "terminator", "", "", "",
                      "the file ends inside a segment: " +
                          quoted(std::string_view(carry_).substr(0, std::min<std::size_t>(carry_.size(), 40))) +
                          " has no terminator " + quoted(std::string_view(&terminator_, 1)));
        }
        close_all();
    }
    carry_.clear();
    in_file_ = false;
}

// ---- loops with rules of their own ----

void Engine::loop_begun(Frame& frame, const Node& node, const SegmentCheck& first) {
    if (node.claim) {
        state_.clm_segment = segment_;
        state_.totals_known = false;
        state_.clm_total = state_.lines_total = 0;
        state_.lines = 0;
        state_.diagnoses = 0;
        state_.hi_seen = false;
        state_.icd9_segment = 0;
        state_.claim_pending.rule = nullptr;
        state_.lx_next = 1;
        return;
    }
    frame.hl_segment = segment_;
    if (node.hl_parent >= 0) {
        Frame& parent = frames_[static_cast<std::size_t>(t_->nodes[static_cast<std::size_t>(node.hl_parent)].depth)];
        parent.has_child_level = true;
        if (node.patient && parent.self_subscriber) {
            report(kWarning, "patient", &first, "",
                   "a patient level follows a subscriber whose SBR02 is 18 (the subscriber is the patient): "
                   "either leave SBR02 empty or write the claim under the subscriber, without this 2000C");
        }
    }
}

void Engine::loop_ended(Frame& frame, const Node& node) {
    if (node.claim) {
        const RuleState& s = state_;
        if (s.totals_known && s.lines > 0 && s.clm_total != s.lines_total) {
            report_at(s.clm_segment, kWarning, "claim-total", "2300", "CLM", "CLM02",
                      "the claim total is " + format_millionths(s.clm_total) + " but its service lines (SV102) add up to " +
                          format_millionths(s.lines_total));
        }
        if (s.claim_pending.rule) {
            report_at(s.claim_pending.segment, kError, s.claim_pending.rule, "2300", "CLM", s.claim_pending.element,
                      s.claim_pending.message);
        }
        return;
    }
    const char* level = node.subscriber ? "subscriber" : node.patient ? "patient" : "billing provider";
    if (frame.hl04 == '1' && !frame.has_child_level) {
        report_at(frame.hl_segment, kError, "hierarchy", node.loop->shown, "HL", "HL04",
                  std::string("HL04 is 1 but no level follows under this ") + level + " level (HL " +
                      quoted(frame.hl_id) + "): write 0");
    } else if (frame.hl04 == '0' && frame.has_child_level) {
        report_at(frame.hl_segment, kError, "hierarchy", node.loop->shown, "HL", "HL04",
                  std::string("HL04 is 0 but a level follows under this ") + level + " level (HL " +
                      quoted(frame.hl_id) + "): write 1");
    }
    if (node.subscriber && !frame.has_child_level && !frame.self_subscriber) {
        report_at(frame.hl_segment, kWarning, "patient", node.loop->shown, "HL", "",
                  "no patient level (2000C) follows this subscriber, so the subscriber is the patient: SBR02 "
                  "should be 18");
    }
}

// ---- elements ----

void Engine::check_elements(const SegmentCheck& c) {
    const int count = static_cast<int>(c.elements.size());
    std::uint64_t present = 0;
    const int last = elements_ - 1;
    if (last > count) {
        report(kError, "elements", &c, guide::reference(c.segment->id, count + 1),
               std::string(c.segment->id) + " has " + std::to_string(last) + " elements; the guide defines " +
                   std::to_string(count));
    }
    if (last > 0 && end_[last] == begin_[last]) {
        report(kError, "elements", &c, "",
               "the segment ends with an empty element: trailing separators " +
                   quoted(std::string_view(&separator_, 1)) + " are not allowed");
    }
    const int upto = std::min(last, count);
    for (int k = 1; k <= upto; ++k) {
        const std::string_view v = element(k);
        if (v.empty()) continue;
        present |= std::uint64_t{1} << k;
        const ElementCheck& e = c.elements[static_cast<std::size_t>(k - 1)];
        if (e.usage == guide::Usage::N) {
            report(kError, "not-used", &c, guide::reference(c.segment->id, k),
                   std::string(c.segment->id) + (k < 10 ? "0" : "") + std::to_string(k) + " (" + describe(*e.element) +
                       ") is not used in " + std::string(c.segment->loop->shown) + ", but holds " + quoted(v));
            continue;
        }
        if (e.composite) {
            // Split into components.
            const char* p = v.data();
            const char* const stop = p + v.size();
            int m = 0;
            bool any = false;
            std::uint64_t components_present = 0;
            while (true) {
                const void* found = std::memchr(p, component_, static_cast<std::size_t>(stop - p));
                const char* q = found ? static_cast<const char*>(found) : stop;
                ++m;
                const std::string_view part(p, static_cast<std::size_t>(q - p));
                if (m > e.component_count) {
                    report(kError, "elements", &c, guide::reference(c.segment->id, k),
                           guide::reference(c.segment->id, k) + " has more than " +
                               std::to_string(e.component_count) + " components");
                    break;
                }
                if (!part.empty()) {
                    any = true;
                    components_present |= std::uint64_t{1} << m;
                    const ElementCheck& ce = c.components[e.first_component + static_cast<std::size_t>(m - 1)];
                    if (ce.usage == guide::Usage::N) {
                        report(kError, "not-used", &c, guide::reference(c.segment->id, k, m),
                               guide::reference(c.segment->id, k, m) + " (" + describe(*ce.element) +
                                   ") is not used, but holds " + quoted(part));
                    } else {
                        check_value(c, ce, part, k, m);
                    }
                }
                if (!found) break;
                p = q + 1;
            }
            if (any) {
                for (int m2 = 1; m2 <= e.component_count; ++m2) {
                    const ElementCheck& ce = c.components[e.first_component + static_cast<std::size_t>(m2 - 1)];
                    if (ce.usage == guide::Usage::R && !(components_present & (std::uint64_t{1} << m2))) {
                        report(kError, "required-element", &c, guide::reference(c.segment->id, k, m2),
                               "required " + guide::reference(c.segment->id, k, m2) + " (" + describe(*ce.element) +
                                   ") is missing");
                    }
                }
            }
            continue;
        }
        check_value(c, e, v, k, 0);
    }
    if (const std::uint64_t missing = c.required & ~present) [[unlikely]] {
        for (int k = 1; k <= count; ++k) {
            if (!(missing & (std::uint64_t{1} << k))) continue;
            const ElementCheck& e = c.elements[static_cast<std::size_t>(k - 1)];
            report(kError, "required-element", &c, guide::reference(c.segment->id, k),
                   "required " + guide::reference(c.segment->id, k) + " (" + describe(*e.element) + ") is missing");
        }
    }
    for (const SyntaxCheck& s : c.syntax) {
        const std::uint64_t have = present & s.all;
        bool ok = true;
        const char* rule = "";
        switch (s.note->kind) {
            case 'P': ok = have == 0 || have == s.all; rule = "either all or none of"; break;
            case 'R': ok = have != 0; rule = "at least one of"; break;
            case 'C': ok = !(have & s.first) || have == s.all; rule = "when the first is present, all of"; break;
            case 'L': ok = !(have & s.first) || (have & ~s.first) != 0; rule = "when the first is present, at least one more of"; break;
            case 'E': ok = (have & (have - 1)) == 0; rule = "at most one of"; break;
        }
        if (!ok) {
            std::string names;
            for (std::size_t i = 0; i < s.note->positions.size(); ++i) {
                names += (i == 0 ? "" : i + 1 == s.note->positions.size() ? " and " : ", ") +
                         guide::reference(c.segment->id, s.note->positions[i]);
            }
            report(kError, "syntax", &c, "",
                   std::string("syntax note ") + s.note->kind + std::string(s.note->text) + ": " + rule + " " + names +
                       " must be present");
        }
    }
}

void Engine::check_value(const SegmentCheck& c, const ElementCheck& e, std::string_view v, int k, int m) {
    // One pass over the characters: any outside the X12 set, and the
    // component separator, which splits only a composite (ISA16 is it).
    unsigned flags = 0;
    for (unsigned char ch : v) flags |= char_class_[ch];
    if (flags && e.declares == DeclaredDelimiter::None) [[unlikely]] {
        if ((flags & kComponentSeparator) && c.id != isa_id_) return value_finding(c, e, v, k, m, Problem::Delimiter);
        if (flags & kRepetitionSeparator) return value_finding(c, e, v, k, m, Problem::Repetition);
        if (flags & kOutsideCharacterSet) return value_finding(c, e, v, k, m, Problem::Characters);
    }
    std::size_t length = v.size();
    switch (e.type) {
        case guide::DataType::AN:
        case guide::DataType::ID:
            if (v.back() == ' ' && c.id != isa_id_) [[unlikely]] value_finding(c, e, v, k, m, Problem::Spaces);
            break;
        case guide::DataType::N0:
        case guide::DataType::N2:
            if (!is_integer(v, length)) [[unlikely]] return value_finding(c, e, v, k, m, Problem::Integer);
            // X12 allows a number a sign, but every N0 element of the guide
            // counts, numbers or identifies something (segments, sets, groups,
            // lines, diagnoses, control numbers): none of them is negative.
            if (e.type == guide::DataType::N0 && v[0] == '-') [[unlikely]] {
                return value_finding(c, e, v, k, m, Problem::Negative);
            }
            break;
        case guide::DataType::R:
            if (!is_decimal(v, length)) [[unlikely]] return value_finding(c, e, v, k, m, Problem::Decimal);
            break;
        case guide::DataType::DT:
            if (!is_date(v) || v.size() < e.min_length || v.size() > e.max_length) [[unlikely]] {
                return value_finding(c, e, v, k, m, Problem::Date);
            }
            break;
        case guide::DataType::TM:
            if (!is_time(v) || v.size() < e.min_length || v.size() > e.max_length) [[unlikely]] {
                return value_finding(c, e, v, k, m, Problem::Time);
            }
            break;
    }
    if (length < e.min_length || length > e.max_length) [[unlikely]] {
        value_finding(c, e, v, k, m, Problem::Length, length);
    }
    if (e.codes && !e.codes->contains(v)) [[unlikely]] value_finding(c, e, v, k, m, Problem::Code);
    if (e.rule == ValueRule::DatePeriod) check_date_period(c, e, v, k);
}

// The finding about a value, out of the way of check_value's usual path.
void Engine::value_finding(const SegmentCheck& c, const ElementCheck& e, std::string_view v, int k, int m,
                           Problem problem, std::size_t length) {
    const std::string ref = guide::reference(c.segment->id, k, m);
    switch (problem) {
        case Problem::Delimiter:
            report(kError, "delimiter", &c, ref,
                   quoted(v) + " holds the component separator " + quoted(std::string_view(&component_, 1)) +
                       ", but " + ref + " is no composite: the value is split there");
            return;
        case Problem::Repetition:
            report(kError, "delimiter", &c, ref,
                   quoted(v) + " holds the repetition separator " + quoted(std::string_view(&repetition_, 1)) +
                       " (ISA11), but " + ref + " is no repeated element: a reader splits the value there");
            return;
        case Problem::Characters:
            for (char ch : v) {
                if (char_class_[static_cast<unsigned char>(ch)] & kOutsideCharacterSet) {
                    report(kError, "characters", &c, ref,
                           quoted(v) + " holds a character outside the X12 character set (" +
                               quoted(std::string_view(&ch, 1)) + ")");
                    return;
                }
            }
            return;
        case Problem::Spaces: report(kError, "characters", &c, ref, quoted(v) + " ends with spaces: remove them"); return;
        case Problem::Integer:
            report(kError, "type", &c, ref, quoted(v) + " is not a whole number (" + describe(*e.element) + ")");
            return;
        case Problem::Negative:
            report(kError, "type", &c, ref,
                   quoted(v) + " is negative: " + describe(*e.element) + " is never below 0");
            return;
        case Problem::Decimal:
            report(kError, "type", &c, ref,
                   quoted(v) + " is not a decimal number such as 110 or 110.50 (" + describe(*e.element) + ")");
            return;
        case Problem::Date:
            report(kError, "date", &c, ref,
                   quoted(v) + " is not a date " + (e.min_length == 6 ? "YYMMDD" : "CCYYMMDD") + " (" +
                       describe(*e.element) + ")");
            return;
        case Problem::Time:
            report(kError, "time", &c, ref,
                   quoted(v) + " is not a time HHMM" + (e.max_length > 4 ? "[SS[DD]]" : "") + " (" +
                       describe(*e.element) + ")");
            return;
        case Problem::Length: {
            const bool digits = e.type != guide::DataType::AN && e.type != guide::DataType::ID;
            report(kError, "length", &c, ref,
                   quoted(v) + " has " + std::to_string(length) + (digits ? " digits" : " characters") + "; " +
                       describe(*e.element) + " takes " + length_text(e));
            return;
        }
        case Problem::Code:
            report(kError, "code", &c, ref,
                   quoted(v) + " is not a code of " + describe(*e.element) + ": " + codes_text(*e.codes));
            return;
    }
}

void Engine::check_date_period(const SegmentCheck& c, const ElementCheck& e, std::string_view v, int k) {
    const std::string_view format = element(e.format_element);
    auto ref = [&] { return guide::reference(c.segment->id, k); };
    if (format == "D8") {
        if (!is_date(v) || v.size() != 8) {
            report(kError, "date", &c, ref(), quoted(v) + " is not a date CCYYMMDD, as " +
                                                guide::reference(c.segment->id, e.format_element) + " D8 says");
        }
    } else if (format == "RD8") {
        const std::size_t dash = v.find('-');
        const std::string_view from = v.substr(0, dash);
        const std::string_view to = dash == std::string_view::npos ? std::string_view() : v.substr(dash + 1);
        if (dash == std::string_view::npos || !is_date(from) || !is_date(to) || from.size() != 8 || to.size() != 8) {
            report(kError, "date", &c, ref(),
                   quoted(v) + " is not a date range CCYYMMDD-CCYYMMDD, as " +
                       guide::reference(c.segment->id, e.format_element) + " RD8 says");
        } else if (from > to) {
            report(kWarning, "date", &c, ref(), "the range " + quoted(v) + " ends before it begins");
        }
    }
}

// ---- findings ----

std::string Engine::where() const {
    if (!last_) return "the start of the interchange";
    return place(*last_);
}

void Engine::report(Finding::Severity severity, const char* rule, const SegmentCheck* position, std::string element,
                    std::string message) {
    std::string_view loop, id;
    if (position) {
        loop = position->segment->loop->shown;
        id = position->segment->id;
    } else if (current_) {
        loop = current_->segment->loop->shown;
        id = current_->segment->id;
    }
    report_at(segment_, severity, rule, loop, id, std::move(element), std::move(message));
}

void Engine::report_at(std::uint64_t segment, Finding::Severity severity, const char* rule, std::string_view loop,
                       std::string_view id, std::string element, std::string message) {
    Finding f;
    f.file = file_;
    f.segment = segment;
    f.loop = std::string(loop);
    f.segment_id = std::string(id);
    f.element = std::move(element);
    f.severity = severity;
    f.rule = rule;
    f.message = std::move(message);
    sink_.found(std::move(f));
}

void Engine::report_missing(const Frame& frame, std::uint64_t missing) {
    const Node& n = t_->nodes[static_cast<std::size_t>(frame.node)];
    for (std::size_t j = 0; j < n.children.size(); ++j) {
        if (!(missing & (std::uint64_t{1} << j))) continue;
        const Node::Child& c = n.children[j];
        const SegmentCheck& first = t_->checks[static_cast<std::size_t>(c.first_check)];
        if (c.node >= 0) {
            const guide::Loop& loop = *t_->nodes[static_cast<std::size_t>(c.node)].loop;
            report_at(segment_, kError, "required-loop", n.loop->shown, first.segment->id, "",
                      "required loop " + std::string(loop.shown) + " (" + std::string(loop.name) + ") is missing in " +
                          std::string(n.loop->shown) + (segment_ ? " before this segment" : ""));
        } else {
            report_at(segment_, kError, "required-segment", n.loop->shown, first.segment->id, "",
                      "required segment " + std::string(first.segment->id) + " (" + std::string(first.segment->name) +
                          ") is missing in " + std::string(n.loop->shown));
        }
    }
}

std::string_view Engine::current_loop() const {
    if (depth_ == 0) return {};
    return t_->nodes[static_cast<std::size_t>(frames_[static_cast<std::size_t>(depth_ - 1)].node)].loop->shown;
}

void Engine::report_unplaced(std::uint16_t id) {
    const std::string_view name = t_->ids[id];
    report_at(segment_, kError, "placement", current_loop(), name, "",
              "segment " + std::string(name) + " is not expected after " + where() +
                  " (out of order, repeated, or in the wrong loop)");
}

}  // namespace prjVireo::checking
