// A host program built against the installed package, as a user's project would be.
#include <vireo/checker/guide_checker.h>
#include <vireo/control/vireo.h>

using namespace prjVireo;

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    vireo ctl;
    TextPropertyBag saved;  // a newly placed control: "*", ":" and "~"
    ctl.ReadProperties(saved);
    ctl.ErrorTrap(-1);
    GuideChecker checker;  // sees the file as it is written: an ST alone is no interchange
    checker.attach(ctl);
    ctl.OpenFile(argv[1]);  // a path the host does not need back
    auto st = ctl.L1_ST_00_TransSetHeader();
    st->m01_TransSetIdentCode = L1_ST_01_143_3_TransSetIdentCode::val_837_HealthCareCLM_143_3;
    st->m02_TransSetControlNum = "0001";
    st->Additem();
    ctl.CloseFile();
    return checker.not_x12() ? 0 : 1;
}
