# SPDX-License-Identifier: MIT
# Checks that every source file of the project names its licence in its first lines, so that a
# file copied out of the tree still says under which terms it may be used.
# Run by CTest: cmake -DSOURCE_DIR=<source> -P CheckLicence.cmake

cmake_minimum_required(VERSION 3.21)

if(NOT DEFINED SOURCE_DIR)
    message(FATAL_ERROR "CheckLicence.cmake needs -DSOURCE_DIR=...")
endif()

set(Folders bench cmake fuzz maps palettes shell sprites tests tools widgets workbench)
set(Files "${SOURCE_DIR}/CMakeLists.txt" "${SOURCE_DIR}/dev.sh")
foreach(Folder IN LISTS Folders)
    file(GLOB_RECURSE Found LIST_DIRECTORIES false
        "${SOURCE_DIR}/${Folder}/*.cpp" "${SOURCE_DIR}/${Folder}/*.h"
        "${SOURCE_DIR}/${Folder}/*.cmake" "${SOURCE_DIR}/${Folder}/*.sh"
        "${SOURCE_DIR}/${Folder}/CMakeLists.txt")
    list(APPEND Files ${Found})
endforeach()

set(Missing "")
foreach(File IN LISTS Files)
    file(READ "${File}" Head LIMIT 400)
    if(NOT Head MATCHES "SPDX-License-Identifier: MIT")
        file(RELATIVE_PATH Relative "${SOURCE_DIR}" "${File}")
        list(APPEND Missing "${Relative}")
    endif()
endforeach()
list(LENGTH Files Count)
if(Missing)
    list(JOIN Missing "\n  " Text)
    message(FATAL_ERROR "These files do not name their licence in their first lines "
        "(add \"SPDX-License-Identifier: MIT\" to the first comment):\n  ${Text}")
endif()
message(STATUS "${Count} source files name their licence")
