# The layers of the tree, enforced twice.
#
# Every header is included as "folder/name.h". sorvale_include_root gives a
# folder's library an include root that holds that folder alone (a link to it),
# so a target reaches the headers of the libraries it links and no others: an
# include that points the wrong way does not compile.
#
# sorvale_check_includes reads a folder's sources when cmake runs and refuses,
# with the file and line, any include of a folder the layer may not use. It
# also catches what a compiler would find by accident (a header that happens
# to be reachable through another library's root).

function(sorvale_include_root target folder)
  set(root ${CMAKE_BINARY_DIR}/include/${folder})
  if(NOT IS_SYMLINK ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()

# sorvale_check_includes(SOURCE_DIR <dir> FOLDER <folder> ALLOW <folders>...
#                        [EXCEPT <file regex> <folders>...])
# The files of <dir>/<folder> may include their own folder and the ALLOW ones;
# a file whose path (relative to <dir>) matches EXCEPT's regex may also include
# the folders after it.
function(sorvale_check_includes)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "SOURCE_DIR;FOLDER" "ALLOW;EXCEPT")
  set(allowed ${arg_FOLDER} ${arg_ALLOW})
  set(except_allowed ${arg_EXCEPT})
  if(except_allowed)
    list(POP_FRONT except_allowed except_regex)
  endif()
  file(GLOB_RECURSE files RELATIVE ${arg_SOURCE_DIR}
       ${arg_SOURCE_DIR}/${arg_FOLDER}/*.h ${arg_SOURCE_DIR}/${arg_FOLDER}/*.cpp)
  set(refused "")
  foreach(file IN LISTS files)
    file(STRINGS ${arg_SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[A-Za-z0-9_]+/")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([A-Za-z0-9_]+)/.*" "\\1" included "${line}")
      set(ok ${allowed})
      if(except_allowed AND file MATCHES "${except_regex}")
        list(APPEND ok ${except_allowed})
      endif()
      if(NOT included IN_LIST ok)
        string(STRIP "${line}" line)
        string(APPEND refused "\n  ${file}: ${line}")
      endif()
    endforeach()
  endforeach()
  if(refused)
    list(JOIN allowed ", " allowed_text)
    message(FATAL_ERROR "${arg_FOLDER}/ may include only from ${allowed_text}; refused:${refused}")
  endif()
endfunction()

# The layers, lowest first. The component: platform, support, config, boundary,
# integration, window; its one top file (boundary/component.cpp) and the
# services the host calls (integration/sorvale_*) sit above the window. The
# toolkit stands for a system library: it uses nothing of ours. The host uses
# everything but the component's window.
function(sorvale_check_layers source_dir)
  set(component integration boundary config support platform)
  foreach(layer IN ITEMS
      "platform"
      "forms"
      "support ALLOW platform EXCEPT ^support/convert_utf8[.] forms"
      "config ALLOW support platform"
      "boundary ALLOW config support platform EXCEPT ^boundary/component[.]cpp$ integration"
      "integration ALLOW boundary config support platform EXCEPT ^integration/sorvale_ window forms"
      "window ALLOW ${component} forms"
      "host ALLOW ${component} forms")
    string(REPLACE " " ";" layer "${layer}")
    list(POP_FRONT layer folder)
    sorvale_check_includes(SOURCE_DIR ${source_dir} FOLDER ${folder} ${layer})
  endforeach()
endfunction()
