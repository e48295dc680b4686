// Fuzzes the reading of a saved control: any text must either load or fail
// with a VbError, and what loads must survive a save and a second load.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "vireo/control/property_bag.h"
#include "vireo/control/vireo.h"
#include "vireo/core/errors.h"

namespace {

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "property bag fuzz: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace prjVireo;
    const std::string text(reinterpret_cast<const char*>(data), size);
    TextPropertyBag bag;
    try {
        bag = TextPropertyBag::parse(text);
    } catch (const VbError& e) {
        check(e.number() == vbErrInvalidPropertyValue, "a malformed bag fails with error 380");
        return 0;
    }
    // Saving and loading again gives the same entries.
    TextPropertyBag again = TextPropertyBag::parse(bag.serialize());
    check(again.entries() == bag.entries(), "serialize then parse changes the entries");

    // A control reading it either takes the values or reports a VbError; what it
    // took is saved and read back unchanged.
    writer_state() = WriterState{};
    vireo ctl;
    try {
        ctl.ReadProperties(bag);
    } catch (const VbError&) {
        return 0;
    }
    const WriterState& ws = writer_state();
    const std::string element = ws.element_separator.text(), component = ws.component_separator.text(),
                      terminator = ws.segment_terminator.text(), file_name = ws.file_name;
    const std::int32_t new_line = ws.new_line;
    const std::int16_t annotation = ws.annotation;
    TextPropertyBag saved;
    ctl.WriteProperties(saved);
    writer_state() = WriterState{};
    TextPropertyBag reloaded = TextPropertyBag::parse(saved.serialize());
    ctl.ReadProperties(reloaded);
    check(ws.element_separator.text() == element && ws.component_separator.text() == component &&
              ws.segment_terminator.text() == terminator && ws.file_name == file_name &&
              ws.new_line == new_line && ws.annotation == annotation,
          "WriteProperties then ReadProperties changes the settings");
    return 0;
}
