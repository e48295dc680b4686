// Late binding: names and dispatch ids of the control and of segment objects,
// Variant conversions, and clear errors for unknown names.
#include "vireo/control/typelib.h"
#include "test_support.h"

using namespace prjVireo;
using vireo_test::ControlTest;

using Dispatching = ControlTest;

// Every member of the type library is found by its name, in any case, and
// named by its id. (The ids themselves are held against a written table once,
// in tests/tools/typelib_test.cpp; the segment object properties of every
// catalogue in CatalogueShape.)
TEST_F(Dispatching, EveryMemberIsFoundByNameAndNamedById) {
    ControlDispatch d(*ctl);
    std::vector<std::pair<std::string, DISPID>> members;
    for (const auto& m : typelib::control_properties(ctl->catalogue())) members.emplace_back(m.name, m.dispid);
    for (const auto& m : typelib::control_methods()) members.emplace_back(m.name, m.dispid);
    for (const auto& [name, id] : members) {
        EXPECT_EQ(d.GetIDOfName(name), id) << name;
        EXPECT_EQ(d.NameOf(id), name) << name;
    }
    EXPECT_EQ(d.GetIDOfName("segcount"), dispids::kSegCount);
}

TEST_F(Dispatching, UnknownNamesAreClearErrorsWithASuggestion) {
    ControlDispatch d(*ctl);
    const auto member = vireo_test::attempt([&] { d.GetIDOfName("SegmentTerminater"); });
    EXPECT_EQ(member.number, vbErrNotSupported);
    EXPECT_TRUE(vireo_test::mentions(member, "did you mean \"SegmentTerminator\"")) << member.message;
    auto st = d.get("L1_ST_00_TransSetHeader").to_object();
    const auto field = vireo_test::attempt([&] { st->GetIDOfName("m02_TransSetControlNumber"); });
    EXPECT_TRUE(vireo_test::mentions(field, "did you mean \"m02_TransSetControlNum\"")) << field.message;
}

TEST_F(Dispatching, WritesASegmentThroughLateBinding) {
    ControlDispatch d(*ctl);
    d.put("NewLine", Variant(1));
    auto st = d.get("L1_ST_00_TransSetHeader").to_object();
    st->put("m01_TransSetIdentCode", Variant(code_value("837")));
    st->put("m02_TransSetControlNum", Variant(7));  // a number becomes its text
    EXPECT_EQ(st->get("m01_TransSetIdentCode").to_long(), 3683127);
    EXPECT_EQ(st->GetIDOfName("m02_TransSetControlNum"), kFirstFieldDispid + 1);
    st->call("Additem");
    EXPECT_EQ(d.get("SegCount").to_string(), "1");
    EXPECT_EQ(d.call("StringToHex", {Variant("837")}).to_string(), "&h383337");
    EXPECT_EQ(d.call("Date_to_CCYYMMDD", {Variant::date(38051.5)}).to_string(), "20040305");
    d.call("CloseFile");
    EXPECT_EQ(vireo_test::read_file(path), "ST*837*7~\n");
}

TEST_F(Dispatching, OpenFileReturnsThePathThroughItsArgument) {
    ControlDispatch d(*ctl);
    std::string named = vireo_test::temp_path();
    d.put("Filename", Variant(named));
    std::vector<Variant> args{Variant("")};
    d.Invoke(d.GetIDOfName("OpenFile"), InvokeKind::Method, args);
    EXPECT_EQ(args[0].to_string(), named);
}

TEST_F(Dispatching, SegmentPropertiesTakeObjectsOfTheirClass) {
    ControlDispatch d(*ctl);
    Variant st = d.get("L1_ST_00_TransSetHeader");
    Variant se = d.get("L2440_SE_00_TransSetTrailer");
    // wrong class: passed over without ErrorTrap, reported with it
    EXPECT_NO_THROW(d.put_ref("L1_ST_00_TransSetHeader", se));
    EXPECT_EQ(ctl->member(4)->descriptor().name, std::string("L1_ST_00"));
    ctl->ErrorTrap(-1);
    EXPECT_THROW(d.put_ref("L1_ST_00_TransSetHeader", se), VbError);
    ctl->ErrorTrap(0);
    // the two properties whose write always reports errors
    EXPECT_THROW(d.put_ref("L2000A_PRV_00_BillPaytoPROVSpecInfo", se), VbError);
    EXPECT_THROW(d.put_ref("L2330B_REF_01_OthPayerPriorAuthReflNum", se), VbError);
    d.put_ref("L1_ST_00_TransSetHeader", Variant());  // nothing empties the member
    EXPECT_EQ(ctl->member(4), nullptr);
    EXPECT_EQ(d.get("L1_ST_00_TransSetHeader").to_object(), nullptr);
    d.put_ref("L1_ST_00_TransSetHeader", st);
    EXPECT_NE(ctl->member(4), nullptr);
}

TEST(VariantConversion, FollowsTheHostLanguageRules) {
    EXPECT_EQ(Variant("  42 ").to_long(), 42);
    EXPECT_EQ(Variant("3.5").to_long(), 4);
    EXPECT_EQ(Variant("&HFFFF").to_long(), -1);
    EXPECT_EQ(Variant("&H10000").to_long(), 65536);
    EXPECT_EQ(Variant("1e3").to_long(), 1000);
    EXPECT_EQ(Variant::boolean(true).to_string(), "True");
    EXPECT_EQ(Variant("True").to_boolean(), -1);
    EXPECT_EQ(Variant(5).to_boolean(), -1);
    for (const char* bad : {"", "abc", "0x10", "inf", "nan"}) {
        EXPECT_EQ(vireo_test::attempt([&] { Variant(bad).to_long(); }).number, vbErrTypeMismatch) << bad;
    }
    EXPECT_EQ(vireo_test::attempt([] { Variant("4294967296").to_long(); }).number, vbErrOverflow);
}
