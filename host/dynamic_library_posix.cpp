#include <dlfcn.h>

#include "host/dynamic_library.h"

namespace host::dynamic_library {

HINSTANCE open(const std::string& p_path, std::string& p_reason) {
    void* library = dlopen(p_path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = dlerror();
        p_reason = reason != nullptr ? reason : "unknown reason";
    }
    return library;
}

function find(HINSTANCE p_library, const char* p_name) { return reinterpret_cast<function>(dlsym(p_library, p_name)); }

void close(HINSTANCE p_library) { dlclose(p_library); }

bool is_loaded(const std::string& p_path) {
    void* library = dlopen(p_path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (library == nullptr) return false;
    dlclose(library);
    return true;
}

}  // namespace host::dynamic_library
