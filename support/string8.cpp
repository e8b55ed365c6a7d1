#include "support/string8.h"

namespace pfc {

t_size strlen_max(const char* p_string, t_size p_max) noexcept {
    if (p_string == nullptr) return 0;
    t_size length = 0;
    while (length < p_max && p_string[length] != 0) ++length;
    return length;
}

}  // namespace pfc
