#pragma once
// The script as it arrives: a window of the input in one buffer, addressed by
// stream offsets, with the line and column of any offset still in the window.
//
// The window always has one spare byte before its first byte and
// kPadding spare bytes after its last one, so that a run of steps in it can be
// handed to the JSON parser as an array (an opening bracket written before
// the first step, a closing one after the last) with the padding the parser
// reads ahead into.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "vireo/tools/runner/script_runner.h"

namespace vireo_runner {

class ScriptInput {
public:
    // Bytes after the window that the parser may read, plus one for a closing bracket.
    static constexpr std::size_t kPadding = 64 + 1;

    explicit ScriptInput(ScriptSource& source, std::size_t block = 1 << 20);

    // The window is [start(), limit()): start() is the oldest offset kept.
    std::uint64_t start() const { return base_; }
    std::uint64_t limit() const { return base_ + filled_; }
    bool at_end() const { return ended_; }
    // The byte at stream offset `offset`, for offsets from start() - 1 (the
    // spare byte) to limit() + kPadding.
    char* at(std::uint64_t offset) { return buffer_.get() + kFront + static_cast<std::ptrdiff_t>(offset - base_); }
    const char* at(std::uint64_t offset) const {
        return buffer_.get() + kFront + static_cast<std::ptrdiff_t>(offset - base_);
    }
    std::uint64_t offset_of(const char* p) const {
        return base_ + static_cast<std::uint64_t>(p - (buffer_.get() + kFront));
    }
    // Bytes writable from `p` on: what the parser may be given as capacity.
    std::size_t room_from(const char* p) const {
        return static_cast<std::size_t>(buffer_.get() + capacity_ - p);
    }

    // Reads more of the script, keeping the bytes from `keep` on (offsets
    // before it may be dropped; pointers into the window are invalid after).
    // False at the end of the script.
    bool read_more(std::uint64_t keep);

    // Bytes read from the source so far.
    std::uint64_t bytes_read() const { return base_ + filled_; }

    struct Position {
        std::uint64_t line, column;  // both from 1; the column counts bytes
    };
    // Where offset `offset` (from start() to limit()) is in the script.
    Position position(std::uint64_t offset) const;

private:
    static constexpr std::size_t kFront = 1;

    void drop_before(std::uint64_t keep);

    ScriptSource& source_;
    std::size_t block_;
    struct Free {
        void operator()(char* p) const { std::free(p); }
    };
    std::unique_ptr<char, Free> buffer_;
    std::size_t capacity_;     // of buffer_, spare bytes included
    std::uint64_t base_ = 0;   // stream offset of buffer_[kFront]
    std::size_t filled_ = 0;   // bytes of the script from buffer_[kFront] on
    bool ended_ = false;
    // Lines before base_, and the bytes between the last line break before
    // base_ and base_ itself.
    std::uint64_t lines_before_ = 0;
    std::uint64_t column_before_ = 0;
};

}  // namespace vireo_runner
