#pragma once
// The form a guide's declaration takes once expanded (guide/define_guide.h):
// flat tables of records, in declaration order, that the Guide constructor
// reads into loops, positions and elements.
#include <cstdint>
#include <span>
#include <string_view>

#include "vireo/guide/guide.h"

namespace prjVireo::guide {

struct CodeSetRecord {
    const char* name;
    const char* title;
    const char* codes;
};

// The class that writes a position; `none` in a declaration: no class does.
using ClassLink = const SegmentClassDescriptor& (*)();
struct none;
template <class C>
constexpr ClassLink link_of() {
    return &C::Descriptor;
}
template <>
constexpr ClassLink link_of<none>() {
    return nullptr;
}

enum class RecordKind : std::uint8_t {
    Loop, LoopAgain, LoopEnd, Segment, SegmentEnd, Element, Composite, Component, CompositeEnd, Syntax
};

struct Record {
    RecordKind kind;
    const char* ident;  // loop ident, segment ID, composite number, syntax kind
    const char* shown;  // loop: shown as; syntax: positions
    const char* name;
    const char* codes;
    Usage usage;
    int a;  // loop: repeat; segment and element: position
    int b;  // loop: position; segment: maximum use
    int c;  // segment: qualifier
    int data;  // element: index into the dictionary
    ClassLink link;
};

struct GuideData {
    std::string_view id;      // "004010X098A1"
    std::string_view source;  // the declaration's file, for the messages of a malformed one
    std::span<const DataElement> dictionary;
    std::span<const CodeSetRecord> code_sets;
    std::span<const Record> records;
};

}  // namespace prjVireo::guide
