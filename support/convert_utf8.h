#pragma once

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
