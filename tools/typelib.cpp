#include <cstdio>

#include "vireo/control/typelib.h"
#include "vireo/tools/commands.h"

namespace vireo_cli {
namespace {

int typelib(const Args& args) {
    if (!args.empty()) {
        std::fprintf(stderr, "usage: vireo typelib\n");
        return 2;
    }
    const std::string json = prjVireo::typelib::to_json();
    std::fwrite(json.data(), 1, json.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

const Registration kTypelib({"typelib", typelib, "typelib               print the type library as JSON"});

}  // namespace

}  // namespace vireo_cli
