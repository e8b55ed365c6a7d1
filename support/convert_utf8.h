#pragma once

#include "forms/text.h"

// A UTF-8 text from the host as the window toolkit's UTF-16 text. Never fails
// on the text itself: ill-formed bytes become U+FFFD, a null source gives the
// empty string, and at most the first 65,536 bytes are read, so a source
// without a NUL among them is cut there. Out of memory: std::bad_alloc.
forms::String convertUTF8toUTF16(const char* p_source);
