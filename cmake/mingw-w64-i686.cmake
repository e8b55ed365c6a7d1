# Cross-compiling for 32-bit Windows (x86): the toolchain of mingw-w64.cmake
# with Debian's i686-w64-mingw32 compilers. cmake/msvc_mode.cmake reads
# CMAKE_SYSTEM_PROCESSOR (i686) to pick the 32-bit MSVC target.
set(sorvale_mingw_processor i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
