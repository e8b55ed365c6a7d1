// The pixels of a window's client area, as a backend reads them back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace forms {

// `width` x `height` pixels, rows top to bottom, each 0xAARRGGBB.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;

    std::uint32_t At(int x, int y) const {
        return argb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

}  // namespace forms
