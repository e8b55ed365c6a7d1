# Code in Microsoft's C++ binary interface, for the Windows builds.
#
# The host a Windows component meets is built by Microsoft's compiler (MSVC).
# The few files that must speak its C++ binary interface (throwing and catching
# its exceptions, and a test host built as such a host is) are compiled by
# Debian's clang for the MSVC targets, without any C++ standard library (none
# exists here for those targets): msvcrt.dll is their C runtime. The objects
# they give are linked by mingw's own linker, into the component's DLL or into
# a program of their own.
#
#   sorvale_msvc_objects(<out_var> <source>... [INCLUDE <dir>...])
#       compiles each source for the build's architecture into an object in
#       the current binary folder and puts their paths into <out_var>; list
#       them among a target's sources to link them in.
#   sorvale_msvc_runtime_imports(<out_var>)
#       the path of an import library for what msvcrt.dll exports and mingw's
#       libmsvcrt.a lacks (__CxxFrameHandler3, the handler of MSVC's catch
#       blocks), made once per build folder; link it into a program whose
#       MSVC-mode code catches.
#   SORVALE_MSVC_LINK_OPTIONS
#       what a target holding such objects links with: MSVC's stack probe,
#       which libgcc names otherwise.

if(NOT WIN32)
  return()
endif()

find_program(SORVALE_CLANG NAMES clang++-14 clang++ REQUIRED)
find_program(SORVALE_LLVM_OBJCOPY NAMES llvm-objcopy-14 llvm-objcopy REQUIRED)
find_program(SORVALE_LLVM_DLLTOOL NAMES llvm-dlltool-14 llvm-dlltool REQUIRED)

if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(SORVALE_MSVC_TARGET x86_64-pc-windows-msvc)
  set(sorvale_dlltool_machine i386:x86-64)
  # MSVC's __chkstk is libgcc's ___chkstk_ms on x64.
  set(SORVALE_MSVC_LINK_OPTIONS -Wl,--defsym,__chkstk=___chkstk_ms)
else()
  set(SORVALE_MSVC_TARGET i686-pc-windows-msvc)
  set(sorvale_dlltool_machine i386)
  set(SORVALE_MSVC_LINK_OPTIONS -Wl,--defsym,__chkstk=___chkstk)
endif()

function(sorvale_msvc_objects out_var)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "INCLUDE")
  set(includes)
  foreach(dir ${arg_INCLUDE})
    list(APPEND includes -I${dir})
  endforeach()
  set(objects)
  foreach(source ${arg_UNPARSED_ARGUMENTS})
    get_filename_component(source ${source} ABSOLUTE)
    get_filename_component(name ${source} NAME_WE)
    set(object ${CMAKE_CURRENT_BINARY_DIR}/msvc/${name}.obj)
    set(strip)
    if(SORVALE_MSVC_TARGET MATCHES "^i686")
      # GNU ld cannot place clang's SafeSEH table (.sxdata): it writes an image
      # Windows refuses. Without it the image is simply not marked SafeSEH.
      set(strip COMMAND ${SORVALE_LLVM_OBJCOPY} --remove-section=.sxdata ${object})
    endif()
    add_custom_command(
      OUTPUT ${object}
      COMMAND ${SORVALE_CLANG} --target=${SORVALE_MSVC_TARGET} -std=c++20 -O2 -fms-extensions
              -fexceptions -fcxx-exceptions -nostdinc++ -fno-stack-protector
              -Wall -Wextra -Werror -Wno-unused-command-line-argument
              ${includes} -MD -MF ${object}.d -c ${source} -o ${object}
      ${strip}
      DEPENDS ${source}
      DEPFILE ${object}.d
      COMMENT "Compiling ${name} for ${SORVALE_MSVC_TARGET}"
      VERBATIM)
    list(APPEND objects ${object})
  endforeach()
  set(${out_var} ${objects} PARENT_SCOPE)
endfunction()

function(sorvale_msvc_runtime_imports out_var)
  set(library ${CMAKE_BINARY_DIR}/msvc/libmsvcrt_cxx.a)
  if(NOT TARGET sorvale_msvc_runtime_imports)
    set(definitions ${CMAKE_BINARY_DIR}/msvc/msvcrt_cxx.def)
    file(WRITE ${definitions} "LIBRARY msvcrt.dll\nEXPORTS\n__CxxFrameHandler3\n")
    add_custom_command(
      OUTPUT ${library}
      COMMAND ${SORVALE_LLVM_DLLTOOL} -m ${sorvale_dlltool_machine} -d ${definitions} -l ${library}
      DEPENDS ${definitions}
      VERBATIM)
    add_custom_target(sorvale_msvc_runtime_imports DEPENDS ${library})
  endif()
  set(${out_var} ${library} PARENT_SCOPE)
endfunction()
