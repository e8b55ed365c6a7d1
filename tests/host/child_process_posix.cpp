#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "child_process.h"

namespace child_process {

namespace {

std::string file_text(const std::filesystem::path& p_file) {
    std::ifstream in(p_file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

ran run(const std::string& p_program, const std::vector<std::string>& p_args, input p_input, const std::filesystem::path& p_folder) {
    const std::filesystem::path out = p_folder / "stdout", err = p_folder / "stderr";
    const pid_t child = fork();
    if (child == 0) {
        const int in = p_input == input::folder ? open(p_folder.c_str(), O_RDONLY) : open("/dev/null", O_RDONLY);
        dup2(in, 0);
        if (p_input == input::closed) close(0);
        dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        std::vector<char*> argv{const_cast<char*>(p_program.c_str())};
        for (const auto& arg : p_args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(p_program.c_str(), argv.data());
        _exit(127);
    }
    ran result;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = file_text(out);
    result.err = file_text(err);
    return result;
}

}  // namespace child_process
