#pragma once
// Catalogues: a catalogue is one implementation guide's segment classes in
// slot order (the control's segment object properties and their dispatch ids)
// with their code lists. The control, its dispatch layer, the type library,
// the script schema and the script runner each take the catalogue they work
// on; the 4010 Professional catalogue is the default everywhere.
//
// A catalogue is declared by its slot list (a file of VIREO_SLOT lines) and
// the families that declare its classes; control/define_catalogue.h expands
// the slot list into its Catalogue.
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "vireo/control/dispatch.h"
#include "vireo/core/segment.h"
#include "vireo/core/transaction.h"
#include "vireo/catalogues/professional_4010/families.h"

namespace prjVireo::catalogue {

// How a slot's property reports errors: the third argument of its VIREO_SLOT
// line, a name of this enumeration, so that a misspelt mode stops the build.
//   Trapped         reading and writing pass errors over unless ErrorTrap is set
//   AlwaysReported  writing always lets an error reach the host (reading is trapped)
enum class SlotErrorMode { Trapped, AlwaysReported };

// One segment object property of the control.
struct Slot {
    const SegmentClassDescriptor* segment_class;
    std::string_view property;  // L2300_CLM_00_CLMInfo
    DISPID dispid;              // as the slot list gives it; never changes
    bool write_always_reports;  // writing it reports errors whatever ErrorTrap says
    std::shared_ptr<SegmentObject> (*make)();  // a new object of the class
};

// What a catalogue that follows another (5010 after 4010) keeps of it: the
// name of the catalogue it follows, and each class of that one whose guide
// position it kept, beside its own class of that position.
struct Lineage {
    std::string_view follows;  // empty: it follows none
    std::vector<std::pair<const SegmentClassDescriptor*, const SegmentClassDescriptor*>> classes;
};

class Catalogue {
public:
    // `name` identifies the catalogue ("004010X098A1"); `description` is the
    // type library's description of a control of this catalogue.
    // Throws std::invalid_argument when two slots share a dispatch id.
    Catalogue(std::string_view name, std::string_view description, std::vector<Slot> slots, Lineage lineage = {});
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    std::string_view name() const { return name_; }
    std::string_view description() const { return description_; }
    // The segment object properties in slot order.
    const std::vector<Slot>& slots() const { return slots_; }
    // Every code list, in the order the classes (in slot order) first use them.
    const std::vector<const CodeListDescriptor*>& codelists() const { return codelists_; }
    // The slot whose property (case-insensitive) or class name is `name`, or nullptr.
    const Slot* find_slot(std::string_view name) const;
    // The index of the slot whose dispatch id is `id`, or -1.
    std::ptrdiff_t slot_of_dispid(DISPID id) const;
    // The catalogue it follows, and the classes it kept of that one.
    const Lineage& lineage() const { return lineage_; }
    // Its interchange header declares a repetition separator (5010's ISA11):
    // its control has the RepetitionSeparator property.
    bool has_repetition_separator() const { return has_repetition_separator_; }

private:
    std::string_view name_;
    std::string_view description_;
    std::vector<Slot> slots_;
    // (dispatch id, slot index), sorted by id: looked up by binary search.
    std::vector<std::pair<DISPID, std::size_t>> by_dispid_;
    std::vector<const CodeListDescriptor*> codelists_;
    Lineage lineage_;
    bool has_repetition_separator_ = false;
};

// The 837 Professional 4010 catalogue (004010X098A1): 218 classes.
const Catalogue& professional_4010();

// The catalogues built into the library, in the order the build adds them
// (vireo_add_catalogue ... BUILT_IN), the 4010 one first.
std::vector<const Catalogue*> built_in();

// The catalogues this program knows, the 4010 one first. A program that
// brings a catalogue of its own registers it once, before it looks it up.
std::vector<const Catalogue*> registered();
void register_catalogue(const Catalogue& catalogue);
// The registered catalogue named `name` (case-insensitive), or nullptr.
const Catalogue* find_catalogue(std::string_view name);

// The 4010 catalogue's slots, slot lookup and code lists.
inline const std::vector<Slot>& slots() { return professional_4010().slots(); }
inline const Slot* find_slot(std::string_view name) { return professional_4010().find_slot(name); }
inline const std::vector<const CodeListDescriptor*>& codelists() { return professional_4010().codelists(); }

}  // namespace prjVireo::catalogue
