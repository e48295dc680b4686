#include "vireo/core/writer_state.h"

#include <atomic>

#include "vireo/core/errors.h"
#include "vireo/core/text.h"

namespace prjVireo {

void Delimiter::assign(std::string_view text_in) {
    utf8_ = text::first_character(text_in);
    std::size_t len;
    ansi_ = static_cast<char>(text::ansi_byte(text::decode_utf8(utf8_, len)));
    ascii_ = utf8_.size() == 1 && static_cast<unsigned char>(utf8_[0]) < 0x80;
}

constinit thread_local WriterState* detail::current_writer_state = nullptr;
constinit thread_local std::uint64_t detail::current_thread_serial = 0;

namespace {
// Owns the thread's writer state and ends it with the thread.
struct WriterStateOwner {
    WriterState state;
    ~WriterStateOwner() { detail::current_writer_state = nullptr; }
};
}  // namespace

WriterState& detail::create_writer_state() {
    static std::atomic<std::uint64_t> last_serial{0};
    thread_local WriterStateOwner owner;
    current_writer_state = &owner.state;
    if (current_thread_serial == 0) current_thread_serial = last_serial.fetch_add(1) + 1;
    return owner.state;
}

void detail::wrong_thread(std::string_view owner, std::string_view member) {
    throw VbError(vbErrWrongThread, std::string(owner) + "." + std::string(member) +
                                        " was called on a thread that did not create it; a control and its segment "
                                        "objects belong to the thread that created them, whose writer state they use");
}

}  // namespace prjVireo
