#pragma once

#include <cstddef>

#include "forms/text.h"

// A UTF-8 text from the host as the window toolkit's UTF-16 text. Never fails
// on the text itself: ill-formed bytes become U+FFFD, a null source gives the
// empty string, and at most the first 65,536 bytes are read, so a source
// without a NUL among them is cut there. Out of memory: std::bad_alloc.
forms::String convertUTF8toUTF16(const char* p_source);

// The same text appended to p_out, for a caller that builds many texts in one
// buffer of its own: the decoder writes straight into it. When memory runs
// out, p_out is as it was.
void convertUTF8toUTF16(const char* p_source, forms::String& p_out);

// The same text written to p_out, which has room for p_room units, for a
// caller that builds a line of short texts in an array of its own: a text of
// at most convert_short_text bytes and at most p_room (it never decodes to
// more units than it has bytes) is decoded there, allocating nothing, and the
// answer is the units written; for a longer one nothing is written and the
// answer is convert_too_long.
inline constexpr std::size_t convert_short_text = 256;
inline constexpr std::size_t convert_too_long = static_cast<std::size_t>(-1);
std::size_t convertUTF8toUTF16(const char* p_source, char16_t* p_out, std::size_t p_room) noexcept;
