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
// per stored property. Text values are written in double quotes with C-style
// escapes (\\ \" \r \n \t \0 \xHH) so that any delimiter survives; numbers
// and Booleans are written bare. Blank lines and lines starting with '#' or
// ';' are comments: they are kept where they are when the bag is saved again.
// A UTF-8 byte order mark at the start of a file is skipped.
//
// Writing a property that the bag holds replaces its value in place; one it
// does not hold goes before the first stored property that was not written
// before it, so that a control's properties keep the order it writes them in.
class TextPropertyBag final : public PropertyBag {
public:
    // A saved control is a few short lines: a larger file is not one.
    static constexpr std::size_t kMaxFileSize = 1 << 20;

    TextPropertyBag() = default;

    // Reads a saved file; VbError 53 when it does not exist, 75 when unreadable,
    // and VbError 380 naming the line for a malformed line, or for a file
    // larger than kMaxFileSize.
    static TextPropertyBag load(const std::string& path);
    static TextPropertyBag parse(const std::string& contents);
    // Writes the file as a whole: through a new private temporary file beside
    // it, renamed over it once on disk, keeping the replaced file's mode and,
    // where permitted, owner and group. A symbolic link is not followed.
    // VbError for any failure, the file then left as it was.
    void save(const std::string& path) const;
    std::string serialize() const;

    Variant ReadProperty(const std::string& name, const Variant& default_value) override;
    void WriteProperty(const std::string& name, const Variant& value,
                       const Variant& default_value) override;

    // The stored properties in file order.
    std::vector<std::pair<std::string, Variant>> entries() const;

private:
    struct Line {
        std::string key;  // empty for a comment or blank line
        Variant value;
        std::string comment;  // the comment or blank line as read
    };
    std::vector<Line> lines_;
    std::vector<std::string> written_;  // keys in the order first written
};

}  // namespace prjVireo
