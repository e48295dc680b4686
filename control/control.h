#pragma once
// basic_vireo, the control of a catalogue: it owns one object of every
// segment class of its catalogue, in slot order, configures the thread's
// writer state through its properties, opens and closes the output file,
// re-raises every segment object's BeforeAdd, and keeps its settings in a
// property bag. `vireo` (control/vireo.h) is the control of the 4010
// catalogue with a typed property per slot; control/slot_properties.h gives
// any catalogue's control the same.
#include <chrono>
#include <concepts>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vireo/control/catalogue.h"
#include "vireo/control/property_bag.h"
#include "vireo/core/errors.h"
#include "vireo/core/writer_state.h"

namespace prjVireo {

class basic_vireo : private EventForwarder {
public:
    // Initialisation: one new object of every segment class, in slot order.
    explicit basic_vireo(const catalogue::Catalogue& catalogue);
    // Termination: releases every segment object; the file and the writer state stay.
    virtual ~basic_vireo();
    basic_vireo(const basic_vireo&) = delete;
    basic_vireo& operator=(const basic_vireo&) = delete;

    const catalogue::Catalogue& catalogue() const { return catalogue_; }

    // Properties. Each reads or writes the thread's writer state.
    // The Booleans ErrorTrap and Annotation take the control's values (-1 for
    // true, 0 for false) or a bool, whose true is -1 too; the bool overloads
    // take only a bool, so that ErrorTrap(-1) stays the Integer one.
    std::int16_t ErrorTrap() const;
    void ErrorTrap(std::int16_t value);
    template <std::same_as<bool> Bool>
    void ErrorTrap(Bool value) { ErrorTrap(vb_boolean(value)); }
    std::string Filename() const;
    void Filename(const std::string& value);
    std::string DataElementSeparator() const;
    void DataElementSeparator(const std::string& value);
    std::string SubelementSeparator() const;
    void SubelementSeparator(const std::string& value);
    std::string SegmentTerminator() const;
    void SegmentTerminator(const std::string& value);
    // Only a control whose catalogue has a repetition separator (5010) has
    // it; on any other control both refuse with VbError 438, whatever
    // ErrorTrap says.
    std::string RepetitionSeparator() const;
    void RepetitionSeparator(const std::string& value);
    std::string SegCount() const;
    void SegCount(const std::string& value);
    NewLineValues NewLine() const;
    void NewLine(NewLineValues value);
    std::int16_t Annotation() const;
    void Annotation(std::int16_t value);
    template <std::same_as<bool> Bool>
    void Annotation(Bool value) { Annotation(vb_boolean(value)); }

    // Methods.
    void OpenFile();
    void OpenFile(std::string& FilePath);
    // For a path the host does not need back (a literal, a constant): the
    // same call on a copy.
    void OpenFile(const std::string& FilePath);
    void CloseFile();
    std::string Date_to_CCYYMMDD(std::chrono::year_month_day inDate) const;
    void ShowAboutBox();
    std::string StringToHex(const std::string& value) const;

    // The control's BeforeAdd, raised for every segment of every member.
    BeforeAddEvent BeforeAdd;

    // Strict values, a C++ switch beyond the control's documented interface
    // (off by default; per thread, like every writer setting; not persisted):
    // when on, Additem refuses a value that holds the data element separator,
    // the component separator or the segment terminator, with VbError 5 naming
    // the segment, the field and the character, whatever ErrorTrap says, and
    // writes nothing. Off, such a value is written unchanged, as documented.
    bool StrictValues() const;
    void StrictValues(bool on);

    // Automatic bookkeeping, a C++ switch like StrictValues (off by default;
    // per thread; not persisted): when on, Additem fills the empty HL01, HL02,
    // HL04, LX01, SE02, GE01, GE02, IEA01 and IEA02 and sets SegCount to 0
    // before ST, leaving every value the host set alone; the filled values are
    // emptied again after each Additem. An HL with an empty HL04 is held, with
    // the segments after it, until the next HL (or an envelope segment,
    // CloseFile, OpenFile or switching off) shows whether a child level
    // follows. See core/bookkeeping.h.
    bool AutoBookkeeping() const;
    void AutoBookkeeping(bool on);

    // Persistence through the container's property bag.
    void ReadProperties(PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    // The container resized the control: it keeps 500 by 500 twips.
    void Resize(std::int32_t width_twips, std::int32_t height_twips);
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }

    // The members, by slot index (the catalogue's slot order).
    std::shared_ptr<SegmentObject> member(std::size_t slot) const;
    // Replaces a member; VbError 13 when the object is of another class.
    void set_member(std::size_t slot, std::shared_ptr<SegmentObject> object);

protected:
    // For typed properties: the member at `slot`, and its replacement (nullptr
    // empties it), each first checking that the call comes from the control's
    // own thread; `property` names the property in that error.
    const std::shared_ptr<SegmentObject>& slot_member(std::size_t slot, const char* property) const {
        state(property);
        return members_[slot];
    }
    void hold_slot(std::size_t slot, std::shared_ptr<SegmentObject> object, const char* property) {
        state(property);
        hold(members_[slot], std::move(object));
    }

private:
    bool listening() const override { return !BeforeAdd.empty(); }
    void forward(std::string& SegValue, std::int32_t& SegCount, std::int16_t& bCancel) override {
        BeforeAdd.raise(SegValue, SegCount, bCancel);
    }
    void hold(std::shared_ptr<SegmentObject>& member, std::shared_ptr<SegmentObject> object);
    // The writer state, once the call is known to come from the control's own
    // thread (vbErrWrongThread otherwise, whatever ErrorTrap says).
    WriterState& state(const char* member) const { return home_.check("vireo", member); }
    // The same, for the repetition separator: VbError 438 when the catalogue has none.
    WriterState& repetition_state(const char* member) const;

    const catalogue::Catalogue& catalogue_;
    HomeThread home_;  // the thread that created the control
    std::vector<std::shared_ptr<SegmentObject>> members_;  // one per slot

    std::int32_t width_ = 500;
    std::int32_t height_ = 500;
};

// Installs what ShowAboutBox shows; the user interface installs its window.
// Without one, ShowAboutBox reports that no About box is available.
using AboutBoxFactory = std::unique_ptr<AboutBox> (*)();
void set_about_box_factory(AboutBoxFactory factory);

// The late-bound face of a control: its catalogue's segment object
// properties, and the control's own properties and methods.
class ControlDispatch final : public Dispatch {
public:
    explicit ControlDispatch(basic_vireo& control) : control_(control) {}
    DISPID GetIDOfName(std::string_view name) const override;
    std::string NameOf(DISPID id) const override;
    Variant Invoke(DISPID id, InvokeKind kind, std::vector<Variant>& args) override;
    basic_vireo& control() { return control_; }

private:
    basic_vireo& control_;
};

}  // namespace prjVireo
