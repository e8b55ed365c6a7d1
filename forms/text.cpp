#include "forms/text.h"

#include <cstdint>
#include <string_view>

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

}  // namespace

String decode_utf8(const void* bytes, std::size_t count) {
    String out;
    if (count == 0) return out;
    const auto* p = static_cast<const unsigned char*>(bytes);
    out.reserve(count);
    std::size_t i = 0;
    while (i < count) {
        const unsigned char lead = p[i];
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        unsigned char lo, hi;
        const int length = sequence_shape(lead, lo, hi);
        if (length == 0) {
            out.push_back(kReplacement);
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
        if (have < length) {
            // The maximal subpart [i, j) costs one replacement; resume at the breaking byte.
            out.push_back(kReplacement);
            i = j;
            continue;
        }
        append_code_point(out, cp);
        i = j;
    }
    return out;
}

String from_utf8(std::string_view text) { return decode_utf8(text.data(), text.size()); }

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
