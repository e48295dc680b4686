// The guide checker in Python: files checked against the implementation guide
// 004010X098A1, read from disk or seen as a control writes them.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "binding.h"
#include "checker.h"
#include "vireo/checker/guide_checker.h"

namespace py = pybind11;

namespace vireo_python {
namespace {

using prjVireo::Finding;
using prjVireo::GuideChecker;

// A checker belongs to the thread that made it: attached, it watches that
// thread's writer, and Additem adds findings to it without the GIL.
class PyGuideChecker {
public:
    explicit PyGuideChecker(std::size_t keep)
        : checker_(prjVireo::CheckOptions{{}, keep}), apartment_(current_apartment()) {}
    ~PyGuideChecker() {
        // Detaching touches the writer state of the checker's thread.
        wait_until_idle(apartment_.get());
    }

    GuideChecker& use() {
        if (!on_owner_thread(apartment_.get(), "GuideChecker")) throw py::error_already_set();
        return checker_;
    }
    Apartment* apartment() const { return apartment_.get(); }

private:
    GuideChecker checker_;
    std::shared_ptr<Apartment> apartment_;
};

// What checking one file found: its findings (of those the checker keeps) and
// its counts, which go on past the kept findings. It reads as the list of its
// findings (empty, and so false, when the guide's checks found nothing), and
// prints as the command's summary line.
struct CheckReport {
    std::string file;
    std::vector<Finding> findings;
    std::uint64_t segments = 0;
    std::uint64_t errors = 0;
    std::uint64_t warnings = 0;
    bool not_x12 = false;
};

std::string counted(std::uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string summary(const CheckReport& r) {
    std::string line = r.file + ": " + counted(r.segments, "segment", "segments") + ", " +
                       counted(r.errors, "error", "errors") + ", " + counted(r.warnings, "warning", "warnings");
    if (r.not_x12) line += " (not an X12 interchange)";
    return line;
}

// Reads `path_object` (a str or os.PathLike) through the checker in pieces of
// 1 MiB, without the GIL; reports what the file added to the checker.
CheckReport check_file(PyGuideChecker& self, py::object path_object) {
    GuideChecker& checker = self.use();
    std::string path;
    if (!path_from_python(path_object.ptr(), path)) throw py::error_already_set();
    const std::size_t before = checker.findings().size();
    const std::uint64_t segments_before = checker.segments(), errors_before = checker.errors(),
                        warnings_before = checker.warnings();
    const bool not_x12_before = checker.not_x12();
    DeferredError error;
    {
        WriteCall call(self.apartment(), true);
        try {
            std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
            if (!file) throw prjVireo::VbError(prjVireo::vb_error_from_errno(errno), path);
            checker.begin_file(path);
            std::unique_ptr<char[]> buffer(new char[1 << 20]);
            std::size_t n;
            while ((n = std::fread(buffer.get(), 1, 1 << 20, file.get())) > 0) {
                checker.feed(std::string_view(buffer.get(), n));
                if (checker.stopped()) break;  // the rest, which may never end, would not be checked
            }
            if (std::ferror(file.get())) throw prjVireo::VbError(prjVireo::vbErrDeviceIO, "reading " + path);
            checker.end_file();
        } catch (...) {
            error.capture();
        }
        PyObject* result = call.finish(error);
        if (!result) throw py::error_already_set();
        Py_DECREF(result);
    }
    CheckReport report;
    report.file = path;
    const auto& findings = checker.findings();
    report.findings.assign(findings.begin() + static_cast<std::ptrdiff_t>(before), findings.end());
    report.segments = checker.segments() - segments_before;
    report.errors = checker.errors() - errors_before;
    report.warnings = checker.warnings() - warnings_before;
    // A checker that refused an earlier file says so for good; this file's
    // refusal is then told by its own finding.
    report.not_x12 = checker.not_x12() &&
                     (!not_x12_before || std::any_of(report.findings.begin(), report.findings.end(),
                                                     [](const Finding& f) { return f.rule == "not-x12"; }));
    return report;
}

std::string severity_name(const Finding& f) { return f.severity == Finding::Severity::Error ? "error" : "warning"; }

}  // namespace

void bind_checker(py::module_& m) {
    py::class_<Finding>(m, "Finding",
                        "One thing the guide checker found: where (file, segment number, loop, segment, element), "
                        "how bad (severity \"error\" or \"warning\"), which check (rule) and what (message).")
        .def_readonly("file", &Finding::file)
        .def_readonly("segment", &Finding::segment, "The segment's number in the file (ISA is 1); 0 for the file.")
        .def_readonly("loop", &Finding::loop, "\"2300\", \"ISA\", \"GS\", \"ST\"; \"\" when unknown.")
        .def_readonly("segment_id", &Finding::segment_id)
        .def_readonly("element", &Finding::element, "\"CLM02\", \"CLM05-1\"; \"\" for the whole segment.")
        .def_property_readonly("severity", &severity_name, "\"error\" or \"warning\".")
        .def_readonly("rule", &Finding::rule, "A short stable name of the check: \"required-segment\", \"code\", ...")
        .def_readonly("message", &Finding::message)
        .def("to_json", &prjVireo::finding_json, "The finding as one JSON object.")
        .def("__str__", &prjVireo::format_finding)
        .def("__repr__", [](const Finding& f) { return "<Finding " + prjVireo::format_finding(f) + ">"; });

    py::class_<CheckReport>(m, "CheckReport",
                            "What checking one file found: the findings (it reads as their list, empty when the "
                            "guide's checks found nothing) and the file's counts, which go on past the findings "
                            "kept. str() is the summary line that vireo check prints.")
        .def_readonly("file", &CheckReport::file)
        .def_readonly("findings", &CheckReport::findings)
        .def_readonly("segments", &CheckReport::segments, "Segments read in the file.")
        .def_readonly("errors", &CheckReport::errors)
        .def_readonly("warnings", &CheckReport::warnings)
        .def_readonly("not_x12", &CheckReport::not_x12, "The file did not begin with an ISA header: nothing was checked.")
        .def_property_readonly("ok", [](const CheckReport& r) { return r.errors == 0 && !r.not_x12; },
                               "No error, and the file is an X12 interchange (warnings allowed).")
        .def("__len__", [](const CheckReport& r) { return r.findings.size(); })
        .def("__getitem__",
             [](const CheckReport& r, py::object index) -> py::object {
                 py::list findings = py::cast(r.findings);
                 return findings[index];  // an int or a slice, as a list takes it
             })
        .def("__iter__", [](const CheckReport& r) { return py::iter(py::cast(r.findings)); })
        .def("__eq__",
             [](const CheckReport& r, py::object other) {
                 // Compared with a list, as the findings it holds (findings compare by their text).
                 if (!py::isinstance<py::list>(other) && !py::isinstance<py::tuple>(other)) return false;
                 if (py::len(other) != r.findings.size()) return false;
                 std::size_t i = 0;
                 for (py::handle item : other) {
                     if (!py::isinstance<Finding>(item) ||
                         prjVireo::format_finding(item.cast<const Finding&>()) !=
                             prjVireo::format_finding(r.findings[i]))
                         return false;
                     ++i;
                 }
                 return true;
             })
        .def("__str__", &summary)
        .def("__repr__", [](const CheckReport& r) { return "<CheckReport " + summary(r) + ">"; });

    py::class_<PyGuideChecker>(
        m, "GuideChecker",
        "GuideChecker(keep=10000)\n\n"
        "Checks 837 Professional files against the implementation guide each group's GS08 names, in one "
        "streaming pass: "
        "files read with check_file() (or begin_file, feed, end_file), or, once attached to a control, every "
        "segment its thread writes, exactly as it reaches the file. Checking changes no byte. The findings "
        "list keeps the first `keep`; the counts go on. A checker belongs to the thread that made it.")
        .def(py::init<std::size_t>(), py::arg("keep") = 10000)
        .def("attach",
             [](PyGuideChecker& self, py::object control) {
                 prjVireo::basic_vireo* ctl = control_of(control.ptr());
                 if (!ctl) throw py::error_already_set();
                 GuideChecker& checker = self.use();
                 if (!translate([&] { checker.attach(*ctl); })) throw py::error_already_set();
             },
             py::arg("control"),
             "attach(control)\n\nChecks every segment that the control's thread writes to a file from now on "
             "(a file already open from its next segment): each opened file starts a file, each close ends it. "
             "One checker per thread (VbError 5 for a second).")
        .def("detach",
             [](PyGuideChecker& self) {
                 GuideChecker& checker = self.use();
                 if (!translate([&] { checker.detach(); })) throw py::error_already_set();
             },
             "detach()\n\nStops checking; a file being written is ended first.")
        .def("check_file", &check_file, py::arg("path"),
             "check_file(path) -> CheckReport\n\nReads and checks a file; reports the findings and counts it added.")
        .def("begin_file",
             [](PyGuideChecker& self, const std::string& name) {
                 GuideChecker& checker = self.use();
                 if (!translate([&] { checker.begin_file(name); })) throw py::error_already_set();
             },
             py::arg("name"))
        .def("feed",
             [](PyGuideChecker& self, py::bytes data) {
                 GuideChecker& checker = self.use();
                 const std::string_view bytes = data;
                 if (!translate([&] { checker.feed(bytes); })) throw py::error_already_set();
             },
             py::arg("data"), "feed(data)\n\nChecks the next bytes of the file begun (pieces of any size).")
        .def("end_file",
             [](PyGuideChecker& self) {
                 GuideChecker& checker = self.use();
                 if (!translate([&] { checker.end_file(); })) throw py::error_already_set();
             },
             "end_file()\n\nThe checks that need the whole file: trailers that never came.")
        .def_property_readonly("findings", [](PyGuideChecker& self) { return self.use().findings(); },
                               "The findings so far (a copy), in the order found.")
        .def_property_readonly("errors", [](PyGuideChecker& self) { return self.use().errors(); })
        .def_property_readonly("warnings", [](PyGuideChecker& self) { return self.use().warnings(); })
        .def_property_readonly("segments", [](PyGuideChecker& self) { return self.use().segments(); },
                               "Segments read so far, in every file.")
        .def_property_readonly("not_x12", [](PyGuideChecker& self) { return self.use().not_x12(); },
                               "A file did not begin with an ISA header: nothing in it was checked.")
        .def("clear", [](PyGuideChecker& self) { self.use().clear(); },
             "clear()\n\nForgets every finding and count.");

    m.def(
        "check_file",
        [](py::object path) {
            PyGuideChecker checker(10000);
            return check_file(checker, std::move(path));
        },
        py::arg("path"),
        "check_file(path) -> CheckReport\n\nChecks a file against the implementation guide its GS08 names: its "
        "findings (an empty report means the guide's checks found nothing), its counts, and str() the summary line.");
}

}  // namespace vireo_python
