// The toolkit's string type and its conversions to and from UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace forms {

// Text in the toolkit is UTF-16, as on the host's desktop.
using String = std::u16string;

// UTF-16 surrogates: a high one (D800..DBFF) followed by a low one (DC00..DFFF)
// codes one code point above U+FFFF; either alone is unpaired.
constexpr bool is_high_surrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool is_low_surrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
constexpr bool is_surrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }
// The code point of a high and a low surrogate.
constexpr char32_t decode_surrogates(char32_t high, char32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}
// Appends `cp` as one code unit, or as a surrogate pair above U+FFFF. A value
// that is itself a surrogate goes in unchanged.
inline void append_code_point(String& out, char32_t cp) {
    if (cp >= 0x10000) {
        out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}
// The code point at text[i], a surrogate pair read whole (then `i` moves onto
// its low half); an unpaired surrogate comes back as itself.
inline char32_t code_point_at(const String& text, std::size_t& i) {
    const char32_t unit = text[i];
    if (is_high_surrogate(unit) && i + 1 < text.size() && is_low_surrogate(text[i + 1])) return decode_surrogates(unit, text[++i]);
    return unit;
}

// What a text shows on every backend, drawn or as a window's title: a control
// character (below U+0020) as a space, everything else as itself.
constexpr char32_t shown_character(char32_t c) { return c < 0x20 ? U' ' : c; }
String shown_text(String text);

// A font's average character width, as auto-scaling takes it from the
// backend (Backend::FontMetrics): the width of these 52 letters set in the
// font, divided by 52 and rounded, as the desktop's toolkit measures it.
inline constexpr std::string_view kAverageWidthLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr int average_char_width(long long lettersWidth) {
    return static_cast<int>((lettersWidth + static_cast<long long>(kAverageWidthLetters.size()) / 2) /
                            static_cast<long long>(kAverageWidthLetters.size()));
}

// Decodes UTF-8 into UTF-16. Never fails: each maximal ill-formed subsequence (the
// longest run that still starts some well-formed sequence, else one byte) becomes
// exactly one U+FFFD and decoding resumes at the byte that broke the sequence.
// Reads exactly `count` bytes; `bytes` may be null when `count` is 0.
// The result never has more code units than the input has bytes.
String decode_utf8(const void* bytes, std::size_t count);
// The same decoding written straight to `out`, which must have room for
// `count` code units (never more are written); answers how many it wrote.
// For callers that decode many texts into one buffer of their own.
std::size_t decode_utf8_to(const void* bytes, std::size_t count, char16_t* out) noexcept;

// Encodes UTF-16 as UTF-8 for display. An unpaired surrogate becomes U+FFFD.
std::string to_utf8(const String& text);

// Convenience for literals and tests: decode_utf8 over the string's bytes.
String from_utf8(std::string_view text);

}  // namespace forms
