# Stops a build step with a hint when a file it packs has not been made.
# Usage: cmake -DFILE=<path> -DHINT=<command that makes it> -P NeedFile.cmake
if(NOT EXISTS "${FILE}")
  message(FATAL_ERROR "${FILE} is missing; make it first: ${HINT}")
endif()
