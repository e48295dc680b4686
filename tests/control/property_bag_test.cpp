// Persistence: the six keys, their order and defaults, and the text file.
#include "test_support.h"
#include "vireo/control/members.h"

using namespace prjVireo;

class Persistence : public ::testing::Test {
protected:
    void SetUp() override { vireo_test::reset_writer_state(); }
    void TearDown() override { vireo_test::reset_writer_state(); }
};

// A control just placed (it read an empty property bag) has each property at
// the initial value control/members.def declares: the value a saved control
// leaves unsaved, and the one the runner's newly placed control starts with.
TEST_F(Persistence, APlacedControlHasTheDeclaredInitialValues) {
    vireo ctl;
    TextPropertyBag bag;
    ctl.ReadProperties(bag);
    for (const members::Property* p : members::settings(ctl.catalogue())) {
        EXPECT_EQ(members::get(ctl, *p), members::initial_value(*p)) << p->name;
    }
}

TEST_F(Persistence, WritesOnlyNonDefaultKeysInTheirOrder) {
    vireo ctl;
    TextPropertyBag defaults;
    ctl.ReadProperties(defaults);
    TextPropertyBag bag;
    ctl.WriteProperties(bag);
    EXPECT_EQ(bag.serialize(), "");
    ctl.Filename("claims/out.837");
    ctl.Annotation(-1);
    ctl.NewLine(NewLineValues::LfCr_ToSegEnd);
    ctl.SegmentTerminator("\n");
    ctl.DataElementSeparator(" ");
    ctl.ErrorTrap(-1);
    ctl.SegCount("12");
    ctl.WriteProperties(bag);
    EXPECT_EQ(bag.serialize(),
              "DataElementSeparator=\" \"\n"
              "SegmentTerminator=\"\\n\"\n"
              "NewLine=2\n"
              "Annotation=True\n"
              "FileName=\"claims/out.837\"\n");
}

TEST_F(Persistence, RoundTripsThroughAFile) {
    std::string path = vireo_test::temp_path(".ctl");
    {
        vireo ctl;
        TextPropertyBag bag;
        ctl.ReadProperties(bag);
        ctl.SubelementSeparator("\x1F");
        ctl.SegmentTerminator("\"");
        ctl.NewLine(NewLineValues::LF_ToSegEnd);
        ctl.Filename("a \"quoted\" \\ name");
        ctl.WriteProperties(bag);
        bag.save(path);
    }
    vireo_test::reset_writer_state();
    vireo ctl;
    TextPropertyBag bag = TextPropertyBag::load(path);
    ctl.ReadProperties(bag);
    EXPECT_EQ(ctl.DataElementSeparator(), "*");
    EXPECT_EQ(ctl.SubelementSeparator(), "\x1F");
    EXPECT_EQ(ctl.SegmentTerminator(), "\"");
    EXPECT_EQ(ctl.NewLine(), NewLineValues::LF_ToSegEnd);
    EXPECT_EQ(ctl.Filename(), "a \"quoted\" \\ name");
}

TEST_F(Persistence, TheControlThatReadLastDecidesForTheThread) {
    vireo first, second;
    first.ReadProperties(*std::make_unique<TextPropertyBag>(TextPropertyBag::parse("DataElementSeparator=\"|\"\n")));
    EXPECT_EQ(second.DataElementSeparator(), "|");
    TextPropertyBag empty;
    second.ReadProperties(empty);
    EXPECT_EQ(first.DataElementSeparator(), "*");
}

TEST_F(Persistence, ParsesTheTextForms) {
    TextPropertyBag bag = TextPropertyBag::parse(
        "# saved control\r\n\nNewLine = 1\r\nAnnotation=true\nFileName=plain text\nSegmentTerminator=\"\\x7E\"\n");
    EXPECT_EQ(bag.ReadProperty("NewLine", Variant(0)).to_long(), 1);
    EXPECT_EQ(bag.ReadProperty("Annotation", Variant::boolean(false)).to_boolean(), -1);
    EXPECT_EQ(bag.ReadProperty("FileName", "").to_string(), "plain text");
    EXPECT_EQ(bag.ReadProperty("SegmentTerminator", "").to_string(), "~");
    EXPECT_EQ(bag.ReadProperty("Missing", "dflt").to_string(), "dflt");
}

// A byte order mark before a key (after blanks, or on a later line) is not
// part of the key, so that saving and reading again gives the same entries.
TEST_F(Persistence, AMarkBeforeAKeyIsNotPartOfIt) {
    for (const char* text : {"\t\xEF\xBB\xBF\tNewLine=1\n", "# c\n\xEF\xBB\xBFNewLine=1\n", "\xEF\xBB\xBF \xEF\xBB\xBFNewLine=1\n"}) {
        const TextPropertyBag bag = TextPropertyBag::parse(text);
        ASSERT_EQ(bag.entries().size(), 1u) << text;
        EXPECT_EQ(bag.entries()[0].first, "NewLine") << text;
        EXPECT_EQ(TextPropertyBag::parse(bag.serialize()).entries()[0].first, "NewLine") << text;
    }
}

TEST_F(Persistence, MalformedFilesAreReportedWithTheLine) {
    for (const char* text : {"NoEquals\n", "Key=\"unterminated\n", "Key=\"bad \\q escape\"\n", "=value\n"}) {
        const auto parsed = vireo_test::attempt([&] { TextPropertyBag::parse(text); });
        EXPECT_EQ(parsed.number, vbErrInvalidPropertyValue) << text;
        EXPECT_TRUE(vireo_test::mentions(parsed, "line 1")) << parsed.message;
    }
    EXPECT_EQ(vireo_test::attempt([] { TextPropertyBag::load(vireo_test::temp_path(".missing")); }).number,
              vbErrFileNotFound);
}

TEST_F(Persistence, BadNewLineValueIsReported) {
    vireo ctl;
    TextPropertyBag bag = TextPropertyBag::parse("NewLine=abc\n");
    EXPECT_THROW(ctl.ReadProperties(bag), VbError);  // reading the bag always reports
}
