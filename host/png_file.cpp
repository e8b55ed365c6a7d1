#include "host/png_file.h"

#include <cstdlib>
#include <new>
#include <stdexcept>
#include <utility>

// The encoder is Debian's header-only stb_image_write, compiled here alone and
// without the project's warnings, which it was not written for.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wsign-conversion"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wpedantic"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wdouble-promotion"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace host {

std::vector<unsigned char> encode_png(const forms::Picture& p_picture) {
    if (p_picture.width <= 0 || p_picture.height <= 0) throw std::invalid_argument("a picture without pixels");
    std::vector<unsigned char> rgb;
    rgb.reserve(p_picture.argb.size() * 3);
    for (const std::uint32_t pixel : p_picture.argb) {
        rgb.push_back(static_cast<unsigned char>(pixel >> 16));
        rgb.push_back(static_cast<unsigned char>(pixel >> 8));
        rgb.push_back(static_cast<unsigned char>(pixel));
    }
    struct sink {
        std::vector<unsigned char> bytes;
        bool failed = false;
    } file;
    // No exception may cross the encoder, which would leak its buffer.
    const auto append = [](void* p_sink, void* p_data, int p_size) {
        auto& out = *static_cast<sink*>(p_sink);
        const auto* data = static_cast<const unsigned char*>(p_data);
        try {
            out.bytes.insert(out.bytes.end(), data, data + p_size);
        } catch (const std::bad_alloc&) {
            out.failed = true;
        }
    };
    if (!stbi_write_png_to_func(append, &file, p_picture.width, p_picture.height, 3, rgb.data(), p_picture.width * 3) || file.failed) {
        throw std::bad_alloc();
    }
    return std::move(file.bytes);
}

}  // namespace host
