// vireo typelib: the type library a late-bound host reads. The control's own
// members with their dispatch ids and parameters (the one written table of
// those ids: a host compiled against them breaks if one moves). The segment
// object properties, classes and code lists of every catalogue's library are
// held against the catalogue in tests/catalogue/catalogue_test.cpp.
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "vireo/control/catalogue.h"
#include "vireo/control/typelib.h"
#include "vireo/guide/guide.h"
#include "test_support.h"

namespace {

using nlohmann::json;

json typelib_of_the_command() {
    const vireo_test::ProgramResult r = vireo_test::run_program({VIREO_BIN, "typelib"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    // The command prints the library's text whole.
    EXPECT_TRUE(r.out == prjVireo::typelib::to_json(prjVireo::catalogue::professional_4010(),
                                                         prjVireo::guide::professional_4010().typelib_notes()));
    return json::parse(r.out);
}

TEST(Typelib, ControlMembersAndEvent) {
    const json lib = typelib_of_the_command();
    EXPECT_EQ(lib["name"], "prjVireo");
    EXPECT_EQ(lib["description"], "Vireo ActiveX Control for HIPAA 837 4010");
    const json& control = lib["control"];
    EXPECT_EQ(control["name"], "vireo");
    EXPECT_EQ(control["interface"], "_vireo");
    EXPECT_EQ(control["events_interface"], "__vireo");

    struct Property {
        const char* name;
        int dispid;
        const char* type;
    };
    const Property own[] = {{"ErrorTrap", 0x68030007, "Boolean"},
                            {"Filename", 0x68030006, "String"},
                            {"DataElementSeparator", 0x68030005, "String"},
                            {"SubelementSeparator", 0x68030004, "String"},
                            {"SegmentTerminator", 0x68030003, "String"},
                            {"SegCount", 0x68030002, "String"},
                            {"NewLine", 0x68030001, "NewLineValues"},
                            {"Annotation", 0x68030000, "Boolean"}};
    const json& properties = control["properties"];
    const std::size_t slots = prjVireo::catalogue::slots().size();
    ASSERT_EQ(properties.size(), slots + std::size(own));
    for (std::size_t i = 0; i < std::size(own); ++i) {
        const json& p = properties[slots + i];
        EXPECT_EQ(p["name"], own[i].name);
        EXPECT_EQ(p["dispid"], own[i].dispid) << own[i].name;
        EXPECT_EQ(p["type"], own[i].type) << own[i].name;
    }

    struct Method {
        const char* name;
        int dispid;
        json returns;
        std::vector<std::string> parameters;
    };
    const Method methods[] = {{"OpenFile", 0x600300E3, nullptr, {"FilePath"}},
                              {"CloseFile", 0x600300E4, nullptr, {}},
                              {"Date_to_CCYYMMDD", 0x600300E5, "String", {"inDate"}},
                              {"ShowAboutBox", -552, nullptr, {}},
                              {"StringToHex", 0x600301CB, "String", {"value"}}};
    ASSERT_EQ(control["methods"].size(), std::size(methods));
    for (std::size_t i = 0; i < std::size(methods); ++i) {
        const json& m = control["methods"][i];
        EXPECT_EQ(m["name"], methods[i].name);
        EXPECT_EQ(m["dispid"], methods[i].dispid) << methods[i].name;
        EXPECT_EQ(m["returns"], methods[i].returns) << methods[i].name;
        std::vector<std::string> names;
        for (const json& p : m["parameters"]) names.push_back(p["name"]);
        EXPECT_EQ(names, methods[i].parameters) << methods[i].name;
    }
    EXPECT_EQ(control["methods"][0]["parameters"][0]["optional"], true);

    const json expected_event = json::parse(
        R"([{"name": "BeforeAdd", "dispid": 1, "parameters": [{"name": "SegValue", "type": "String", "byref": true},
            {"name": "SegCount", "type": "Long", "byref": true}, {"name": "bCancel", "type": "Boolean", "byref": true}]}])");
    EXPECT_EQ(control["events"], expected_event);

    const json expected_enums = json::parse(
        R"([{"name": "NewLineValues", "members": [{"name": "no_LForCR_ToSegEnd", "value": 0},
            {"name": "LfCr_ToSegEnd", "value": 2}, {"name": "LF_ToSegEnd", "value": 1}]}])");
    EXPECT_EQ(lib["enums"], expected_enums);
}

}  // namespace
