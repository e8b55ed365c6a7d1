// Reads the host's screenshots for the real-window tests on Linux
// (gtk_desktop_test.sh), which learn from them where the window's lines are.
//
//   picture_probe size PNG          "W x H"
//   picture_probe diff A.png B.png X
//                                   the first run of rows in which column X
//                                   of the two pictures differs: "rows FIRST-LAST"
#include <cstdio>
#include <cstring>
#include <cstdlib>

#include "tests/png_image.h"

namespace {

struct image {
    int width = 0;
    int height = 0;
    unsigned char* pixels = nullptr;  // RGB

    explicit image(const char* p_path) {
        int channels = 0;
        pixels = stbi_load(p_path, &width, &height, &channels, 3);
        if (pixels == nullptr) {
            std::fprintf(stderr, "cannot read %s: %s\n", p_path, stbi_failure_reason());
            std::exit(1);
        }
    }
    ~image() { stbi_image_free(pixels); }
    image(const image&) = delete;
    image& operator=(const image&) = delete;

    const unsigned char* at(int p_x, int p_y) const { return pixels + 3 * (static_cast<long>(p_y) * width + p_x); }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "size") == 0) {
        const image picture(argv[2]);
        std::printf("%d x %d\n", picture.width, picture.height);
        return 0;
    }
    if (argc == 5 && std::strcmp(argv[1], "diff") == 0) {
        const image a(argv[2]), b(argv[3]);
        const int x = std::atoi(argv[4]);
        if (a.width != b.width || a.height != b.height || x < 0 || x >= a.width) {
            std::printf("pictures of different sizes, or column %d outside them\n", x);
            return 1;
        }
        int first = -1, last = -1;
        for (int y = 0; y < a.height; ++y) {
            const bool differs = std::memcmp(a.at(x, y), b.at(x, y), 3) != 0;
            if (differs && first < 0) first = y;
            if (differs) last = y;
            if (!differs && first >= 0) break;
        }
        if (first < 0) {
            std::printf("no rows differ\n");
            return 1;
        }
        std::printf("rows %d-%d\n", first, last);
        return 0;
    }
    std::fprintf(stderr, "usage: picture_probe size PNG | diff A.png B.png X\n");
    return 2;
}
