// The 32-bit Windows DLL that ships carries its own copy of GCC's unwinder
// (libgcc, DWARF tables): none of its exceptions leaves it. That copy finds
// the DLL's frames only once they are registered with it, which GCC's start-up
// code (crtbegin) does as the DLL loads, except when another module has loaded
// GCC's shared unwinder (libgcc_s_dw2-1.dll) into the process first, as a
// plug-in built by mingw-w64 with its default options does: then the start-up
// code registers the frames with that one instead, and the first exception
// thrown inside the DLL finds no frame of its own and ends the process. So in
// that case the frames are registered with this DLL's own unwinder as well.
#include <windows.h>

extern "C" {
// The start of this module's unwind tables, given by the linker (the top
// CMakeLists.txt).
extern const char sorvale_eh_frame_begin[];
void __register_frame_info(const void* p_begin, void* p_object);
void* __deregister_frame_info(const void* p_begin);
}

namespace {

// What libgcc fills in for a registration (six words), with room to spare.
alignas(8) unsigned char g_registration_record[64];

class own_unwinder_registration {
public:
    own_unwinder_registration() noexcept {
        if (GetModuleHandleW(L"libgcc_s_dw2-1.dll") == nullptr) return;
        __register_frame_info(sorvale_eh_frame_begin, g_registration_record);
        m_registered = true;
    }
    own_unwinder_registration(const own_unwinder_registration&) = delete;
    own_unwinder_registration& operator=(const own_unwinder_registration&) = delete;
    ~own_unwinder_registration() {
        if (m_registered) __deregister_frame_info(sorvale_eh_frame_begin);
    }

private:
    bool m_registered = false;
};

const own_unwinder_registration g_registration;

}  // namespace
