// The guide as data, against the catalogue: every class is linked to the
// position it writes, every field to an element, and every code a class offers
// is one the guide takes, but for the codes the guide's addenda withdrew.
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "vireo/control/catalogue.h"
#include "vireo/control/typelib.h"
#include "vireo/guide/guide.h"

namespace {

using namespace prjVireo;

TEST(Guide, EveryClassWritesOnePositionOfItsSegment) {
    for (const catalogue::Slot& slot : catalogue::slots()) {
        const SegmentClassDescriptor& c = *slot.segment_class;
        SCOPED_TRACE(c.name);
        const auto positions = guide::professional_4010().positions_of(c);
        ASSERT_EQ(positions.size(), 1u);
        EXPECT_EQ(positions[0]->id, c.segment_id);
        // The class's loop is the position's, but for the envelope (0 and 1) and SE.
        const std::string loop(positions[0]->loop->shown);
        if (std::string(c.loop) != "0" && std::string(c.loop) != "1" && std::string(c.segment_id) != "SE") {
            EXPECT_EQ(loop, c.loop);
        }
    }
    // The positions no class writes: the control has no object for them.
    std::set<std::string> unwritten;
    for (const guide::Segment* s : guide::professional_4010().segments()) {
        if (!s->segment_class) unwritten.insert(std::string(s->loop->shown) + " " + std::string(s->id) + " " +
                                                std::string(s->name));
    }
    EXPECT_EQ(unwritten, (std::set<std::string>{"2300 CRC EPSDT Referral", "2410 CTP Drug Pricing",
                                               "2410 LIN Drug Identification", "2410 REF Prescription Number",
                                               "ISA TA1 Interchange Acknowledgement"}));
}

TEST(Guide, EveryFieldWritesAnElementOfThePosition) {
    for (const catalogue::Slot& slot : catalogue::slots()) {
        const SegmentClassDescriptor& c = *slot.segment_class;
        for (std::size_t i = 0; i < c.field_count; ++i) {
            const FieldDescriptor& f = c.fields[i];
            SCOPED_TRACE(std::string(c.name) + "." + f.name);
            const guide::Element* e = guide::professional_4010().element_of(c, f);
            const bool not_used_name = std::string(f.name).ends_with("not_used_in_context");
            if (!e) {
                // SV5 keeps positions the guide's SV5 does not have.
                EXPECT_TRUE(not_used_name);
                continue;
            }
            // A field holds one value: a plain element, or a component of a
            // composite; a whole composite in one field is only a position the
            // class does not use, or SV501 of SV5.
            if (e->is_composite()) {
                EXPECT_TRUE(not_used_name || std::string(c.name) == "L2400_SV5_00");
            }
        }
    }
}

TEST(Guide, CodesOfTheClassesAreCodesOfTheGuide) {
    // Codes the catalogue offers that the guide's addenda (004010X098A1) withdrew.
    const std::set<std::tuple<std::string, std::string, std::string>> withdrawn = {
        {"L2000B_PAT_00", "m07_UnitorBasisforMeasurementCode", "GR"},
        {"L2000C_PAT_00", "m07_UnitorBasisforMeasurementCode", "GR"},
        {"L2300_CLM_00", "m1101_RelatedCausesCode", "AB"},
        {"L2300_CLM_00", "m1102_RelatedCausesCode", "AB"},
        {"L2300_CLM_00", "m1103_RelatedCausesCode", "AB"},
        {"L2400_MEA_00", "m02_MeasurementQul", "CON"},
        {"L2400_SV1_00", "m0101_ProductorSvcIDQul", "N1"},
        {"L2400_SV1_00", "m0101_ProductorSvcIDQul", "N2"},
        {"L2400_SV1_00", "m0101_ProductorSvcIDQul", "N3"},
        {"L2400_SV1_00", "m09_EmergencyIndicator", "N"},
        {"L2430_SVD_00", "m0301_ProductorSvcIDQul", "N1"},
        {"L2430_SVD_00", "m0301_ProductorSvcIDQul", "N2"},
        {"L2430_SVD_00", "m0301_ProductorSvcIDQul", "N3"},
        {"L2430_SVD_00", "m0301_ProductorSvcIDQul", "N4"},
    };
    std::set<std::tuple<std::string, std::string, std::string>> found;
    for (const catalogue::Slot& slot : catalogue::slots()) {
        const SegmentClassDescriptor& c = *slot.segment_class;
        for (std::size_t i = 0; i < c.field_count; ++i) {
            const FieldDescriptor& f = c.fields[i];
            const guide::Element* e = guide::professional_4010().element_of(c, f);
            if (f.kind != FieldKind::Code || !e || !e->codes) continue;
            for (std::size_t m = 0; m < f.codelist->member_count; ++m) {
                if (!e->codes->contains(f.codelist->members[m].code)) {
                    found.insert({c.name, f.name, f.codelist->members[m].code});
                }
            }
        }
    }
    EXPECT_EQ(found, withdrawn);
}

TEST(Guide, TheLoopTree) {
    const guide::Loop& isa = guide::professional_4010().interchange();
    EXPECT_EQ(isa.shown, "ISA");
    EXPECT_EQ(isa.first().id, "ISA");
    // The claim loop is declared once and nested under both levels that hold it.
    const guide::Loop* claim = guide::professional_4010().find_loop("2300");
    ASSERT_NE(claim, nullptr);
    int holders = 0;
    for (const guide::Loop* l : guide::professional_4010().loops()) {
        for (const auto& c : l->children) holders += c.loop == claim;
    }
    EXPECT_EQ(holders, 2);
    EXPECT_EQ(guide::professional_4010().find_loop("2000b"), guide::professional_4010().find_loop("2000B"));
    EXPECT_EQ(guide::professional_4010().find_loop("2999"), nullptr);
}

// An element's reference and description, and positions of one segment ID
// in one loop told apart by a qualifier.
TEST(Guide, ReferencesDescriptionsAndQualifiers) {
    EXPECT_EQ(guide::reference("CLM", 5, 1), "CLM05-1");
    EXPECT_EQ(guide::reference("SBR", 5), "SBR05");
    EXPECT_EQ(guide::professional_4010().describe(*catalogue::find_slot("L2000B_SBR_00")->segment_class,
                              catalogue::find_slot("L2000B_SBR_00")->segment_class->fields[4]),
              "SBR05 Insurance Type Code (situational, ID 1-3)");
    const guide::Segment& ref = *guide::professional_4010().positions_of(*catalogue::find_slot("L2300_REF_03")->segment_class)[0];
    EXPECT_EQ(ref.qualifier, 1);
    EXPECT_TRUE(ref.element(1)->codes->contains("G1"));
    const guide::Segment& hl = *guide::professional_4010().positions_of(*catalogue::find_slot("L2000C_HL_00")->segment_class)[0];
    EXPECT_EQ(hl.qualifier, 3);
}

TEST(Guide, NamesInTheTypeLibrary) {
    const std::string json = typelib::to_json(catalogue::professional_4010(), guide::professional_4010().typelib_notes());
    const std::string field =
        "{\"name\": \"m05_InsuranceTypeCode\", \"kind\": \"code\", \"codelist\": "
        "\"L2000B_SBR_05_1336_286_InsuranceTypeCode\", \"element\": 5, \"dispid\": 1073938436, \"guide\": "
        "{\"element\": \"SBR05\", \"name\": \"Insurance Type Code\", \"usage\": \"situational\", \"type\": \"ID\", "
        "\"min_length\": 1, \"max_length\": 3, \"codes\": [\"12\", \"13\", \"14\", \"15\", \"16\", \"41\", "
        "\"42\", \"43\", \"47\"]}}";
    EXPECT_NE(json.find(field), std::string::npos);
    EXPECT_NE(json.find("\"guide\": [{\"loop\": \"2000B\", \"position\": 5, \"name\": \"Subscriber Information\", "
                        "\"usage\": \"required\", \"max_use\": 1}]"),
              std::string::npos);
    // A field the guide has no element for carries no guide entry.
    EXPECT_NE(json.find("{\"name\": \"m18_not_used_in_context\", \"kind\": \"text\", \"element\": 18, "
                        "\"dispid\": 1073938449}"),
              std::string::npos);
}

}  // namespace
