#pragma once

#include <chrono>
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
// is tried again for up to twenty seconds before it counts (Wine on a loaded
// machine has been seen to take longer than five).
inline void remove_temporary_folder(const std::filesystem::path& p_folder) {
    std::error_code error;
    for (int attempt = 0; attempt < 400; ++attempt) {
        std::filesystem::remove_all(p_folder, error);
        if (!error) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    throw std::filesystem::filesystem_error("cannot remove the test's folder", p_folder, error);
}
