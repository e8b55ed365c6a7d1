// The toolkit's string type and its conversions to and from UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace forms {

// Text in the toolkit is UTF-16, as on the host's desktop.
using String = std::u16string;

// Decodes UTF-8 into UTF-16. Never fails: each maximal ill-formed subsequence (the
// longest run that still starts some well-formed sequence, else one byte) becomes
// exactly one U+FFFD and decoding resumes at the byte that broke the sequence.
// Reads exactly `count` bytes; `bytes` may be null when `count` is 0.
// The result never has more code units than the input has bytes.
String decode_utf8(const void* bytes, std::size_t count);

// Encodes UTF-16 as UTF-8 for display. An unpaired surrogate becomes U+FFFD.
std::string to_utf8(const String& text);

// Convenience for literals and tests: decode_utf8 over the string's bytes.
String from_utf8(std::string_view text);

}  // namespace forms
