# The rules' fence: of the shell, the rules reach shell/platform.hpp and
# nothing else. Every source and header of the rules is run through the compiler's
# preprocessor with the rules' own include path and language standard, and
# the headers it reads are listed (-MM, which GCC and Clang both write in
# the same make syntax); a header of shell/ other than platform.hpp fails
# the test. So that the check cannot pass by seeing nothing, the seam file,
# which does reach past the interface, must be caught the same way.
# Lists are given with | between their items.
#   cmake -DCXX=... -DSTANDARD=20 -DROOT=<source dir> -DINCLUDES=<dirs>
#         -DDIRS=<the rules' folders> -DSEAM=<seam file> -DWORK=<dir>
#         -P rules_fence.cmake
cmake_minimum_required(VERSION 3.25)
foreach(variable CXX STANDARD ROOT INCLUDES DIRS SEAM WORK)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "rules_fence.cmake needs -D${variable}=...")
  endif()
endforeach()
string(REPLACE "|" ";" INCLUDES "${INCLUDES}")
string(REPLACE "|" ";" DIRS "${DIRS}")
file(MAKE_DIRECTORY ${WORK})
set(include_flags)
foreach(dir IN LISTS INCLUDES)
  list(APPEND include_flags -I${dir})
endforeach()

# The files of shell/ that `source` reads, as paths from the source root.
function(shell_headers source out)
  string(MAKE_C_IDENTIFIER ${source} name)
  set(deps ${WORK}/${name}.d)
  execute_process(
    COMMAND ${CXX} -x c++ -std=c++${STANDARD} ${include_flags} -MM -MT target -MF ${deps}
      ${source}
    WORKING_DIRECTORY ${ROOT}
    RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot list what ${source} includes:\n${errors}")
  endif()
  file(READ ${deps} text)
  string(REPLACE "\\\n" " " text "${text}")
  string(REGEX REPLACE "^target:" "" text "${text}")
  string(REGEX REPLACE "[ \t\r\n]+" ";" text "${text}")
  set(found)
  foreach(path IN LISTS text)
    if(path STREQUAL "")
      continue()
    endif()
    file(REAL_PATH ${path} real BASE_DIRECTORY ${ROOT})
    file(RELATIVE_PATH relative ${ROOT} ${real})
    if(relative MATCHES "^shell/")
      list(APPEND found ${relative})
    endif()
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

shell_headers(${SEAM} seam_reaches)
if(NOT "shell/tick_grid.hpp" IN_LIST seam_reaches)
  message(FATAL_ERROR "the check does not see the seam file reach shell/tick_grid.hpp "
    "(it saw: ${seam_reaches}); it would miss the rules doing the same")
endif()

set(sources)
foreach(dir IN LISTS DIRS)
  file(GLOB_RECURSE found ${ROOT}/${dir}/*.cpp ${ROOT}/${dir}/*.hpp)
  list(APPEND sources ${found})
endforeach()
set(breaches)
set(checked 0)
foreach(source IN LISTS sources)
  shell_headers(${source} reaches)
  list(REMOVE_ITEM reaches shell/platform.hpp)
  if(reaches)
    list(JOIN reaches ", " names)
    file(RELATIVE_PATH shown ${ROOT} ${source})
    list(APPEND breaches "${shown} reaches ${names}")
  endif()
  math(EXPR checked "${checked} + 1")
endforeach()
if(checked EQUAL 0)
  message(FATAL_ERROR "no source of the rules to check")
endif()
if(breaches)
  list(JOIN breaches "\n  " lines)
  message(FATAL_ERROR "the rules reach the shell past shell/platform.hpp:\n  ${lines}")
endif()
message(STATUS "${checked} files of the rules reach no header of the shell but shell/platform.hpp")
