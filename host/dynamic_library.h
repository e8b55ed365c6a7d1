#pragma once

#include <string>

#include "platform/module.h"

// The system's loader, behind one header: dynamic_library_posix.cpp (dlopen)
// and dynamic_library_windows.cpp (LoadLibraryExW). Paths are UTF-8 text.

namespace host::dynamic_library {

using function = void (*)();

// Opens the library file p_path; its own dependencies are looked for in its
// folder first. Null when it cannot be opened, with the system's reason in
// p_reason.
HINSTANCE open(const std::string& p_path, std::string& p_reason);
// The exported function p_name, or null.
function find(HINSTANCE p_library, const char* p_name);
// Gives back one open() of p_library.
void close(HINSTANCE p_library);
// Whether the library file p_path is loaded in this process (by anyone).
bool is_loaded(const std::string& p_path);

}  // namespace host::dynamic_library
