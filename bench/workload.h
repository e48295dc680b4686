#pragma once
// The benchmark's one workload: an interchange of N professional claims, each a
// subscriber loop (HL, SBR, NM1, N3, N4, DMG, payer NM1), a CLM with a two-code HI
// and a DTP, and three service lines (LX, SV1, DTP), split into transactions of
// at most kClaimsPerTransaction claims. The values come from tables prepared
// before any clock starts, as a host copies them from its database.
//
// The same interchange is written three ways: through the control exactly as a
// host does (fill fields, Additem, Clear), by a straightforward std::string +
// fwrite writer, and by the reference formatter that produces the expected bytes.
//
// The interchange is written in either guide, 004010X098A1 or 005010X222A1:
// the same claims, with what each guide asks of its envelope, billing
// provider and diagnoses.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vireo_bench {

inline constexpr int kClaimsPerTransaction = 5000;
inline constexpr int kLinesPerClaim = 3;
inline constexpr int kSegmentsPerClaim = 10 + 3 * kLinesPerClaim;

// The guide the interchange is written in.
enum class Guide { Professional4010, Professional5010 };
// "004010X098A1" or "005010X222A1".
const char* guide_id(Guide guide);
// The guide of that id, or nothing.
std::optional<Guide> find_guide(std::string_view id);

struct Subscriber {
    std::string last_name, first_name, middle_name, member_id, group_number;
    std::string address, city, state, zip, birth_date;
    std::int32_t gender;       // Code value, "M" or "F"
    std::int32_t filing_code;  // Code value of the claim filing indicator
};

struct Payer {
    std::string name, id;
};

struct ServiceLine {
    std::string procedure, charge, units, date;
};

struct Claim {
    std::string account, total_charge, diagnosis1, diagnosis2, onset_date;
    ServiceLine lines[kLinesPerClaim];
};

// Every value the host loop copies into the fields, prepared beforehand.
struct PreparedData {
    Guide guide;
    std::vector<Subscriber> subscribers;
    std::vector<Payer> payers;
    std::vector<Claim> claims;
    std::vector<std::string> numbers;  // "0" .. "kClaimsPerTransaction + 1": HL and LX numbers
    std::vector<std::string> control_numbers;  // ST02 / SE02 per transaction, "0001" ...

    const Subscriber& subscriber(long claim) const { return subscribers[(claim * 7919) % subscribers.size()]; }
    const Payer& payer(long claim) const { return payers[(claim * 31) % payers.size()]; }
    const Claim& claim(long index) const { return claims[index % claims.size()]; }
};

using Clock = std::chrono::steady_clock;
inline double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Timed {
    double seconds;     // from opening the file to closing it (fsync included)
    long handler_reads; // what the BeforeAdd handler saw, so its work is not optimised away
};

// Makes a new file's name durable as CloseFile does: syncs the folder holding `path`.
void sync_folder_of(const std::string& path);

// Deterministic tables of varied values for `claims` claims in `guide`. The
// two guides draw the same values; only the diagnosis codes are the guide's own
// (ICD-9 in 4010, ICD-10 in 5010).
PreparedData prepare_data(long claims, Guide guide = Guide::Professional4010);

// The segments of an interchange of `claims` claims in `guide`.
long segment_count(long claims, Guide guide);

// Writes the interchange through a control of data.guide on the calling
// thread to `path`, as a host does. With `run_additem` false the loop fills and clears the
// fields but never calls Additem and opens no file: the host's own share.
// With `handler` a BeforeAdd handler that reads SegValue is connected to the
// control. With `check` a GuideChecker is attached to the control, and any
// finding is an error. `ready`, when given, is called once the control is set
// up, just before the clock starts.
Timed write_with_control(const PreparedData& data, long claims, const std::string& path, bool run_additem,
                         bool handler, const std::function<void()>& ready = {}, bool check = false);

// Writes the interchange the straightforward way: each segment built as a
// std::string from a vector of element strings and passed to fwrite.
// Returns the seconds from fopen to fclose (fsync included).
double write_naive(const PreparedData& data, long claims, const std::string& path);

// The shapes of a vireo run script: {"steps": [...]} with one step a line,
// one step per line (JSON Lines), and JSON Lines of rows under "columns" steps.
enum class ScriptForm { Classic, Lines, Rows };

// Writes the interchange as a script for `vireo run` in the given form:
// running it writes exactly the reference bytes. The classic form names a
// 5010 script's guide; the other forms need it given to the run.
void write_script(const PreparedData& data, long claims, std::FILE* out, ScriptForm form = ScriptForm::Classic);

// Writes every value the host loop reads, and the interchange's constants, as
// one JSON object: what a host in another language (bench/python) needs to
// run the same loop and write the same bytes.
void write_tables(const PreparedData& data, long claims, std::FILE* out);

// Writes the expected bytes of the interchange to `out` (used to build the reference file).
void write_reference(const PreparedData& data, long claims, std::FILE* out);

}  // namespace vireo_bench
