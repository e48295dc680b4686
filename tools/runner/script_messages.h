#pragma once
// How the runner words its messages: names and values of the script quoted
// as JSON strings and cut to an excerpt, control characters escaped so that
// nothing in a message acts on the terminal, and the closest name suggested
// for one that is not known.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace prjVireo {
class VbError;
}

namespace vireo_runner {

// `s` as a JSON string; bytes that are not UTF-8 become U+FFFD.
std::string json_quoted(std::string_view s);

// Each character of `text` that a terminal would act on, and each byte that is
// not UTF-8, as \u00XX; other characters as they are. `quoted` also escapes
// the quote and the backslash, for a JSON string.
std::string escaped_controls(std::string_view text, bool quoted);

// The detail of a control error, without its standard text ("Path/File access error: ").
std::string detail_of(const prjVireo::VbError& e);

// How much of a name or value from the script a message quotes.
inline constexpr std::size_t kExcerptSize = 80;

// `start` (the beginning of a text of `size` bytes) quoted, cut after
// kExcerptSize bytes at a character boundary, with the full size when cut.
std::string excerpt_of(std::string_view start, std::size_t size);

// " (did you mean "NAME"?)" for the candidate closest to `name`, or nothing.
std::string did_you_mean(std::string_view name, const std::vector<std::string_view>& candidates);

// A field is named by its position and a description ("m03_..."): a name
// whose position matches one field suggests that field, whatever the description.
std::string suggest_field(std::string_view name, const std::vector<std::string_view>& fields);

}  // namespace vireo_runner
