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

namespace {

// A thread's writer state with the count of what holds its memory: the thread
// itself and every control and segment object created on it.
struct WriterStateBlock : WriterState {
    std::atomic<std::size_t> holders{1};
};

void release(WriterStateBlock* block) noexcept {
    if (block->holders.fetch_sub(1, std::memory_order_acq_rel) == 1) delete block;
}

// Ends the thread's writer state with the thread: its contents now (an About
// box belongs to its thread), its memory once no object of the thread is left.
struct WriterStateOwner {
    WriterStateBlock* block = nullptr;
    ~WriterStateOwner() {
        detail::current_writer_state = nullptr;
        if (!block) return;
        static_cast<WriterState&>(*block) = WriterState{};
        release(block);
    }
};

}  // namespace

WriterState& detail::create_writer_state() {
    thread_local WriterStateOwner owner;
    if (!owner.block) owner.block = new WriterStateBlock;
    current_writer_state = owner.block;
    return *owner.block;
}

void detail::hold_writer_state(WriterState& state) noexcept {
    static_cast<WriterStateBlock&>(state).holders.fetch_add(1, std::memory_order_relaxed);
}

void detail::release_writer_state(WriterState& state) noexcept { release(&static_cast<WriterStateBlock&>(state)); }

void detail::wrong_thread(const char* owner, const char* member) {
    throw VbError(vbErrWrongThread, std::string(owner) + "." + member +
                                        " was called on a thread that did not create it; a control and its segment "
                                        "objects belong to the thread that created them, whose writer state they use");
}

}  // namespace prjVireo
