#include "vireo/core/writer_state.h"

#include "vireo/core/text.h"

namespace prjVireo {

void Delimiter::assign(std::string_view text_in) {
    utf8_ = text::first_character(text_in);
    std::size_t len;
    ansi_ = static_cast<char>(text::ansi_byte(text::decode_utf8(utf8_, len)));
    ascii_ = utf8_.size() == 1 && static_cast<unsigned char>(utf8_[0]) < 0x80;
}

constinit thread_local WriterState* detail::current_writer_state = nullptr;

namespace {
// Owns the thread's writer state and ends it with the thread.
struct WriterStateOwner {
    WriterState state;
    ~WriterStateOwner() { detail::current_writer_state = nullptr; }
};
}  // namespace

WriterState& detail::create_writer_state() {
    thread_local WriterStateOwner owner;
    current_writer_state = &owner.state;
    return owner.state;
}

}  // namespace prjVireo
