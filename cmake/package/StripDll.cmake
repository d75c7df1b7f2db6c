# Copies a built Triaxo.dll without its debug information, for a release package.
# Usage: cmake -DSTRIP=<mingw strip> -DDLL=<built dll> -DOUTPUT=<stripped copy> -DPRESET=<preset> -P StripDll.cmake
if(NOT EXISTS "${DLL}")
  message(FATAL_ERROR "${DLL} is missing; build it first: cmake --preset ${PRESET} && "
                      "cmake --build --preset ${PRESET} --target triaxo_plugin (or bash scripts/windows-tests.sh)")
endif()
if(NOT STRIP)
  message(FATAL_ERROR "no mingw-w64 strip found (bash scripts/install-deps.sh windows)")
endif()
get_filename_component(folder "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
execute_process(COMMAND "${STRIP}" --strip-debug -o "${OUTPUT}" "${DLL}" RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "stripping ${DLL} failed: ${errors}")
endif()
file(SIZE "${DLL}" before)
file(SIZE "${OUTPUT}" after)
message(STATUS "${OUTPUT}: ${after} bytes (built: ${before})")
