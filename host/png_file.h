#pragma once

#include <vector>

#include "forms/picture.h"

namespace host {

// p_picture as the bytes of a PNG file: 8-bit RGB, the alpha dropped (a
// window's pixels are opaque). std::invalid_argument for a picture without
// pixels, std::bad_alloc when memory runs out.
std::vector<unsigned char> encode_png(const forms::Picture& p_picture);

}  // namespace host
