#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

#include "host/files.h"
#include "support/scope_exit.h"

namespace host::files {

namespace fs = std::filesystem;

namespace {

// Closes p_handle, if it is one, when the scope that holds the guard ends.
// Where the error of closing matters, release the guard and close at once.
auto close_on_exit(HANDLE p_handle) noexcept {
    return pfc::on_scope_exit([p_handle]() noexcept {
        if (p_handle != INVALID_HANDLE_VALUE && p_handle != nullptr) CloseHandle(p_handle);
    });
}

[[noreturn]] void fail(DWORD p_error = GetLastError()) { throw file_error(system_message(p_error)); }

bool is_missing(DWORD p_error) {
    return p_error == ERROR_FILE_NOT_FOUND || p_error == ERROR_PATH_NOT_FOUND || p_error == ERROR_INVALID_NAME ||
           p_error == ERROR_BAD_NETPATH;
}

constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The kind of what p_handle is open on, when it is no regular file.
const char* irregular_kind(HANDLE p_handle) {
    switch (GetFileType(p_handle)) {
        case FILE_TYPE_DISK: {
            BY_HANDLE_FILE_INFORMATION info{};
            if (GetFileInformationByHandle(p_handle, &info) == 0) fail();
            return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? "a folder" : nullptr;
        }
        case FILE_TYPE_CHAR:
            return "a character device";
        case FILE_TYPE_PIPE:
            return "a named pipe";
        default:
            return "not a regular file";
    }
}

// Appends what p_handle holds to p_out until the end, reading at most
// p_limit + 1 bytes in all; answers false when there were more than p_limit.
bool read_bounded(HANDLE p_handle, std::size_t p_limit, bytes& p_out) {
    unsigned char chunk[65536];
    for (;;) {
        const std::size_t want = std::min(sizeof chunk, p_limit - std::min(p_limit, p_out.size()) + 1);
        DWORD got = 0;
        if (ReadFile(p_handle, chunk, static_cast<DWORD>(want), &got, nullptr) == 0) {
            const DWORD error = GetLastError();
            if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return true;  // the writer is done
            fail(error);
        }
        if (got == 0) return true;
        p_out.insert(p_out.end(), chunk, chunk + got);
        if (p_out.size() > p_limit) return false;
    }
}

void write_all(HANDLE p_handle, std::span<const unsigned char> p_data) {
    for (std::size_t done = 0; done < p_data.size();) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(p_data.size() - done, 1u << 30));
        DWORD wrote = 0;
        if (WriteFile(p_handle, p_data.data() + done, want, &wrote, nullptr) == 0) fail();
        if (wrote == 0) fail(ERROR_WRITE_FAULT);
        done += wrote;
    }
}

// Writes p_data to p_handle, makes it durable and closes it; on failure
// deletes p_file (the new file p_handle was made as) and throws.
void write_new_file(HANDLE p_handle, const fs::path& p_file, std::span<const unsigned char> p_data) {
    try {
        {
            auto close_file = close_on_exit(p_handle);  // closed before the file is deleted
            write_all(p_handle, p_data);
            if (FlushFileBuffers(p_handle) == 0) fail();
            close_file.release();
        }
        if (CloseHandle(p_handle) == 0) fail();
    } catch (...) {
        DeleteFileW(p_file.c_str());
        throw;
    }
}

}  // namespace

std::string system_message(unsigned long p_error) {
    // The C library's words where it has the same error, as on Linux.
    static const struct {
        DWORD error;
        int number;
    } same[] = {
        {ERROR_FILE_NOT_FOUND, ENOENT}, {ERROR_PATH_NOT_FOUND, ENOENT}, {ERROR_ACCESS_DENIED, EACCES},
        {ERROR_INVALID_HANDLE, EBADF},  {ERROR_DIRECTORY, ENOTDIR},     {ERROR_FILE_EXISTS, EEXIST},
        {ERROR_ALREADY_EXISTS, EEXIST}, {ERROR_DISK_FULL, ENOSPC},      {ERROR_HANDLE_DISK_FULL, ENOSPC},
        {ERROR_WRITE_PROTECT, EROFS},   {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
    };
    for (const auto& entry : same) {
        if (entry.error == p_error) return std::strerror(entry.number);
    }
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(p_error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text != nullptr ? text : L"", length);
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ' || message.back() == L'.')) {
        message.pop_back();
    }
    if (message.empty()) return "system error " + std::to_string(p_error);
    return text_of(fs::path(message));
}

found_file read_regular(const fs::path& p_file, std::size_t p_limit) {
    found_file found;
    // Opening never waits (a named pipe without a free end answers busy) and
    // reads nothing; what the handle is open on is what counts.
    HANDLE file = CreateFileW(p_file.c_str(), GENERIC_READ, share_all, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (is_missing(error)) return found;
        if (error == ERROR_PIPE_BUSY) {
            found.what = found_file::state::not_regular;
            found.kind = "a named pipe";
            return found;
        }
        fail(error);
    }
    const auto close_file = close_on_exit(file);
    if (const char* kind = irregular_kind(file)) {
        found.what = found_file::state::not_regular;
        found.kind = kind;
        return found;
    }
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) == 0) fail();
    if (std::cmp_greater(size.QuadPart, p_limit) || !read_bounded(file, p_limit, found.data)) {
        found.what = found_file::state::too_large;
        found.size = std::max<std::uintmax_t>(static_cast<std::uintmax_t>(size.QuadPart), found.data.size());
        found.data.clear();
        return found;
    }
    found.what = found_file::state::read;
    return found;
}

bytes read_stream(const fs::path& p_file, std::size_t p_limit) {
    const bool standard_input = p_file == "-";
    if (standard_input) check_standard_input();
    HANDLE opened = standard_input ? GetStdHandle(STD_INPUT_HANDLE)
                                   : CreateFileW(p_file.c_str(), GENERIC_READ, share_all, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) fail();
    const auto close_opened = close_on_exit(standard_input ? INVALID_HANDLE_VALUE : opened);
    if (GetFileType(opened) == FILE_TYPE_DISK) {
        BY_HANDLE_FILE_INFORMATION info{};
        if (GetFileInformationByHandle(opened, &info) == 0) fail();
        if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) throw file_error(std::strerror(EISDIR));
    }
    bytes data;
    if (!read_bounded(opened, p_limit, data)) throw file_error("more than " + std::to_string(p_limit) + " bytes");
    return data;
}

void check_standard_input() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE || GetFileType(input) == FILE_TYPE_UNKNOWN) {
        throw file_error(std::strerror(EBADF));
    }
    if (GetFileType(input) == FILE_TYPE_DISK) {
        BY_HANDLE_FILE_INFORMATION info{};
        if (GetFileInformationByHandle(input, &info) == 0) fail();
        if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) throw file_error(std::strerror(EISDIR));
    }
}

fs::path resolve_links(const fs::path& p_path) {
    // Opened for nothing but its name, following every link on the way.
    HANDLE file = CreateFileW(p_path.c_str(), 0, share_all, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_CANT_RESOLVE_FILENAME) fail(error);  // a loop of links
        return p_path;                                          // not there (yet): this is the file
    }
    const auto close_file = close_on_exit(file);
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(file, name.data(), static_cast<DWORD>(name.size()), FILE_NAME_NORMALIZED);
        if (length == 0) return p_path;
        if (length < name.size()) {
            name.resize(length);
            return fs::path(name);
        }
        name.resize(length + 1);
    }
}

void replace_atomically(const fs::path& p_file, std::span<const unsigned char> p_data) {
    const fs::path target = resolve_links(p_file);
    // A temporary name of this process's own in the target's folder.
    static std::atomic<unsigned> serial{0};
    fs::path temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; file == INVALID_HANDLE_VALUE; ++attempt) {
        temp = target;
        temp += ".tmp-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(serial++);
        file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && (GetLastError() != ERROR_FILE_EXISTS || attempt == 100)) fail();
    }
    write_new_file(file, temp, p_data);
    // The data is on disk before the name points at it; the rename itself is
    // on disk when the call returns.
    if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        const DWORD error = GetLastError();
        DeleteFileW(temp.c_str());
        fail(error);
    }
}

fs::path keep_copy(const fs::path& p_file, std::span<const unsigned char> p_data) {
    for (int n = 1; n < 1000; ++n) {
        fs::path name = p_file;
        name += (n == 1 ? "" : "." + std::to_string(n)) + ".bad";
        HANDLE copy = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (copy == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) continue;
        if (copy == INVALID_HANDLE_VALUE) fail();
        write_new_file(copy, name, p_data);
        return name;
    }
    throw file_error("every name up to .999.bad is taken");
}

}  // namespace host::files
