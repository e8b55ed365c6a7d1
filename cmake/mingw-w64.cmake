# Cross-compiling for Windows with Debian's mingw-w64 (posix threads), running
# the results under Wine. This file is the 64-bit toolchain;
# cmake/mingw-w64-i686.cmake sets sorvale_mingw_processor to i686 and includes
# it for the 32-bit one.
if(NOT sorvale_mingw_processor)
  set(sorvale_mingw_processor x86_64)
endif()
set(sorvale_mingw_triplet ${sorvale_mingw_processor}-w64-mingw32)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${sorvale_mingw_processor})
set(CMAKE_C_COMPILER ${sorvale_mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${sorvale_mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${sorvale_mingw_triplet}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${sorvale_mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Test programs run under Wine; tools/wine-run keeps its prefix in the build
# folder and its chatter off. One 64-bit prefix runs the programs of both
# architectures.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
