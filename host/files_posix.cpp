#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "host/files.h"
#include "support/scope_exit.h"

namespace host::files {

namespace fs = std::filesystem;

namespace {

std::string system_reason(int p_error = errno) { return std::strerror(p_error); }

// Closes p_fd, if it is a descriptor, when the scope that holds the guard
// ends. Where the error of close matters, release the guard and close at once.
auto close_on_exit(int p_fd) noexcept {
    return pfc::on_scope_exit([p_fd]() noexcept {
        if (p_fd >= 0) ::close(p_fd);
    });
}

std::string kind_of(mode_t p_mode) {
    if (S_ISDIR(p_mode)) return "a folder";
    if (S_ISFIFO(p_mode)) return "a FIFO";
    if (S_ISCHR(p_mode)) return "a character device";
    if (S_ISBLK(p_mode)) return "a block device";
    if (S_ISSOCK(p_mode)) return "a socket";
    return "not a regular file";
}

// Appends what p_fd holds to p_out until the end, reading at most p_limit + 1
// bytes in all; answers false when there were more than p_limit.
bool read_bounded(int p_fd, std::size_t p_limit, bytes& p_out) {
    unsigned char chunk[65536];
    for (;;) {
        const std::size_t want = std::min(sizeof chunk, p_limit - std::min(p_limit, p_out.size()) + 1);
        const ssize_t got = ::read(p_fd, chunk, want);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw file_error(system_reason());
        if (got == 0) return true;
        p_out.insert(p_out.end(), chunk, chunk + got);
        if (p_out.size() > p_limit) return false;
    }
}

void write_all(int p_fd, std::span<const unsigned char> p_data) {
    for (std::size_t done = 0; done < p_data.size();) {
        const ssize_t n = ::write(p_fd, p_data.data() + done, p_data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw file_error(system_reason(n == 0 ? EIO : errno));
        done += static_cast<std::size_t>(n);
    }
}

// Makes a rename in p_folder durable; a folder that cannot be synced changes
// nothing already done.
void sync_folder(const fs::path& p_folder) {
    const int fd = ::open(p_folder.empty() ? "." : p_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

std::string system_message(unsigned long p_error) { return system_reason(static_cast<int>(p_error)); }

found_file read_regular(const fs::path& p_file, std::size_t p_limit) {
    found_file found;
    const auto not_regular = [&](mode_t p_mode) {
        found.what = found_file::state::not_regular;
        found.kind = kind_of(p_mode);
        return found;
    };
    struct stat info {};
    if (::stat(p_file.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return found;
        throw file_error(system_reason());
    }
    if (!S_ISREG(info.st_mode)) return not_regular(info.st_mode);
    // Opened without waiting, in case a FIFO took the file's place meanwhile;
    // the descriptor's own type is what counts.
    const int fd = ::open(p_file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw file_error(system_reason());
    const auto close_fd = close_on_exit(fd);
    if (::fstat(fd, &info) != 0) throw file_error(system_reason());
    if (!S_ISREG(info.st_mode)) return not_regular(info.st_mode);
    if (std::cmp_greater(info.st_size, p_limit) || !read_bounded(fd, p_limit, found.data)) {
        found.what = found_file::state::too_large;
        found.size = std::max<std::uintmax_t>(static_cast<std::uintmax_t>(info.st_size), found.data.size());
        found.data.clear();
        return found;
    }
    found.what = found_file::state::read;
    return found;
}

bytes read_stream(const fs::path& p_file, std::size_t p_limit) {
    const bool standard_input = p_file == "-";
    if (standard_input) check_standard_input();
    const int opened = standard_input ? STDIN_FILENO : ::open(p_file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (opened < 0) throw file_error(system_reason());
    const auto close_opened = close_on_exit(standard_input ? -1 : opened);
    struct stat info {};
    if (::fstat(opened, &info) != 0) throw file_error(system_reason());
    if (S_ISDIR(info.st_mode)) throw file_error(system_reason(EISDIR));
    bytes data;
    if (!read_bounded(opened, p_limit, data)) throw file_error("more than " + std::to_string(p_limit) + " bytes");
    return data;
}

void check_standard_input() {
    struct stat info {};
    if (::fstat(STDIN_FILENO, &info) != 0) throw file_error(system_reason());
    if (S_ISDIR(info.st_mode)) throw file_error(system_reason(EISDIR));
    const int flags = ::fcntl(STDIN_FILENO, F_GETFL);
    if (flags < 0 || (flags & O_ACCMODE) == O_WRONLY) throw file_error(system_reason(EBADF));
}

fs::path resolve_links(const fs::path& p_path) {
    fs::path at = p_path;
    // The limit the system itself puts on a chain of links.
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        const fs::path target = fs::read_symlink(at, error);
        if (error) return at;  // not a link, or not there: this is the file
        at = target.is_absolute() ? target : at.parent_path() / target;
    }
    throw file_error(system_reason(ELOOP));
}

void replace_atomically(const fs::path& p_file, std::span<const unsigned char> p_data) {
    const fs::path target = resolve_links(p_file);
    std::string temp_path = target.string() + ".tmp-XXXXXX";
    const int temp = ::mkostemp(temp_path.data(), O_CLOEXEC);
    if (temp < 0) throw file_error(system_reason());
    auto close_temp = close_on_exit(temp);
    try {
        struct stat old {};
        if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
            if (::fchmod(temp, old.st_mode & 07777) != 0) throw file_error(system_reason());
        }
        write_all(temp, p_data);
        // The data must be on disk before the name points at it.
        if (::fsync(temp) != 0) throw file_error(system_reason());
        close_temp.release();
        if (::close(temp) != 0) throw file_error(system_reason());
        if (::rename(temp_path.c_str(), target.c_str()) != 0) throw file_error(system_reason());
    } catch (...) {
        ::unlink(temp_path.c_str());
        throw;
    }
    sync_folder(target.parent_path());
}

fs::path keep_copy(const fs::path& p_file, std::span<const unsigned char> p_data) {
    for (int n = 1; n < 1000; ++n) {
        const fs::path name = p_file.string() + (n == 1 ? "" : "." + std::to_string(n)) + ".bad";
        const int copy = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
        if (copy < 0 && errno == EEXIST) continue;
        if (copy < 0) throw file_error(system_reason());
        auto close_copy = close_on_exit(copy);
        try {
            write_all(copy, p_data);
            if (::fsync(copy) != 0) throw file_error(system_reason());
            close_copy.release();
            if (::close(copy) != 0) throw file_error(system_reason());
        } catch (...) {
            ::unlink(name.c_str());
            throw;
        }
        sync_folder(name.parent_path());
        return name;
    }
    throw file_error("every name up to .999.bad is taken");
}

}  // namespace host::files
