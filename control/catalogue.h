#pragma once
// The whole segment catalogue: every family's classes, and the registry of
// classes in slot order and of code lists, for introspection.
#include <string_view>
#include <vector>

#include "control/dispatch.h"
#include "core/segment.h"
#include "core/transaction.h"
#include "segments/address/address.h"
#include "segments/adjustment/adjustment.h"
#include "segments/certification/certification.h"
#include "segments/claim/claim.h"
#include "segments/dates/dates.h"
#include "segments/envelope/envelope.h"
#include "segments/hierarchy/hierarchy.h"
#include "segments/names/names.h"
#include "segments/reference/reference.h"
#include "segments/service_line/service_line.h"

namespace prjVireo::catalogue {

// One segment object property of the control.
struct Slot {
    const SegmentClassDescriptor* segment_class;
    std::string_view property;  // L2300_CLM_00_CLMInfo
    DISPID dispid;              // 0x680300E1 downwards in slot order
    bool write_always_reports;  // writing it reports errors whatever ErrorTrap says
};

// The 218 segment object properties in slot order.
const std::vector<Slot>& slots();

// The slot whose property (case-insensitive) or class name is `name`, or nullptr.
const Slot* find_slot(std::string_view name);

// Every code list, in the order the classes (in slot order) first use them.
const std::vector<const CodeListDescriptor*>& codelists();

constexpr DISPID kFirstSlotDispid = 0x680300E1;

}  // namespace prjVireo::catalogue
