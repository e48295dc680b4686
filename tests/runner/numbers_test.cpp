// Numbers in scripts: a decimal (R) or whole-number (N0) element takes a JSON
// number, written as X12 wants it, exactly as the script spells it (145.10 is
// "145.1", never a binary fraction); text stays as it is.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>

#include "test_support.h"
#include "vireo/core/x12_number.h"
#include "vireo/tools/runner/script_runner.h"

namespace {

using prjVireo::X12NumberForm;

TEST(X12Number, WritesTheDigitsX12Wants) {
    const struct {
        const char* number;
        X12NumberForm form;
        std::optional<std::string> text;
    } cases[] = {
        {"145", X12NumberForm::Decimal, "145"},
        {"145.00", X12NumberForm::Decimal, "145"},
        {"145.10", X12NumberForm::Decimal, "145.1"},
        {"-0.50", X12NumberForm::Decimal, "-0.5"},
        {"-0.0", X12NumberForm::Decimal, "0"},
        {"007.5", X12NumberForm::Decimal, "7.5"},
        {"1.5e2", X12NumberForm::Decimal, "150"},
        {"15E-3", X12NumberForm::Decimal, "0.015"},
        {"0e99999", X12NumberForm::Decimal, "0"},
        {"123456789012345678", X12NumberForm::Decimal, "123456789012345678"},
        {"1234567890123456789", X12NumberForm::Decimal, std::nullopt},  // more than 18 digits
        {"1e30", X12NumberForm::Decimal, std::nullopt},
        {"1e-99999", X12NumberForm::Decimal, std::nullopt},
        {"1.2e1", X12NumberForm::Whole, "12"},
        {"12.5", X12NumberForm::Whole, std::nullopt},
        {"1e", X12NumberForm::Decimal, std::nullopt},
        {"12a", X12NumberForm::Decimal, std::nullopt},
        {"", X12NumberForm::Decimal, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(prjVireo::x12_number(c.number, c.form), c.text) << c.number;
}

TEST(ScriptNumbers, DecimalAndWholeElementsTakeNumbers) {
    const struct {
        const char* script;
        int status;
        std::string bytes_or_error;
    } cases[] = {
        {R"({"steps": [{"L2300_CLM_00_CLMInfo": {"m01_PatAccountNum": "A1", "m02_TotalCLMChargeAmount": 145.10}},
                       {"L2400_SV1_00_ProfessionalSvc": {"m02_LineChargeAmount": 1.5e2, "m04_SvcUnitCount": 3}}]})",
         0, "CLM*A1*145.1~SV1**150**3~"},
        // One step per line, a row from SQL whose amount is an integer.
        {"{\"columns\": {\"L2300_CLM_00_CLMInfo\": [\"m01_PatAccountNum\", \"m02_TotalCLMChargeAmount\"]}}\n"
         "[\"L2300_CLM_00_CLMInfo\", \"A1\", 145]\n[\"L2300_CLM_00_CLMInfo\", \"A2\", \"145.00\"]\n",
         0, "CLM*A1*145~CLM*A2*145.00~"},
        {R"({"steps": [{"L2300_CLM_00_CLMInfo": {"m02_TotalCLMChargeAmount": 1e30}}]})", 1,
         "L2300_CLM_00.m02_TotalCLMChargeAmount cannot take 1e30: CLM02 is a decimal number of at most 18 digits"},
    };
    for (const auto& c : cases) {
        const std::string path = vireo_test::temp_path();
        vireo_runner::RunOptions options;
        options.output = path;
        std::ostringstream err;
        const int status = vireo_runner::run_script(std::string(c.script), options, err).exit_status;
        EXPECT_EQ(status, c.status) << err.str();
        if (c.status == 0) {
            EXPECT_EQ(vireo_test::read_file(path), c.bytes_or_error);
        } else {
            EXPECT_NE(err.str().find(c.bytes_or_error), std::string::npos) << err.str();
        }
    }
}

}  // namespace
