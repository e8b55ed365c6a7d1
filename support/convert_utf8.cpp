#include "support/convert_utf8.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "support/array.h"
#include "support/exceptions.h"

namespace {

// Host texts are short (track tags); this bounds what a missing NUL can cost.
constexpr std::size_t source_limit = 65536;

// Texts up to this many bytes are copied to the stack.
constexpr std::size_t short_text = convert_short_text;

// The position of the first NUL among the first source_limit bytes, or the
// limit. The C library scans a machine word or more at a time and never
// touches a byte in a page that the bound does not reach.
std::size_t source_length(const char* p_source) noexcept {
    return p_source == nullptr ? 0 : ::strnlen(p_source, source_limit);
}

// Copies p_count bytes as whole words from the start and, for a count past a
// multiple of 8, one more word that ends at the end (shorter texts byte by
// byte): the decoder reads the copy back in the same words, and a read that
// matches a write of the same size and place is served without waiting.
void copy_words(t_uint8* p_to, const char* p_from, std::size_t p_count) noexcept {
    const auto copy_word = [&](std::size_t p_at) {
        std::uint64_t word;
        std::memcpy(&word, p_from + p_at, 8);
        std::memcpy(p_to + p_at, &word, 8);
    };
    if (p_count < 8) {
        for (std::size_t i = 0; i < p_count; ++i) p_to[i] = static_cast<t_uint8>(p_from[i]);
        return;
    }
    for (std::size_t i = 0; p_count - i >= 8; i += 8) copy_word(i);
    if (p_count % 8 != 0) copy_word(p_count - 8);
}

}  // namespace

void convertUTF8toUTF16(const char* p_source, forms::String& p_out) {
    const std::size_t length = source_length(p_source);
    if (length == 0) return;
    // The decoder reads its own copy of exactly the text's bytes: on the stack
    // for a text as short as tags are, in a block of its own for a longer one,
    // so a line of the queue window costs no allocation but its own.
    alignas(8) t_uint8 short_copy[short_text];
    pfc::array_t<t_uint8> long_copy;
    t_uint8* bytes = short_copy;
    if (length > short_text) {
        long_copy.set_size(static_cast<t_size>(length));
        bytes = long_copy.get_ptr();
    }
    copy_words(bytes, p_source, length);
    const std::size_t start = p_out.size();
    try {
        // Room for the longest result: one unit per byte. The decoder writes
        // straight into it (a copy of its output read back at once would wait
        // for its stores).
        p_out.resize(start + length);
    } catch (const std::bad_alloc&) {
        // The toolkit's string allocates on its own; out of memory still says "bad allocation".
        pfc::throw_bad_alloc();
    }
    p_out.resize(start + forms::decode_utf8_to(bytes, length, p_out.data() + start));
}

std::size_t convertUTF8toUTF16(const char* p_source, char16_t* p_out, std::size_t p_room) noexcept {
    const std::size_t length = source_length(p_source);
    if (length > short_text || length > p_room) return convert_too_long;
    alignas(8) t_uint8 bytes[short_text];
    copy_words(bytes, p_source, length);
    return forms::decode_utf8_to(bytes, length, p_out);
}

forms::String convertUTF8toUTF16(const char* p_source) {
    forms::String out;
    convertUTF8toUTF16(p_source, out);
    return out;
}
