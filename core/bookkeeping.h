#pragma once
// Automatic bookkeeping (a C++ switch, off by default, per thread): the
// writer fills the control numbers, counts and hierarchy links a host usually
// gets wrong (HL01, HL02, HL04, LX01, SE02, GE01, GE02, IEA01, IEA02, and
// SegCount 0 before ST so that the trailer counts ST to SE), leaving every
// value the host did set alone. It knows segments by ID and element position
// only, so it serves every catalogue.
//
// HL04 (does a child level follow?) is known only once the next HL arrives:
// an HL whose HL04 is empty is held, with every segment after it, until the
// next HL or an envelope segment arrives, the file is closed or opened, or the
// mode is switched off; then HL04 is set and the held segments are written in
// their order, their BeforeAdd events firing then.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace prjVireo {

class SegmentObject;
struct WriterState;

class Bookkeeper {
public:
    Bookkeeper();
    ~Bookkeeper();
    Bookkeeper(const Bookkeeper&) = delete;
    Bookkeeper& operator=(const Bookkeeper&) = delete;

    // Additem of `object` with the mode on: held, or filled, written and emptied again.
    void additem(WriterState& ws, SegmentObject& object);
    // Writes what is held (HL04 "0": no level follows). The first error of the
    // held segments is thrown once all of them have been written.
    void release(WriterState& ws);
    // Within an Additem of the mode (a BeforeAdd handler runs).
    bool busy() const { return depth_ != 0; }
    std::size_t held() const { return held_.size(); }
    // Segments written in the mode so far (reached the file).
    std::uint64_t written() const { return written_; }

private:
    // A held Additem: the object and its field values at the time of the call.
    struct Held {
        std::shared_ptr<SegmentObject> object;
        std::vector<std::string> texts;  // by field; code fields keep theirs in codes
        std::vector<std::int32_t> codes;
    };
    struct Level {
        const char* loop;
        std::string number;  // its HL01
    };

    void hold(SegmentObject& object);
    // Writes the held segments, the HL's HL04 set from `child_follows`.
    void replay(WriterState& ws, bool child_follows);
    // Fills, writes and empties the filled fields again; counts what was written.
    void write(WriterState& ws, SegmentObject& object);
    // The level an HL of `loop` hangs under, or nullptr.
    const Level* parent_of(const char* loop) const;

    std::string interchange_number_;  // ISA13
    std::string group_number_;        // GS06
    std::string transaction_number_;  // ST02
    std::int32_t groups_ = 0;         // in the interchange
    std::int32_t transactions_ = 0;   // in the group
    std::int32_t levels_written_ = 0; // HLs in the transaction
    std::int32_t lines_ = 0;          // LXs in the claim
    std::vector<Level> levels_;       // the open HL levels, outermost first
    std::vector<Held> held_;          // the held HL first
    int depth_ = 0;
    std::uint64_t written_ = 0;
};

// Switches the thread's automatic bookkeeping on or off. Switching off writes
// what is held first; it is refused (VbError 5) from a BeforeAdd handler of an
// Additem of the mode.
void set_auto_bookkeeping(WriterState& ws, bool on);
// Writes what is held (before CloseFile and OpenFile).
void release_bookkeeping(WriterState& ws);

}  // namespace prjVireo
