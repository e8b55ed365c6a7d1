#include <windows.h>

#include <fstream>
#include <iterator>

#include "child_process.h"

namespace child_process {

namespace {

std::string file_text(const std::filesystem::path& p_file) {
    std::ifstream in(p_file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::wstring wide(const std::string& p_text) {
    const std::u8string text(p_text.begin(), p_text.end());
    return std::filesystem::path(text).wstring();
}

// One argument as the C runtime's command-line parser reads it back: quoted,
// with the backslashes before a quote (and before the closing one) doubled.
void append_argument(std::wstring& p_line, const std::wstring& p_arg) {
    if (!p_line.empty()) p_line += L' ';
    p_line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : p_arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        p_line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        p_line += c;
    }
    p_line.append(2 * backslashes, L'\\');
    p_line += L'"';
}

HANDLE inheritable(const std::filesystem::path& p_file, DWORD p_access, DWORD p_creation, DWORD p_flags = 0) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(p_file.c_str(), p_access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit, p_creation,
                       p_flags, nullptr);
}

}  // namespace

ran run(const std::string& p_program, const std::vector<std::string>& p_args, input p_input, const std::filesystem::path& p_folder) {
    const std::filesystem::path out = p_folder / "stdout", err = p_folder / "stderr";
    std::wstring line;
    append_argument(line, wide(p_program));
    for (const auto& arg : p_args) append_argument(line, wide(arg));

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = p_input == input::folder ? inheritable(p_folder, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS)
                        : p_input == input::none ? inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING)
                                                 : INVALID_HANDLE_VALUE;
    startup.hStdOutput = inheritable(out, GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = inheritable(err, GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process{};
    ran result;
    const std::wstring program = wide(p_program);
    if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
            TerminateProcess(process.hProcess, 137);
            WaitForSingleObject(process.hProcess, INFINITE);
        }
        DWORD status = 0;
        GetExitCodeProcess(process.hProcess, &status);
        result.status = static_cast<int>(status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    result.out = file_text(out);
    result.err = file_text(err);
    return result;
}

}  // namespace child_process
