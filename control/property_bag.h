#pragma once
// The container's property bag: where a control saves its persisted settings.
#include <string>
#include <utility>
#include <vector>

#include "vireo/control/variant.h"

namespace prjVireo {

class PropertyBag {
public:
    virtual ~PropertyBag() = default;
    // The saved value of `name`, or `default_value` when none is saved.
    virtual Variant ReadProperty(const std::string& name, const Variant& default_value) = 0;
    // Saves `value` under `name`; a value equal to `default_value` is not stored.
    virtual void WriteProperty(const std::string& name, const Variant& value,
                               const Variant& default_value) = 0;
};

// A property bag kept as a text file (a saved control): one "Key=Value" line
// per stored property, in the order written. Text values are written in
// double quotes with C-style escapes (\\ \" \r \n \t \0 \xHH) so that any
// delimiter survives; numbers and Booleans are written bare. Blank lines and
// lines starting with '#' or ';' are ignored when reading.
class TextPropertyBag final : public PropertyBag {
public:
    TextPropertyBag() = default;

    // Reads a saved file; VbError 53 when it does not exist, 75 when unreadable,
    // and VbError 380 naming the line for a malformed line.
    static TextPropertyBag load(const std::string& path);
    static TextPropertyBag parse(const std::string& contents);
    // Writes the file; VbError for any failure.
    void save(const std::string& path) const;
    std::string serialize() const;

    Variant ReadProperty(const std::string& name, const Variant& default_value) override;
    void WriteProperty(const std::string& name, const Variant& value,
                       const Variant& default_value) override;

    const std::vector<std::pair<std::string, Variant>>& entries() const { return entries_; }

private:
    std::vector<std::pair<std::string, Variant>> entries_;
};

}  // namespace prjVireo
