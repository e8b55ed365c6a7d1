#include "support/bit_array.h"

t_size bit_array::find(bool val, t_size start, t_int32 count) const {
    if (count == 0) return start;
    const t_size step = count > 0 ? 1u : static_cast<t_size>(-1);
    // |count| as unsigned: -2^31 has no positive int32.
    const t_size todo = count > 0 ? static_cast<t_size>(count) : 0u - static_cast<t_size>(count);
    t_size position = start;
    for (t_size i = 0; i < todo; ++i, position += step) {
        if (get(position) == val) return position;
    }
    return start + static_cast<t_size>(count);
}
