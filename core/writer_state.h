#pragma once
// The writer state: one block per thread, shared by every control and segment
// object of that thread. Every field starts at zero.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace prjVireo {

class SegmentWatcher;
class Bookkeeper;

// Ends a Bookkeeper (core/bookkeeping.h), which this header need not show.
struct BookkeeperDelete {
    void operator()(Bookkeeper* bookkeeper) const noexcept;
};

// What follows each segment: nothing, LF or CR LF. Any other value writes nothing.
enum class NewLineValues : std::int32_t {
#define VIREO_NEWLINE_VALUE(Name, Value) Name = Value,
#include "vireo/core/newline_values.def"
#undef VIREO_NEWLINE_VALUE
};

// The names of NewLineValues with their values, in the type library's order.
struct NewLineValueName {
    const char* name;
    std::int32_t value;
};
inline constexpr NewLineValueName kNewLineValueNames[] = {
#define VIREO_NEWLINE_VALUE(Name, Value) {#Name, Value},
#include "vireo/core/newline_values.def"
#undef VIREO_NEWLINE_VALUE
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
    // The repetition separator, a delimiter only of an interchange whose
    // header declares one (5010's ISA11): a control of such a catalogue sets
    // it, and until one does the thread has none and nothing refers to it.
    Delimiter repetition_separator;
    bool has_repetition_separator = false;
    std::int32_t segment_count = 0;
    std::int32_t new_line = 0;  // NewLineValues, any 32-bit value
    std::int16_t annotation = 0;
    // Strict values (a C++ switch, off by default, not part of the control's
    // persisted settings): Additem refuses a value that holds one of the
    // delimiters (the repetition separator too, once the thread has one)
    // instead of writing it unchanged. Beside the annotation flag,
    // which every Additem reads with it.
    bool strict_values = false;
    std::unique_ptr<AboutBox> about_box;
    // Sees every segment written on this thread (a guide checker), or nullptr.
    SegmentWatcher* watcher = nullptr;
    // Automatic bookkeeping (a C++ switch, off by default, not persisted):
    // present while it is on. See core/bookkeeping.h.
    std::unique_ptr<Bookkeeper, BookkeeperDelete> bookkeeper;

    bool trapping() const { return error_trap != 0; }
};

namespace detail {
// The calling thread's writer state once it exists: a plain pointer with
// constant initialisation, so that the per-segment lookup is one load.
extern constinit thread_local WriterState* current_writer_state;
WriterState& create_writer_state();
// A writer state's memory (not its contents, which end with their thread)
// stays while an object created on its thread exists, so that no later
// thread's writer state has its address: the address names the thread.
void hold_writer_state(WriterState& state) noexcept;
void release_writer_state(WriterState& state) noexcept;
// VbError vbErrWrongThread for `member` of `owner` called on another thread.
// Plain C strings: nothing is measured or copied unless the error happens.
[[noreturn, gnu::cold]] void wrong_thread(const char* owner, const char* member);
}  // namespace detail

// The writer state of the calling thread, created zeroed at first use.
inline WriterState& writer_state() {
    WriterState* state = detail::current_writer_state;
    if (!state) [[unlikely]] return detail::create_writer_state();
    return *state;
}

// The thread an object belongs to. A control and its segment objects belong to
// the thread that created them, as objects of a single-threaded apartment do:
// called from another thread, whose writer state (delimiters, file, count) is
// not theirs, they refuse the call.
class HomeThread {
public:
    HomeThread() : state_(&writer_state()) { detail::hold_writer_state(*state_); }
    ~HomeThread() { detail::release_writer_state(*state_); }
    HomeThread(const HomeThread&) = delete;
    HomeThread& operator=(const HomeThread&) = delete;

    // The writer state, once the call is known to come from the home thread;
    // vbErrWrongThread otherwise. The same one load and test as writer_state().
    WriterState& check(const char* owner, const char* member) const {
        WriterState* current = detail::current_writer_state;
        if (current != state_) [[unlikely]] detail::wrong_thread(owner, member);
        return *current;
    }

private:
    WriterState* state_;
};

}  // namespace prjVireo
