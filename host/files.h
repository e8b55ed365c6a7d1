#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

// The host's few file operations, behind one header: files_posix.cpp and
// files_windows.cpp. The host's text is UTF-8; paths become the system's own
// (UTF-16 on Windows) only through path_of.

namespace host::files {

using bytes = std::vector<unsigned char>;

// The path a UTF-8 text names, and the UTF-8 text of a path.
inline std::filesystem::path path_of(const std::string& p_text) {
    return std::filesystem::path(std::u8string(p_text.begin(), p_text.end()));
}
inline std::string text_of(const std::filesystem::path& p_path) {
    const std::u8string text = p_path.u8string();
    return std::string(text.begin(), text.end());
}

// The system's reason for an error number of its own (errno; on Windows,
// GetLastError's), in the words the C library uses where it has them, so
// that both hosts say the same.
std::string system_message(unsigned long p_error);

// A file operation that failed; what() is the system's reason only, the
// caller says which file and what it was doing.
class file_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct found_file {
    enum class state {
        read,         // data holds the whole file
        missing,      // nothing by that name (or a link that leads nowhere)
        not_regular,  // a folder, FIFO, device or socket: never opened
        too_large,    // more than the limit; nothing kept
    };
    state what = state::missing;
    bytes data;
    std::string kind;         // not_regular: "a folder", "a FIFO", ...
    std::uintmax_t size = 0;  // too_large: the size seen
};

// Reads p_file, following symbolic links, when it is a regular file of at
// most p_limit bytes. It never waits on a FIFO or a named pipe and never
// reads a device.
// file_error when the file is there but cannot be read.
found_file read_regular(const std::filesystem::path& p_file, std::size_t p_limit);

// Reads everything from p_file, which may be a pipe (but not a folder), up to
// p_limit bytes; "-" reads standard input. file_error for anything else,
// a folder, an unreadable file or more than p_limit bytes included.
bytes read_stream(const std::filesystem::path& p_file, std::size_t p_limit);

// file_error unless standard input can be read: open, and not a folder.
void check_standard_input();

// The file that p_path names once every symbolic link on its last component
// is followed (relative links from the link's own folder). The result need
// not exist yet. file_error for a loop. On Windows the system resolves the
// whole path of an existing file (GetFinalPathNameByHandleW), links in its
// folders included; a link that leads nowhere is then the file itself.
std::filesystem::path resolve_links(const std::filesystem::path& p_path);

// Replaces p_file with p_data atomically: a temporary file in the same folder
// is written, flushed to disk and renamed over it, so a crash leaves the old
// contents or the new, never half of either. When p_file is a symbolic link,
// the file it leads to is the one replaced, in that file's folder, and the
// link stays. A file that is replaced keeps its permission bits (on Windows
// the new file has the access rights the folder gives, and Windows itself
// refuses to replace a read-only file). file_error says why it failed; p_file
// is then unchanged. Windows: MoveFileExW with MOVEFILE_REPLACE_EXISTING and
// MOVEFILE_WRITE_THROUGH.
void replace_atomically(const std::filesystem::path& p_file, std::span<const unsigned char> p_data);

// Writes p_data to a new file: the first of p_file.bad, p_file.2.bad, ...
// that does not exist yet (an existing file is never touched). Answers its
// name; file_error when none could be written.
std::filesystem::path keep_copy(const std::filesystem::path& p_file, std::span<const unsigned char> p_data);

}  // namespace host::files
