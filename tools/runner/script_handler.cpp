#include "vireo/tools/runner/script_handler.h"

#include <ostream>

#include <nlohmann/json.hpp>

#include "vireo/guide/guide.h"
#include "vireo/tools/runner/script_messages.h"
#include "vireo/tools/runner/script_names.h"

namespace vireo_runner {

using namespace prjVireo;
using json = nlohmann::json;

template <class Fn>
bool ScriptHandler::attempt(Fn&& fn) {
    if (failed_) return false;
    try {
        fn();
        return true;
    } catch (const RunError& e) {
        return fail(e.what());
    } catch (const VbError& e) {
        return fail("error " + std::to_string(e.number()) + ": " + e.what());
    } catch (const std::exception& e) {
        return fail(e.what());
    }
}

ScriptHandler::ScriptHandler(const RunOptions& options, std::ostream& err, const ScriptPlace& place,
                             const ScriptInput& input, Clock::time_point started)
    : options_(options), err_(err), place_(place), input_(input), started_(started), last_progress_(started),
      progress_countdown_(options.progress ? kProgressStride + 1 : 0) {
    make_parts(options.catalogue ? *options.catalogue : catalogue::professional_4010());
}

void ScriptHandler::make_parts(const catalogue::Catalogue& catalogue) {
    // Made again only before the steps begin: the old parts opened nothing.
    parts_.reset();
    parts_ = std::make_unique<Parts>(options_, catalogue, err_);
    control_ = &parts_->control;
    output_ = &parts_->output;
    rows_ = &parts_->rows;
    if (!output_named_.empty()) output_->named_by_script(output_named_);
    if (auto_named_) control_->auto_bookkeeping(true);
    if (options_.trace) {
        control_->control().BeforeAdd.connect([this](std::string& value, std::int32_t& count, std::int16_t&) {
            nlohmann::ordered_json line = {{"step", step_}, {"SegValue", value}, {"SegCount", count}};
            err_ << line.dump(-1, ' ', false, json::error_handler_t::replace) << '\n';
        });
    }
}

void ScriptHandler::choose_guide(std::string_view id) {
    const guide::Guide* chosen = guide::find_guide(id);
    if (!chosen) {
        throw RunError("\"guide\": " + quoted_excerpt(id) + " is no guide vireo knows; it knows " +
                       guide::known_guides());
    }
    const catalogue::Catalogue* writes = catalogue::find_catalogue(chosen->id());
    if (!writes) {
        throw RunError("\"guide\": vireo knows the guide " + std::string(chosen->id()) +
                       " but no catalogue of its classes");
    }
    if (writes == &control_->catalogue()) return;
    if (options_.catalogue) {
        throw RunError("\"guide\": the script writes " + std::string(chosen->id()) + ", but this run's control is of " +
                       std::string(options_.catalogue->name()));
    }
    make_parts(*writes);
}

bool ScriptHandler::finish() {
    if (failed_) return false;
    return attempt([&] {
        if (!steps_seen_) throw RunError("the script has no \"steps\"");
        // An empty list is a query that found nothing: an 837 of no segments
        // is no claim file, and OUTPUT keeps what it held.
        if (step_ == 0) throw RunError("the script's \"steps\" are empty: there is nothing to write");
        output_->commit();
    });
}

void ScriptHandler::malformed(const std::string& where, const std::string& what) {
    report(where, "malformed JSON: " + what);
}

bool ScriptHandler::names_a_step(std::string_view key) const {
    return same_name(key, kSet) || same_name(key, kClear) || same_name(key, kAssign) ||
           same_name(key, kAdditem) || same_name(key, kColumns) || control_->indexes().slots.find(key).has_value();
}

bool ScriptHandler::begin_steps(bool lines) {
    return attempt([&] {
        if (lines) {
            steps_seen_ = true;
            output_->open();
            frames_.push_back(Frame::Steps);
        } else {
            if (expect_ != Expect::StepList) throw RunError(what_expected(expect_) + ", not an array");
            expect_ = Expect::Nothing;
            if (steps_seen_) throw RunError("\"steps\" appears twice");
            steps_seen_ = true;
            output_->open();
            frames_.push_back(Frame::Steps);
        }
    });
}

bool ScriptHandler::end_steps() {
    return attempt([&] { frames_.pop_back(); });
}

void ScriptHandler::begin_step() {
    // The clock is read every kProgressStride steps, and only for a run
    // that shows its progress.
    if (progress_countdown_ != 0 && --progress_countdown_ == 0) report_progress();
    ++step_;
    in_step_ = true;
}

bool ScriptHandler::boolean(bool v) {
    Scalar s(Scalar::Boolean);
    s.boolean = v;
    return scalar(s);
}

bool ScriptHandler::number_integer(std::int64_t v) {
    Scalar s(Scalar::Integer);
    s.integer = v;
    return scalar(s);
}

bool ScriptHandler::number_unsigned(std::uint64_t v) {
    Scalar s(Scalar::Unsigned);
    s.unsigned_integer = v;
    return scalar(s);
}

bool ScriptHandler::number_float(double v, std::string_view text) {
    Scalar s(Scalar::Float);
    s.number = v;
    s.text = text;
    return scalar(s);
}

bool ScriptHandler::string(std::string_view v) {
    Scalar s(Scalar::String);
    s.text = v;
    return scalar(s);
}

bool ScriptHandler::start_object() {
    return attempt([&] { open_container(true); });
}

bool ScriptHandler::end_object() {
    return attempt([&] { close_container(); });
}

bool ScriptHandler::start_array() {
    return attempt([&] { open_container(false); });
}

bool ScriptHandler::end_array() {
    return attempt([&] { close_container(); });
}

bool ScriptHandler::key(std::string_view k) {
    return attempt([&] { on_key(k); });
}

bool ScriptHandler::fail(const std::string& message) {
    report(place_.where(), message);
    return false;
}

void ScriptHandler::report(const std::string& where, const std::string& message) {
    if (failed_) return;
    failed_ = true;
    std::string context;
    if (in_step_) {
        context = "step " + std::to_string(step_) + ": ";
    } else if (step_ > 0) {
        context = "after step " + std::to_string(step_) + ": ";
    }
    // A message may quote a name from outside (a path in an error of the
    // file system): nothing in it reaches the terminal as a control.
    err_ << shown_name(options_.script_name) << ":" << where << ": " << context
         << escaped_controls(message, false) << '\n';
    output_->close_quietly();
}

void ScriptHandler::report_progress() {
    progress_countdown_ = kProgressStride;
    const Clock::time_point now = Clock::now();
    if (std::chrono::duration<double>(now - last_progress_).count() < options_.progress_interval) return;
    last_progress_ = now;
    RunProgress progress;
    progress.steps = step_;
    progress.segments = control_->segments_written();
    progress.script_bytes = input_.bytes_read();
    progress.output_bytes = ScriptControl::output_size();
    progress.seconds = std::chrono::duration<double>(now - started_).count();
    options_.progress(progress);
}

void ScriptHandler::open_container(bool is_object) {
    const Expect expect = expect_;
    expect_ = Expect::Nothing;
    if (!frames_.empty() && top() == Frame::Skip) {
        ++skip_depth_;
        return;
    }
    if (expect == Expect::Comment) {
        frames_.push_back(Frame::Skip);
        skip_depth_ = 1;
        return;
    }
    if (!frames_.empty() && top() == Frame::Steps) {
        if (!is_object) {
            // A row: the segment object property, then its columns' values.
            rows_->begin_row();
            frames_.push_back(Frame::Row);
            return;
        }
        step_action_.clear();
        frames_.push_back(Frame::Step);
        return;
    }
    if (!frames_.empty() && (top() == Frame::Row || top() == Frame::ColumnList)) {
        throw RunError(top() == Frame::Row ? rows_->value_text() + ", not " + (is_object ? "an object" : "an array")
                                           : std::string("\"columns\" names fields with strings, not ") +
                                                 (is_object ? "an object" : "an array"));
    }
    if (!is_object) {
        if (expect != Expect::ColumnList) throw RunError(what_expected(expect) + ", not an array");
        rows_->begin_columns(slot_);
        frames_.push_back(Frame::ColumnList);
        return;
    }
    switch (expect) {
        case Expect::Root: frames_.push_back(Frame::Root); return;
        case Expect::Segment:
            control_->segment(slot_).Clear();
            additem_on_close_ = true;
            begin_fields();
            return;
        case Expect::AssignFields:
            additem_on_close_ = false;
            begin_fields();
            return;
        case Expect::SetObject: frames_.push_back(Frame::Set); return;
        case Expect::AssignObject: frames_.push_back(Frame::Assign); return;
        case Expect::ColumnsObject: frames_.push_back(Frame::Columns); return;
        default: throw RunError(what_expected(expect) + ", not an object");
    }
}

void ScriptHandler::begin_fields() {
    fields_named_.assign(control_->field_count(slot_), false);
    frames_.push_back(Frame::Fields);
}

void ScriptHandler::close_container() {
    const Frame frame = top();
    if (frame == Frame::Skip && --skip_depth_ > 0) return;
    frames_.pop_back();
    switch (frame) {
        case Frame::Fields:
            if (additem_on_close_) control_->additem(slot_);
            break;
        case Frame::Row: rows_->end_row(); break;
        case Frame::Step:
            if (step_action_.empty() && !step_commented_) throw RunError("the step is empty");
            step_commented_ = false;
            break;
        case Frame::Root:
            if (!steps_seen_) throw RunError("the script has no \"steps\"");
            break;
        default: break;
    }
}

void ScriptHandler::on_key(std::string_view k) {
    switch (top()) {
        case Frame::Skip: return;
        case Frame::Root:
            if (k == "output") {
                expect_ = Expect::Output;
            } else if (k == "guide") {
                expect_ = Expect::Guide;
            } else if (k == "auto") {
                expect_ = Expect::Auto;
            } else if (k == "steps") {
                expect_ = Expect::StepList;
            } else if (k == "$schema") {
                expect_ = Expect::SchemaLink;
            } else if (k == kComment) {
                expect_ = Expect::Comment;
            } else {
                throw RunError("unknown script member " + quoted_excerpt(k) +
                               did_you_mean(k, {"output", "guide", "auto", "steps", "$schema"}) +
                               "; a script has \"output\", \"guide\", \"auto\" and \"steps\"");
            }
            return;
        case Frame::Step: {
            if (k == kComment) {
                step_commented_ = true;
                expect_ = Expect::Comment;
                return;
            }
            if (!step_action_.empty()) {
                throw RunError("a step does one thing, but this one has both " +
                               excerpt_of(step_action_, step_action_size_) + " and " + quoted_excerpt(k));
            }
            // Kept for that message only: its start and its length, never a huge name.
            step_action_.assign(k.substr(0, kExcerptSize + 1));
            step_action_size_ = k.size();
            if (same_name(k, kSet)) {
                expect_ = Expect::SetObject;
            } else if (same_name(k, kAssign)) {
                expect_ = Expect::AssignObject;
            } else if (same_name(k, kClear)) {
                expect_ = Expect::ClearName;
            } else if (same_name(k, kAdditem)) {
                expect_ = Expect::AdditemName;
            } else if (same_name(k, kColumns)) {
                expect_ = Expect::ColumnsObject;
            } else {
                slot_ = control_->resolve_slot(k, true);
                expect_ = Expect::Segment;
            }
            return;
        }
        case Frame::Set: {
            if (k == kComment) {
                expect_ = Expect::Comment;
                return;
            }
            setting_ = find_setting(control_->catalogue(), k);
            if (!setting_) throw RunError(unknown_setting(control_->catalogue(), k));
            expect_ = Expect::SetValue;
            return;
        }
        case Frame::Columns:
            if (k == kComment) {
                expect_ = Expect::Comment;
                return;
            }
            slot_ = control_->resolve_slot(k, false);
            expect_ = Expect::ColumnList;
            return;
        case Frame::Assign:
            if (k == kComment) {
                expect_ = Expect::Comment;
                return;
            }
            slot_ = control_->resolve_slot(k, false);
            expect_ = Expect::AssignFields;
            return;
        case Frame::Fields: {
            if (k == kComment) {
                expect_ = Expect::Comment;
                return;
            }
            field_ = control_->resolve_field(slot_, k);
            // A field named twice (in any case) would lose its first value.
            if (fields_named_[field_]) {
                throw RunError(control_->field_where(slot_, field_) +
                               " is named twice in one object of fields; each field is set once");
            }
            fields_named_[field_] = true;
            expect_ = Expect::FieldValue;
            return;
        }
        case Frame::Steps:
        case Frame::ColumnList:
        case Frame::Row: return;  // arrays have no keys
    }
}

std::string ScriptHandler::what_expected(Expect e) const {
    switch (e) {
        case Expect::Root: return "a script is a JSON object";
        case Expect::Output: return "\"output\" takes a file name string";
        case Expect::Guide: return "\"guide\" takes a guide id string (" + guide::known_guides() + ")";
        case Expect::Auto: return "\"auto\" takes true or false";
        case Expect::SchemaLink: return "\"$schema\" takes a string";
        case Expect::StepList: return "\"steps\" takes an array of steps";
        case Expect::Segment:
        case Expect::AssignFields:
            return json_quoted(control_->slot_name(slot_)) + " takes an object of fields";
        case Expect::SetObject: return "\"set\" takes an object of control properties";
        case Expect::AssignObject: return "\"assign\" takes an object of segment object properties";
        case Expect::ClearName: return "\"clear\" takes a segment object property name";
        case Expect::AdditemName: return "\"additem\" takes a segment object property name";
        case Expect::ColumnsObject:
            return "\"columns\" takes an object of segment object properties, each with an array of field names";
        case Expect::ColumnList:
            return json_quoted(control_->slot_name(slot_)) + " in \"columns\" takes an array of field names";
        case Expect::SetValue: return setting_value_text(*setting_);
        case Expect::FieldValue: return field_value_text(*control_, slot_, field_);
        default: return "a value is not expected here";
    }
}

bool ScriptHandler::scalar(const Scalar& v) {
    return attempt([&] { on_scalar(v); });
}

void ScriptHandler::on_scalar(const Scalar& v) {
    const Expect expect = expect_;
    expect_ = Expect::Nothing;
    if (!frames_.empty() && top() == Frame::Skip) return;
    if (!frames_.empty() && top() == Frame::Steps) {
        throw RunError("a step is an object, not " + std::string(v.type_name()));
    }
    if (!frames_.empty() && top() == Frame::ColumnList) return rows_->add_column(v);
    if (!frames_.empty() && top() == Frame::Row) return rows_->value(v);
    const auto wrong = [&] { return RunError(what_expected(expect) + ", not " + v.type_name()); };
    switch (expect) {
        case Expect::Comment:
        case Expect::SchemaLink:
            if (expect == Expect::SchemaLink && v.type != Scalar::String) throw wrong();
            return;
        case Expect::Output:
            if (v.type != Scalar::String) throw wrong();
            if (steps_seen_) throw RunError("\"output\" must come before \"steps\"");
            output_->named_by_script(v.text);
            output_named_ = v.text;
            return;
        case Expect::Guide:
            if (v.type != Scalar::String) throw wrong();
            if (steps_seen_) throw RunError("\"guide\" must come before \"steps\"");
            choose_guide(v.text);
            return;
        case Expect::Auto:
            if (v.type != Scalar::Boolean) throw wrong();
            if (steps_seen_) throw RunError("\"auto\" must come before \"steps\"");
            // The command line's --auto stays on whatever the script says.
            auto_named_ = v.boolean || options_.auto_bookkeeping;
            control_->auto_bookkeeping(auto_named_);
            return;
        case Expect::ClearName:
        case Expect::AdditemName:
            if (v.type != Scalar::String) throw wrong();
            slot_ = control_->resolve_slot(v.text, false);
            if (expect == Expect::ClearName) {
                control_->segment(slot_).Clear();
            } else {
                control_->additem(slot_);
            }
            return;
        case Expect::SetValue: return set_property(*control_, *setting_, v);
        case Expect::FieldValue: return set_field(*control_, slot_, field_, v);
        default: throw wrong();
    }
}

}  // namespace vireo_runner
