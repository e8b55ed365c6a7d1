#include <windows.h>

#include <filesystem>

#include "host/dynamic_library.h"
#include "host/files.h"

namespace host::dynamic_library {

namespace {

// The full path: a relative one would send LoadLibrary down its search path,
// and the dependencies are looked for beside the file only when it is full.
std::wstring full_path(const std::string& p_path) {
    std::error_code error;
    std::filesystem::path path = files::path_of(p_path);
    std::filesystem::path full = std::filesystem::absolute(path, error);
    return (error ? path : full).make_preferred().wstring();
}

}  // namespace

HINSTANCE open(const std::string& p_path, std::string& p_reason) {
    // No "cannot find the file" box from the system, whatever happens.
    const UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE library = LoadLibraryExW(full_path(p_path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    const DWORD error = GetLastError();
    SetErrorMode(mode);
    if (library == nullptr) p_reason = files::system_message(error);
    return library;
}

function find(HINSTANCE p_library, const char* p_name) {
    return reinterpret_cast<function>(reinterpret_cast<void (*)()>(GetProcAddress(p_library, p_name)));
}

void close(HINSTANCE p_library) { FreeLibrary(p_library); }

bool is_loaded(const std::string& p_path) { return GetModuleHandleW(full_path(p_path).c_str()) != nullptr; }

}  // namespace host::dynamic_library
