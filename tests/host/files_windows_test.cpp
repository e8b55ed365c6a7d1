// The host's file calls on Windows where they meet what Windows has and
// Linux does not: named pipes and devices at a file's name, read-only files,
// and the system's error texts.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/files.h"
#include "tests/temporary_folder.h"

namespace fs = std::filesystem;

namespace {

// A named pipe nobody writes to: a read would wait for ever. With one
// instance taken by a client, the name is busy as well.
TEST(WindowsFiles, NamedPipesAndDevicesAreNeverRead) {
    const std::wstring name = L"\\\\.\\pipe\\sorvale-test-" + std::to_wstring(GetCurrentProcessId());
    HANDLE pipe = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    for (const char* state : {"free", "busy"}) {
        SCOPED_TRACE(state);
        const auto found = host::files::read_regular(name, 1 << 20);
        EXPECT_EQ(found.what, host::files::found_file::state::not_regular);
        EXPECT_EQ(found.kind, "a named pipe");
    }
    CloseHandle(pipe);

    const auto device = host::files::read_regular(L"NUL", 1 << 20);
    EXPECT_EQ(device.what, host::files::found_file::state::not_regular);
    EXPECT_EQ(device.kind, "a character device");
}

// A save the system refuses (here: a folder stands at the file's name)
// leaves nothing behind: no temporary file, the folder as it was. A file in a
// folder whose name is not ASCII is replaced like any other.
TEST(WindowsFiles, ARefusedReplaceLeavesNothingBehind) {
    const fs::path folder = make_temporary_folder("sorvale-files-") / host::files::path_of("\xC3\x85lborg \xE8\xA8\xAD\xE5\xAE\x9A");
    fs::create_directories(folder / "taken.cfg");
    const unsigned char data[] = {'n', 'e', 'w'};
    EXPECT_THROW(host::files::replace_atomically(folder / "taken.cfg", data), host::files::file_error);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}), 1);
    EXPECT_TRUE(fs::is_directory(folder / "taken.cfg"));
    std::ofstream(folder / "kept.cfg") << "old";
    host::files::replace_atomically(folder / "kept.cfg", data);
    EXPECT_EQ(fs::file_size(folder / "kept.cfg"), 3u);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}), 2);
    fs::remove_all(folder.parent_path());
}

TEST(WindowsFiles, ErrorsAreSaidAsOnLinuxWhereTheCLibraryHasTheWords) {
    EXPECT_EQ(host::files::system_message(ERROR_FILE_NOT_FOUND), "No such file or directory");
    EXPECT_EQ(host::files::system_message(ERROR_ACCESS_DENIED), "Permission denied");
    const std::string other = host::files::system_message(ERROR_SHARING_VIOLATION);
    EXPECT_FALSE(other.empty());
    EXPECT_NE(other.back(), '\n') << "one line, without the system's line end";
}

}  // namespace
