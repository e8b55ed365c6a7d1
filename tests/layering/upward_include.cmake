cmake_minimum_required(VERSION 3.25)
# Run with cmake -P: a tree whose window includes the host must be refused by
# the same layer rules the build applies.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/layers.cmake)
set(tree ${WORK_DIR}/upward-include)
file(REMOVE_RECURSE ${tree})
file(WRITE ${tree}/window/ManagerWin.cpp "#include \"window/ManagerWin.h\"\n#include \"forms/form.h\"\n#include \"host/application.h\"\n")
file(WRITE ${tree}/support/list.h "#include \"support/array.h\"\n")
sorvale_check_layers(${tree})
message("the upward include was not refused")
