// The property page: what it reads and writes on the first selected control,
// in which order, with which conversions, and when it counts as changed.
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "vireo/catalogues/professional_5010/control.h"
#include "vireo/control/vireo.h"
#include "test_support.h"
#include "vireo/ui/property_page.h"

using namespace prjVireo;
using vireo_ui::pp1;

namespace {

// A dispatch that records every property read and write before passing it on
// (or answering it itself when it wraps nothing).
class RecordingDispatch final : public Dispatch {
public:
    explicit RecordingDispatch(std::shared_ptr<Dispatch> inner = nullptr) : inner_(std::move(inner)) {}
    DISPID GetIDOfName(std::string_view name) const override {
        return inner_ ? inner_->GetIDOfName(name) : probe_.GetIDOfName(name);
    }
    std::string NameOf(DISPID id) const override { return inner_ ? inner_->NameOf(id) : probe_.NameOf(id); }
    Variant Invoke(DISPID id, InvokeKind kind, std::vector<Variant>& args) override {
        const std::string name = NameOf(id);
        if (kind == InvokeKind::PropertyGet) {
            calls.push_back("get " + name);
            if (!inner_) return answers.count(name) ? answers.at(name) : Variant("");
        } else {
            const Variant& v = args.at(0);
            calls.push_back("put " + name + "=" + (v.type() == VarType::Boolean ? "Boolean " : "") + v.to_string());
            if (!inner_) return {};
        }
        return inner_->Invoke(id, kind, args);
    }

    std::vector<std::string> calls;
    std::map<std::string, Variant> answers;  // when wrapping nothing

private:
    std::shared_ptr<Dispatch> inner_;
    vireo probe_control_;
    ControlDispatch probe_{probe_control_};
};

class PropertyPage : public ::testing::Test {
protected:
    void SetUp() override {
        vireo_test::reset_writer_state();
        control = std::make_unique<vireo>();
        TextPropertyBag bag = TextPropertyBag::parse(
            "DataElementSeparator=\"|\"\nSubelementSeparator=\"^\"\nSegmentTerminator=\"!\"\n"
            "NewLine=2\nAnnotation=True\nFileName=\"claims.837\"\n");
        control->ReadProperties(bag);
        control->SegCount("7");
    }
    void TearDown() override {
        control.reset();
        vireo_test::reset_writer_state();
    }
    // The page showing `control` through a recording dispatch.
    std::shared_ptr<RecordingDispatch> open(pp1& page) {
        auto recorder = std::make_shared<RecordingDispatch>(std::make_shared<ControlDispatch>(*control));
        page.SelectedControls({recorder});
        return recorder;
    }

    std::unique_ptr<vireo> control;
};

TEST_F(PropertyPage, SelectionChangedReadsTheFirstControlInOrder) {
    pp1 page;
    auto recorder = open(page);
    EXPECT_EQ(recorder->calls, (std::vector<std::string>{"get Annotation", "get SegCount", "get SegmentTerminator",
                                                          "get SubelementSeparator", "get DataElementSeparator",
                                                          "get Filename", "get ErrorTrap"}));
    EXPECT_EQ(page.chkAnnotation, vireo_ui::vbChecked);
    EXPECT_EQ(page.txtSegmentCount, "7");
    EXPECT_EQ(page.txtSegmentTerminator, "!");
    EXPECT_EQ(page.txtSubelementSeparator, "^");
    EXPECT_EQ(page.txtDataElementSeparator, "|");
    EXPECT_EQ(page.txtFilename, "claims.837");
    EXPECT_EQ(page.chkErrorTrap, vireo_ui::vbUnchecked);
    EXPECT_FALSE(page.Changed());
}

TEST_F(PropertyPage, CheckBoxesTakeTheLowestBitOfTheProperty) {
    struct Case {
        Variant value;
        int checked;
    };
    const Case cases[] = {
        {Variant::boolean(true), vireo_ui::vbChecked},  {Variant::boolean(false), vireo_ui::vbUnchecked},
        {Variant::integer(1), vireo_ui::vbChecked},     {Variant::integer(2), vireo_ui::vbUnchecked},
        {Variant::integer(3), vireo_ui::vbChecked},     {Variant::integer(-2), vireo_ui::vbUnchecked},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.to_string());
        auto answering = std::make_shared<RecordingDispatch>();
        answering->answers = {{"Annotation", c.value}, {"ErrorTrap", c.value}};
        pp1 page;
        page.SelectedControls({answering});
        EXPECT_EQ(page.chkAnnotation, c.checked);
        EXPECT_EQ(page.chkErrorTrap, c.checked);
    }
}

TEST_F(PropertyPage, ApplyWritesTheFirstControlInOrder) {
    pp1 page;
    auto recorder = open(page);
    recorder->calls.clear();
    page.edit("txtSegmentCount", "41");
    page.edit("chkErrorTrap", "1");
    page.edit("chkAnnotation", "0");
    page.ApplyChanges();
    EXPECT_EQ(recorder->calls,
              (std::vector<std::string>{"put Annotation=Boolean False", "put SegCount=41", "put SegmentTerminator=!",
                                        "put SubelementSeparator=^", "put DataElementSeparator=|",
                                        "put Filename=claims.837", "put ErrorTrap=Boolean True"}));
    EXPECT_EQ(control->Annotation(), 0);
    EXPECT_EQ(control->SegCount(), "41");
    EXPECT_EQ(control->ErrorTrap(), -1);
    EXPECT_FALSE(page.Changed());
}

TEST_F(PropertyPage, ApplyConvertsAsTheControlDoes) {
    struct Case {
        const char* field;
        const char* typed;
        const char* property;
        const char* applied;  // the property's value afterwards, and what the page shows next time
        const char* shown;
    };
    const Case cases[] = {
        {"txtDataElementSeparator", "", "DataElementSeparator", " ", " "},
        {"txtSegmentTerminator", "~x", "SegmentTerminator", "~", "~"},
        {"txtSubelementSeparator", "\xC3\xA9z", "SubelementSeparator", "\xC3\xA9", "\xC3\xA9"},
        {"txtSegmentCount", "abc", "SegCount", "7", "7"},  // not a number: the count stays
        {"txtSegmentCount", " 12.5 ", "SegCount", "12", "12"},
        {"txtSegmentCount", "-3", "SegCount", "-3", "-3"},
        {"txtFilename", "", "Filename", "", ""},
        {"chkAnnotation", "2", "Annotation", "False", "0"},  // greyed is not checked
        {"chkAnnotation", "1", "Annotation", "True", "1"},
        {"chkErrorTrap", "2", "ErrorTrap", "False", "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " = \"" + c.typed + "\"");
        SetUp();
        pp1 page;
        page.SelectedControls(pp1::selection_of({control.get()}));
        page.edit(c.field, c.typed);
        page.ApplyChanges();
        ControlDispatch dispatch(*control);
        EXPECT_EQ(dispatch.get(c.property).to_string(), c.applied);
        pp1 reopened;
        reopened.SelectedControls(pp1::selection_of({control.get()}));
        EXPECT_EQ(reopened.value_of(c.field), c.shown);
    }
}

TEST_F(PropertyPage, OnlyTheFirstOfSeveralControlsIsReadAndWritten) {
    auto second = std::make_shared<RecordingDispatch>();
    auto third = std::make_shared<RecordingDispatch>();
    pp1 page;
    page.SelectedControls({std::make_shared<ControlDispatch>(*control), second, third});
    page.edit("txtDataElementSeparator", "+");
    page.ApplyChanges();
    EXPECT_EQ(control->DataElementSeparator(), "+");
    EXPECT_TRUE(second->calls.empty());
    EXPECT_TRUE(third->calls.empty());
}

TEST_F(PropertyPage, EditsMarkThePageChangedOnce) {
    pp1 page;
    int notified = 0;
    page.on_changed = [&] { ++notified; };
    open(page);
    EXPECT_FALSE(page.Changed());
    EXPECT_EQ(notified, 0);
    for (const auto& c : vireo_ui::kPageControls) {
        if (c.kind == vireo_ui::PageControlKind::Label) continue;
        SCOPED_TRACE(c.name);
        page.SelectionChanged();
        ASSERT_FALSE(page.Changed());
        page.edit(c.name, c.kind == vireo_ui::PageControlKind::CheckBox ? "1" : "x");
        EXPECT_TRUE(page.Changed());
    }
    EXPECT_EQ(notified, 5 + 2);
    page.ApplyChanges();
    EXPECT_FALSE(page.Changed());
}

TEST_F(PropertyPage, RefusesUnknownFieldsAndCheckValues) {
    pp1 page;
    open(page);
    for (const auto& [field, value] : std::vector<std::pair<std::string, std::string>>{
             {"lblFilename", "x"}, {"txtNewLine", "1"}, {"chkAnnotation", "3"}, {"chkErrorTrap", ""}}) {
        SCOPED_TRACE(field + "=" + value);
        EXPECT_EQ(vireo_test::attempt([&] { page.edit(field, value); }).number, vbErrInvalidPropertyValue);
    }
    EXPECT_FALSE(page.Changed());
}

TEST_F(PropertyPage, ARefusedValueStopsTheApplyWhenTheControlTrapsErrors) {
    control->ErrorTrap(-1);
    pp1 page;
    open(page);
    page.edit("chkAnnotation", "0");
    page.edit("txtSegmentCount", "lots");
    page.edit("txtSegmentTerminator", "#");
    EXPECT_EQ(vireo_test::attempt([&] { page.ApplyChanges(); }).number, vbErrTypeMismatch)
        << "applied a count that is not a number";
    EXPECT_EQ(control->Annotation(), 0);           // applied before the count
    EXPECT_EQ(control->SegCount(), "7");
    EXPECT_EQ(control->SegmentTerminator(), "!");  // not reached
    EXPECT_TRUE(page.Changed());
}

TEST_F(PropertyPage, NothingSelected) {
    pp1 page;
    EXPECT_EQ(vireo_test::attempt([&] { page.SelectedControls({}); }).number, vbErrObjectNotSet);
    EXPECT_THROW(page.ApplyChanges(), VbError);
}

// The container's side: a saved control edited on the page and saved again
// keeps the six keys; ErrorTrap and SegCount reach the control but not the file.
TEST_F(PropertyPage, SavedControlKeepsOnlyThePersistedSettings) {
    const std::string path = vireo_test::temp_path(".ctl");
    {
        std::ofstream(path) << "# saved\nSegmentTerminator=\"!\"\nNewLine=1\nFileName=\"a.837\"\n";
    }
    vireo_test::reset_writer_state();
    vireo loaded;
    TextPropertyBag bag = TextPropertyBag::load(path);
    loaded.ReadProperties(bag);
    pp1 page;
    page.SelectedControls(pp1::selection_of({&loaded}));
    page.edit("chkErrorTrap", "1");
    page.edit("txtSegmentCount", "99");
    page.edit("txtDataElementSeparator", "");
    page.edit("chkAnnotation", "1");
    page.ApplyChanges();
    loaded.WriteProperties(bag);
    bag.save(path);
    EXPECT_EQ(loaded.ErrorTrap(), -1);
    EXPECT_EQ(loaded.SegCount(), "99");
    // The comment stays where it was; a new key takes its place in the writing order.
    EXPECT_EQ(vireo_test::read_file(path),
              "# saved\n"
              "DataElementSeparator=\" \"\n"
              "SegmentTerminator=\"!\"\n"
              "NewLine=1\n"
              "Annotation=True\n"
              "FileName=\"a.837\"\n");
}

}  // namespace

// A 5010 control's page has a fourth delimiter field after the others; a 4010
// control's page is exactly as it was and has no such field.
TEST(PropertyPageRepetitionSeparator, OnlyAControlWithItShowsAndAppliesIt) {
    professional_5010::vireo control5010;
    TextPropertyBag placed;  // a control just placed: its initial delimiters
    control5010.ReadProperties(placed);
    pp1 page;
    page.SelectedControls(pp1::selection_of({&control5010}));
    const std::vector<vireo_ui::PageControl> controls = page.page_controls();
    ASSERT_EQ(controls.size(), vireo_ui::kPageControls.size() + 2);
    EXPECT_STREQ(controls.back().name, "txtRepetitionSeparator");
    EXPECT_EQ(page.value_of("txtRepetitionSeparator"), "^");
    page.edit("txtRepetitionSeparator", "!");
    page.ApplyChanges();
    EXPECT_EQ(control5010.RepetitionSeparator(), "!");

    vireo control4010;
    page.SelectedControls(pp1::selection_of({&control4010}));
    EXPECT_EQ(page.page_controls().size(), vireo_ui::kPageControls.size());
    EXPECT_THROW(page.edit("txtRepetitionSeparator", "!"), VbError);
    page.ApplyChanges();  // puts no fourth delimiter
}
