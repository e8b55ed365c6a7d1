#include "support/convert_utf8.h"

#include <cstring>

#include "support/array.h"
#include "support/exceptions.h"
#include "support/string8.h"

namespace {
// Host texts are short (track tags); this bounds what a missing NUL can cost.
constexpr t_size source_limit = 65536;
}  // namespace

forms::String convertUTF8toUTF16(const char* p_source) {
    const t_size length = pfc::strlen_max(p_source, source_limit);
    if (length == 0) return forms::String();
    pfc::array_t<t_uint8> bytes;
    bytes.set_size(length);
    std::memcpy(bytes.get_ptr(), p_source, length);
    try {
        return forms::decode_utf8(bytes.get_ptr(), length);
    } catch (const std::bad_alloc&) {
        // The toolkit's string allocates on its own; out of memory still says "bad allocation".
        pfc::throw_bad_alloc();
    }
}
