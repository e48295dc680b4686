#include "core/writer_state.h"

#include "core/text.h"

namespace prjVireo {

void Delimiter::assign(std::string_view text_in) {
    utf8_ = text::first_character(text_in);
    std::size_t len;
    ansi_ = static_cast<char>(text::ansi_byte(text::decode_utf8(utf8_, len)));
}

WriterState& writer_state() {
    thread_local WriterState state;
    return state;
}

}  // namespace prjVireo
