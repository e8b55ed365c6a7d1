#include "forms/text.h"

#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace forms {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Allowed range of the second byte of a sequence led by `lead`; the third and
// fourth bytes are always 80..BF. Returns the sequence length, 0 for a byte that
// never starts a sequence.
int sequence_shape(unsigned char lead, unsigned char& lo, unsigned char& hi) {
    lo = 0x80;
    hi = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (lead == 0xE0) lo = 0xA0;  // below is overlong
        if (lead == 0xED) hi = 0x9F;  // above is a surrogate
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (lead == 0xF0) lo = 0x90;  // below is overlong
        if (lead == 0xF4) hi = 0x8F;  // above is past U+10FFFF
        return 4;
    }
    return 0;
}



// Writes the 8 ASCII bytes at p as 8 code units at o.
inline void widen_word(const unsigned char* p, char16_t* o) noexcept {
#if defined(__SSE2__)
    const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi8(bytes, _mm_setzero_si128()));
#else
    for (int k = 0; k < 8; ++k) o[k] = p[k];
#endif
}

inline bool ascii_word(const unsigned char* p) noexcept {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return (word & 0x8080808080808080u) == 0;
}

}  // namespace

std::size_t decode_utf8_to(const void* bytes, std::size_t count, char16_t* out) noexcept {
    const auto* p = static_cast<const unsigned char*>(bytes);
    char16_t* o = out;
    std::size_t i = 0;
    // Plain ASCII, the common case in tags, goes a word at a time: the words at
    // multiples of 8 from the start and, when it is ASCII, the last word, which
    // ends the text in one step from wherever decoding reaches it (the units of
    // its bytes read before are written again, the same). These are the words
    // in which a caller that has just copied the bytes wrote them: a load that
    // matches a store is forwarded at once, one that straddles two waits.
    const std::size_t ascii_end_from = count >= 8 && ascii_word(p + count - 8) ? count - 8 : count;
    while (i < count) {
        while (i % 8 == 0 && count - i >= 8 && ascii_word(p + i)) {
            widen_word(p + i, o);
            o += 8;
            i += 8;
        }
        if (i >= ascii_end_from) {
            widen_word(p + ascii_end_from, o - (i - ascii_end_from));
            o += count - i;
            break;
        }
        if (p[i] < 0x80) {
            *o++ = p[i++];
            continue;
        }
        const unsigned char lead = p[i];
        // The well-formed sequences of two bytes and the three-byte ones whose
        // second byte may be any continuation, straight; the rest below.
        const auto continuation = [&](std::size_t at) { return at < count && (p[at] & 0xC0) == 0x80; };
        if (lead >= 0xC2 && lead <= 0xDF && continuation(i + 1)) {
            *o++ = static_cast<char16_t>(((lead & 0x1F) << 6) | (p[i + 1] & 0x3F));
            i += 2;
            continue;
        }
        if (lead >= 0xE1 && lead <= 0xEF && lead != 0xED && continuation(i + 1) && continuation(i + 2)) {
            *o++ = static_cast<char16_t>(((lead & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F));
            i += 3;
            continue;
        }
        unsigned char lo, hi;
        const int length = sequence_shape(lead, lo, hi);
        if (length == 0) {
            *o++ = kReplacement;
            ++i;
            continue;
        }
        char32_t cp = lead & (0xFF >> (length + 1));
        std::size_t j = i + 1;
        int have = 1;
        while (have < length && j < count) {
            const unsigned char b = p[j];
            if (b < lo || b > hi) break;
            cp = (cp << 6) | (b & 0x3F);
            lo = 0x80;
            hi = 0xBF;
            ++j;
            ++have;
        }
        i = j;
        if (have < length) {
            // The maximal subpart before the breaking byte costs one
            // replacement; decoding resumes at that byte.
            *o++ = kReplacement;
        } else if (cp >= 0x10000) {
            // Four bytes make two units, so the output never outgrows the input.
            *o++ = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            *o++ = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            *o++ = static_cast<char16_t>(cp);
        }
    }
    return static_cast<std::size_t>(o - out);
}

String decode_utf8(const void* bytes, std::size_t count) {
    String out;
    if (count == 0) return out;
    out.resize(count);
    out.resize(decode_utf8_to(bytes, count, out.data()));
    return out;
}

String from_utf8(std::string_view text) { return decode_utf8(text.data(), text.size()); }

String shown_text(String text) {
    // Per code unit: no surrogate is a control character.
    for (char16_t& unit : text) unit = static_cast<char16_t>(shown_character(unit));
    return text;
}

std::string to_utf8(const String& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = code_point_at(text, i);
        if (is_surrogate(cp)) cp = kReplacement;
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

}  // namespace forms
