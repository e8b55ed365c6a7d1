// sorvale-host: loads component libraries the way the music player does and
// reports what it found.

#include <cstdio>
#include <string>
#include <vector>

#include "host/application.h"

namespace {

const char* usage =
    "usage: sorvale-host COMPONENT.so...\n"
    "Loads each component library and prints its client version, its file name\n"
    "and the services it offers, in the order of its factory list.\n";

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage, stdout);
            return 0;
        }
        paths.push_back(arg);
    }
    if (paths.empty()) {
        std::fputs(usage, stderr);
        return 2;
    }

    host::application app;
    for (const auto& path : paths) {
        try {
            auto& component = app.load_component(path);
            std::printf("loaded %s\n", component.file_name().c_str());
            std::printf("  client version: %u\n", component.client().get_version());
            std::printf("  services, in list order:\n");
            for (const auto& factory : component.factories()) {
                std::printf("    %s\n", pfc::print_guid(factory.class_guid).c_str());
            }
        } catch (const host::load_error& e) {
            std::fprintf(stderr, "sorvale-host: %s\n", e.what());
            return 1;
        }
    }
    app.shutdown();
    return 0;
}
