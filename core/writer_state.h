#pragma once
// The writer state: one block per thread, shared by every control and segment
// object of that thread. Every field starts at zero.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace prjVireo {

// What follows each segment: nothing, LF or CR LF. Any other value writes nothing.
enum class NewLineValues : std::int32_t {
    no_LForCR_ToSegEnd = 0,
    LfCr_ToSegEnd = 2,
    LF_ToSegEnd = 1,
};

// A delimiter: exactly one character, kept in the three forms the writer needs.
class Delimiter {
public:
    Delimiter() = default;
    // Stores the first character of `text`, or a space when `text` is empty.
    void assign(std::string_view text);
    // The one-character text (UTF-8).
    const std::string& text() const { return utf8_; }
    // The byte written to the file for it.
    char ansi() const { return ansi_; }
    // The character is ASCII: its text and its byte are the same.
    bool ascii() const { return ascii_; }

private:
    std::string utf8_ = std::string(1, '\0');
    char ansi_ = '\0';
    bool ascii_ = true;
};

// The About box a control shows; the user interface supplies the real one.
class AboutBox {
public:
    virtual ~AboutBox() = default;
    virtual void ShowModal() = 0;
    virtual void Unload() = 0;
};

struct WriterState {
    std::int16_t error_trap = 0;  // 16-bit Boolean: -1 true, 0 false
    std::string file_name;
    std::int16_t file_number = 0;  // 0 = no file
    Delimiter element_separator;
    Delimiter component_separator;
    Delimiter segment_terminator;
    std::int32_t segment_count = 0;
    std::int32_t new_line = 0;  // NewLineValues, any 32-bit value
    std::int16_t annotation = 0;
    std::unique_ptr<AboutBox> about_box;
    // Strict values (a C++ switch, off by default, not part of the control's
    // persisted settings): Additem refuses a value that holds one of the three
    // delimiters instead of writing it unchanged.
    bool strict_values = false;

    bool trapping() const { return error_trap != 0; }
};

namespace detail {
// The calling thread's writer state once it exists: a plain pointer with
// constant initialisation, so that the per-segment lookup is one load.
extern constinit thread_local WriterState* current_writer_state;
// A number of the calling thread, unique in the process for its whole life;
// 0 until its writer state exists.
extern constinit thread_local std::uint64_t current_thread_serial;
WriterState& create_writer_state();
// VbError vbErrWrongThread for `member` of `owner` called on another thread.
[[noreturn]] void wrong_thread(std::string_view owner, std::string_view member);
}  // namespace detail

// The writer state of the calling thread, created zeroed at first use.
inline WriterState& writer_state() {
    WriterState* state = detail::current_writer_state;
    if (!state) [[unlikely]] return detail::create_writer_state();
    return *state;
}

// The calling thread's number. A control and its segment objects belong to the
// thread that created them, as an object of a single-threaded apartment does:
// they keep this number and refuse calls from any other thread, whose writer
// state (delimiters, file, count) is not theirs.
inline std::uint64_t this_thread_serial() {
    writer_state();
    return detail::current_thread_serial;
}

// Throws vbErrWrongThread unless called on the thread numbered `home`.
inline void check_thread(std::uint64_t home, std::string_view owner, std::string_view member) {
    if (detail::current_thread_serial != home) [[unlikely]] detail::wrong_thread(owner, member);
}

}  // namespace prjVireo
