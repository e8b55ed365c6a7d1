// The toolkit's UTF-8 decoder against ICU's, which replaces the same maximal
// ill-formed pieces with U+FFFD. Both of the decoder's entries must give
// ICU's code units; the one that writes into the caller's room gets exactly
// as many units as there are bytes, in a block of its own, so a write past
// that room is an AddressSanitizer finding. And the decoded text encodes back
// to the very bytes when ICU found them well-formed, and decodes again to
// itself in any case.

#include <unicode/ustring.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "forms/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* p_data, std::size_t p_size) {
    if (p_size > 0x10000) return 0;
    const auto length = static_cast<std::int32_t>(p_size);

    // ICU never needs more units than bytes with a one-unit substitute.
    const std::unique_ptr<UChar[]> expected(new UChar[p_size + 1]);
    std::int32_t expected_length = 0;
    std::int32_t substitutions = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(expected.get(), length + 1, &expected_length, reinterpret_cast<const char*>(p_data), length,
                         0xFFFD, &substitutions, &status);
    if (U_FAILURE(status)) std::abort();

    const forms::String decoded = forms::decode_utf8(p_size == 0 ? nullptr : p_data, p_size);
    if (decoded.size() != static_cast<std::size_t>(expected_length)) std::abort();
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        if (decoded[i] != expected[i]) std::abort();
    }

    const std::unique_ptr<char16_t[]> room(new char16_t[p_size]);
    const std::size_t written = forms::decode_utf8_to(p_size == 0 ? nullptr : p_data, p_size, room.get());
    if (written != decoded.size() || !std::equal(decoded.begin(), decoded.end(), room.get())) std::abort();

    const std::string encoded = forms::to_utf8(decoded);
    if (substitutions == 0 && (encoded.size() != p_size || (p_size != 0 && std::memcmp(encoded.data(), p_data, p_size) != 0))) std::abort();
    if (forms::from_utf8(encoded) != decoded) std::abort();
    return 0;
}
