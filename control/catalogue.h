#pragma once
// The whole segment catalogue: every family's classes, and the registry of
// classes in slot order and of code lists, for introspection.
#include <string_view>
#include <vector>

#include "vireo/control/dispatch.h"
#include "vireo/core/segment.h"
#include "vireo/core/transaction.h"
#include "vireo/segments/address/address.h"
#include "vireo/segments/adjustment/adjustment.h"
#include "vireo/segments/certification/certification.h"
#include "vireo/segments/claim/claim.h"
#include "vireo/segments/dates/dates.h"
#include "vireo/segments/envelope/envelope.h"
#include "vireo/segments/hierarchy/hierarchy.h"
#include "vireo/segments/names/names.h"
#include "vireo/segments/reference/reference.h"
#include "vireo/segments/service_line/service_line.h"

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

}  // namespace prjVireo::catalogue
