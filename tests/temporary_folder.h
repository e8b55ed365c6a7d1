#pragma once

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <thread>

// A new, empty folder of the test's own under the system's temporary folder
// (p_prefix followed by a random number); the caller removes it.
inline std::filesystem::path make_temporary_folder(const std::string& p_prefix) {
    std::random_device entropy;
    for (;;) {
        const auto folder = std::filesystem::temp_directory_path() / (p_prefix + std::to_string(entropy()));
        if (std::filesystem::create_directory(folder)) return folder;
    }
}

// Removes p_folder and everything in it. On Windows the files a child process
// had open may stay in use for a moment after it has ended: a failed removal
// is tried again for up to five seconds. Under Wine on a busy machine they
// have been seen to stay in use for more than twenty (something Wine keeps
// running for the prefix while other tests' programs run), and nothing a
// test checks depends on the folder going: then it stays in the temporary
// folder, and a line says so.
inline void remove_temporary_folder(const std::filesystem::path& p_folder) {
    std::error_code error;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::remove_all(p_folder, error);
        if (!error) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::fprintf(stderr, "note: the test's folder %s stays: %s\n", p_folder.string().c_str(), error.message().c_str());
}
