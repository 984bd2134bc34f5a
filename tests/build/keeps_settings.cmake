# A build leaves the program folder's quelm.ini alone once it exists, and puts
# the default there when it is missing. A small project is built with the same
# rule as the program, edited, rebuilt (the executable relinked) and checked.
#   cmake -DQUELM_SOURCE=... -DWORK=... -DGENERATOR=... -DCXX=... -P keeps_settings.cmake

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/src")
file(WRITE "${WORK}/src/CMakeLists.txt" "
cmake_minimum_required(VERSION 3.25)
project(keeps_settings LANGUAGES CXX)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY \${CMAKE_BINARY_DIR}/bin)
include(${QUELM_SOURCE}/cmake/QuelmDefaultSettings.cmake)
add_executable(prog main.cpp)
quelm_default_settings(prog \${CMAKE_CURRENT_SOURCE_DIR}/default.ini)
")
file(WRITE "${WORK}/src/main.cpp" "int main() { return 0; }\n")
file(WRITE "${WORK}/src/default.ini" "default 1\n")
set(ini "${WORK}/build/bin/quelm.ini")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed:\n${out}")
  endif()
endfunction()

function(expect_ini text why)
  file(READ "${ini}" got)
  if(NOT got STREQUAL "${text}")
    message(FATAL_ERROR "${why}: quelm.ini holds \"${got}\", expected \"${text}\"")
  endif()
endfunction()

run(${CMAKE_COMMAND} -S "${WORK}/src" -B "${WORK}/build" -G "${GENERATOR}" -DCMAKE_CXX_COMPILER=${CXX})
run(${CMAKE_COMMAND} --build "${WORK}/build")
expect_ini("default 1\n" "the first build puts the default there")

# The operator edits the program folder's file; the default changes too, and
# the program is relinked.
file(WRITE "${ini}" "port /dev/ttyUSB0\n")
file(WRITE "${WORK}/src/default.ini" "default 2\n")
file(WRITE "${WORK}/src/main.cpp" "int main() { return 0; } // changed\n")
run(${CMAKE_COMMAND} --build "${WORK}/build")
expect_ini("port /dev/ttyUSB0\n" "a rebuild replaced the operator's edited file")

file(REMOVE "${ini}")
run(${CMAKE_COMMAND} --build "${WORK}/build")
expect_ini("default 2\n" "a build with the file missing puts the default back")

file(REMOVE_RECURSE "${WORK}")
