#pragma once

#include <filesystem>
#include <string>
#include <vector>

// A program run as a user runs it, its output kept in files of p_folder:
// child_process_posix.cpp (fork, exec) and child_process_windows.cpp
// (CreateProcessW).
namespace child_process {

enum class input {
    none,    // an empty file
    folder,  // a folder opened for reading
    closed,  // no standard input at all
};

struct ran {
    int status = -1;  // the exit status (POSIX: or 128 + the signal)
    std::string out;
    std::string err;
};

// Runs p_program with p_args (UTF-8) and standard input as p_input; its
// standard output and error go to p_folder/stdout and p_folder/stderr. A run
// that takes longer than 60 seconds is killed.
ran run(const std::string& p_program, const std::vector<std::string>& p_args, input p_input, const std::filesystem::path& p_folder);

}  // namespace child_process
