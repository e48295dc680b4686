#pragma once
// Table-driven segment cases: each case fills fields through the typed API of
// a fresh control and writes, and names the exact bytes the file must hold.
#include "test_support.h"

namespace catalogue_cases {

struct Case {
    const char* what;
    void (*write)(prjVireo::vireo&);
    std::string bytes;
};

// The file written by `write` on a control with "*", ":" and "~", NewLine 0
// and Annotation off, on a writer state as a new thread has it.
inline std::string written_by(void (*write)(prjVireo::vireo&)) {
    vireo_test::reset_writer_state();
    std::string path = vireo_test::temp_path();
    {
        prjVireo::vireo control;
        control.DataElementSeparator("*");
        control.SubelementSeparator(":");
        control.SegmentTerminator("~");
        control.OpenFile(path);
        write(control);
        control.CloseFile();
    }
    vireo_test::reset_writer_state();
    return vireo_test::read_file(path);
}

template <std::size_t N>
void expect_cases(const Case (&cases)[N]) {
    for (const Case& c : cases) EXPECT_EQ(written_by(c.write), c.bytes) << c.what;
}

}  // namespace catalogue_cases
