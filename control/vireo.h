#pragma once
// The control: the host's one entry point. It owns one object of every segment
// class, configures the thread's writer state through its properties, opens and
// closes the output file, re-raises every segment object's BeforeAdd, and keeps
// its settings in a property bag.
#include <chrono>
#include <concepts>
#include <cstdint>
#include <memory>
#include <string>

#include "vireo/control/catalogue.h"
#include "vireo/control/property_bag.h"
#include "vireo/core/errors.h"
#include "vireo/core/writer_state.h"

namespace prjVireo {

class vireo final : private EventForwarder {
public:
    // Initialisation: one new object of every segment class, in slot order.
    vireo();
    // Termination: releases every segment object; the file and the writer state stay.
    ~vireo();
    vireo(const vireo&) = delete;
    vireo& operator=(const vireo&) = delete;

    // Segment object properties: read returns the object in the member, write
    // replaces it (nullptr empties the member). The control re-raises the
    // BeforeAdd of whatever object each member holds.
#define VIREO_SLOT(Class, Description, ErrorMode)                 \
    std::shared_ptr<Class> Class##_##Description() const;         \
    void Class##_##Description(std::shared_ptr<Class> value);
#include "vireo/control/slots.def"
#undef VIREO_SLOT

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

    // Persistence through the container's property bag.
    void ReadProperties(PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    // The container resized the control: it keeps 500 by 500 twips.
    void Resize(std::int32_t width_twips, std::int32_t height_twips);
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }

    // Generic access to the members, by slot index (catalogue::slots() order).
    std::shared_ptr<SegmentObject> member(std::size_t slot) const;
    // Replaces a member; VbError 13 when the object is of another class.
    void set_member(std::size_t slot, std::shared_ptr<SegmentObject> object);

private:
    bool listening() const override { return !BeforeAdd.empty(); }
    void forward(std::string& SegValue, std::int32_t& SegCount, std::int16_t& bCancel) override {
        BeforeAdd.raise(SegValue, SegCount, bCancel);
    }
    void hold(std::shared_ptr<SegmentObject>& member, std::shared_ptr<SegmentObject> object);
    // The writer state, once the call is known to come from the control's own
    // thread (vbErrWrongThread otherwise, whatever ErrorTrap says).
    WriterState& state(const char* member) const { return home_.check("vireo", member); }

    friend struct SlotAccess;

    HomeThread home_;  // the thread that created the control

#define VIREO_SLOT(Class, Description, ErrorMode) std::shared_ptr<SegmentObject> m##Class;
#include "vireo/control/slots.def"
#undef VIREO_SLOT

    std::int32_t width_ = 500;
    std::int32_t height_ = 500;
};

// Installs what ShowAboutBox shows; the user interface installs its window.
// Without one, ShowAboutBox reports that no About box is available.
using AboutBoxFactory = std::unique_ptr<AboutBox> (*)();
void set_about_box_factory(AboutBoxFactory factory);

// The late-bound face of a control.
class ControlDispatch final : public Dispatch {
public:
    explicit ControlDispatch(vireo& control) : control_(control) {}
    DISPID GetIDOfName(std::string_view name) const override;
    std::string NameOf(DISPID id) const override;
    Variant Invoke(DISPID id, InvokeKind kind, std::vector<Variant>& args) override;
    vireo& control() { return control_; }

private:
    vireo& control_;
};

}  // namespace prjVireo
