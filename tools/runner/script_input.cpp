#include "vireo/tools/runner/script_input.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace vireo_runner {

ScriptInput::ScriptInput(ScriptSource& source, std::size_t block)
    : source_(source), block_(block), capacity_(kFront + 2 * block + kPadding) {
    // Not initialised: pages of the window that no script byte reached cost nothing.
    buffer_.reset(static_cast<char*>(std::malloc(capacity_)));
    if (!buffer_) throw std::bad_alloc();
}

void ScriptInput::drop_before(std::uint64_t keep) {
    if (keep <= base_) return;
    const char* first = at(base_);
    const char* cut = at(keep);
    // Line breaks of the bytes that leave the window, for positions later on.
    const char* last_break = nullptr;
    for (const char* p = first; (p = static_cast<const char*>(std::memchr(p, '\n', cut - p))); ++p) {
        ++lines_before_;
        last_break = p;
    }
    column_before_ = last_break ? static_cast<std::uint64_t>(cut - last_break - 1) : column_before_ + (keep - base_);
    const std::size_t kept = filled_ - static_cast<std::size_t>(keep - base_);
    std::memmove(buffer_.get() + kFront, cut, kept);
    base_ = keep;
    filled_ = kept;
}

bool ScriptInput::read_more(std::uint64_t keep) {
    if (ended_) return false;
    drop_before(std::min(keep, limit()));
    // A step longer than the window makes it grow; it never shrinks, so a
    // long value costs its size once more, not a series of copies.
    if (capacity_ - kFront - kPadding - filled_ < block_ / 2) {
        const std::size_t wanted = std::max(2 * (capacity_ - kFront - kPadding), filled_ + block_);
        // realloc moves a large window by remapping its pages, without a second copy.
        char* bigger = static_cast<char*>(std::realloc(buffer_.get(), kFront + wanted + kPadding));
        if (!bigger) throw std::bad_alloc();
        (void)buffer_.release();
        buffer_.reset(bigger);
        capacity_ = kFront + wanted + kPadding;
    }
    const std::size_t room = capacity_ - kFront - kPadding - filled_;
    const std::size_t n = source_.read(buffer_.get() + kFront + filled_, std::min(room, std::max(block_, room / 2)));
    if (n == 0) {
        ended_ = true;
        return false;
    }
    filled_ += n;
    return true;
}

ScriptInput::Position ScriptInput::position(std::uint64_t offset) const {
    offset = std::clamp(offset, base_, limit());
    const char* first = at(base_);
    const char* p = at(offset);
    std::uint64_t lines = lines_before_;
    const char* last_break = nullptr;
    for (const char* q = first; (q = static_cast<const char*>(std::memchr(q, '\n', p - q))); ++q) {
        ++lines;
        last_break = q;
    }
    const std::uint64_t column = last_break ? static_cast<std::uint64_t>(p - last_break - 1)
                                            : column_before_ + (offset - base_);
    return {lines + 1, column + 1};
}

}  // namespace vireo_runner
