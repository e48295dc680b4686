// Fuzzes the guide checker with any bytes: it must not fail, and it must find
// the same whatever pieces the bytes arrive in.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "vireo/checker/guide_checker.h"

namespace {

std::vector<std::string> findings(std::string_view bytes, std::size_t piece) {
    prjVireo::GuideChecker checker;
    checker.begin_file("fuzz");
    for (std::size_t i = 0; i < bytes.size(); i += piece) checker.feed(bytes.substr(i, piece));
    checker.end_file();
    std::vector<std::string> out;
    for (const prjVireo::Finding& f : checker.findings()) out.push_back(prjVireo::format_finding(f));
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto whole = findings(bytes, bytes.size() + 1);
    // Pieces of a length the input chooses.
    const std::size_t piece = 1 + (size ? data[size / 2] % 17 : 0);
    if (findings(bytes, piece) != whole) {
        std::fprintf(stderr, "guide checker fuzz: pieces of %zu bytes give other findings\n", piece);
        std::abort();
    }
    return 0;
}
