#pragma once
// Text encoding. Text in the API is UTF-8; the output file is written in the
// system ANSI code page, Windows-1252. A character that Windows-1252 cannot
// hold, and every byte of invalid UTF-8, is written as "?".
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace prjVireo::text {

// Decodes the UTF-8 character at the start of `s` (which must not be empty).
// Sets `length` to the bytes consumed; an invalid sequence yields U+FFFD and length 1.
char32_t decode_utf8(std::string_view s, std::size_t& length);

// Appends the UTF-8 form of `cp`.
void append_utf8(std::string& out, char32_t cp);

// The Windows-1252 byte for `cp`, or '?' when the code page has none.
unsigned char ansi_byte(char32_t cp);

// The character that Windows-1252 byte `b` stands for.
char32_t ansi_char(unsigned char b);

// Appends the Windows-1252 bytes of UTF-8 text `utf8` to `out`.
void append_ansi(std::string& out, std::string_view utf8);

// Same, into raw memory with room for at least utf8.size() bytes; returns bytes written.
std::size_t copy_ansi(char* out, std::string_view utf8);

// True when every byte is 7-bit ASCII (then UTF-8 and Windows-1252 bytes coincide).
bool is_ascii(std::string_view s);

// The first character of `s` as a one-character UTF-8 text, or " " when `s` is empty.
std::string first_character(std::string_view s);

// Appends `s` as a JSON string literal. Keep passes bytes from 0x7F up through
// unchanged (the text is UTF-8); Escape writes each as \u00XX, for bytes read
// from a file whose encoding is not known to be UTF-8.
enum class JsonNonAscii { Keep, Escape };
void append_json_string(std::string& out, std::string_view s, JsonNonAscii non_ascii);

}  // namespace prjVireo::text

namespace prjVireo {
// Text with every byte outside printable ASCII written as \xHH: what a
// message may show of a value or a file name (either may hold any byte)
// without driving the terminal.
std::string printable(std::string_view text);
}  // namespace prjVireo
