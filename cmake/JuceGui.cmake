# JuceGui: the JUCE modules the editor needs, compiled by our own CMake into one static library.
#
# Debian ships the module sources without their bundled zlib/png/jpeg, so the system libraries are
# linked instead. The library is built with hidden visibility like the plug-in, so two JUCE plug-ins
# in one host never share a message manager.

include(JuceModules)
triaxo_require_juce_modules(juce_gui_basics)

set(TRIAXO_JUCE_MODULE_NAMES juce_core juce_events juce_data_structures juce_graphics juce_gui_basics)

# The modules are compiled from an overridable copy so a platform patch (see the Windows build) can
# be applied without touching the system tree.
set(TRIAXO_JUCE_SOURCE_ROOT "${TRIAXO_JUCE_MODULES_DIR}" CACHE INTERNAL "")

if(WIN32)
  # mingw-w64 needs patches/juce-7.0.5-mingw.patch (32-bit COM ids; PNG/JPEG without libpng/libjpeg).
  # The modules are copied into the build tree and patched there, again whenever the patch changes.
  set(TRIAXO_JUCE_PATCH "${PROJECT_SOURCE_DIR}/patches/juce-7.0.5-mingw.patch")
  set(patched_root "${CMAKE_BINARY_DIR}/juce-modules")
  file(SHA256 "${TRIAXO_JUCE_PATCH}" patch_hash)
  set(patch_stamp "${patched_root}/.triaxo-patch")
  set(stamp_text "")
  if(EXISTS "${patch_stamp}")
    file(READ "${patch_stamp}" stamp_text)
  endif()
  if(NOT stamp_text STREQUAL "${TRIAXO_JUCE_MODULES_DIR} ${patch_hash}")
    find_program(TRIAXO_PATCH_PROGRAM patch REQUIRED)
    file(REMOVE_RECURSE "${patched_root}")
    foreach(module IN LISTS TRIAXO_JUCE_MODULE_NAMES)
      file(COPY "${TRIAXO_JUCE_MODULES_DIR}/${module}" DESTINATION "${patched_root}")
    endforeach()
    execute_process(COMMAND "${TRIAXO_PATCH_PROGRAM}" -p1 --forward --batch -d "${patched_root}" -i "${TRIAXO_JUCE_PATCH}"
                    RESULT_VARIABLE patch_result OUTPUT_VARIABLE patch_output ERROR_VARIABLE patch_output)
    if(NOT patch_result EQUAL 0)
      file(REMOVE_RECURSE "${patched_root}")
      message(FATAL_ERROR "The JUCE modules in ${TRIAXO_JUCE_MODULES_DIR} do not take ${TRIAXO_JUCE_PATCH}:\n${patch_output}")
    endif()
    file(WRITE "${patch_stamp}" "${TRIAXO_JUCE_MODULES_DIR} ${patch_hash}")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${TRIAXO_JUCE_PATCH}")
  set(TRIAXO_JUCE_SOURCE_ROOT "${patched_root}" CACHE INTERNAL "" FORCE)
endif()

# juce_gui_basics first: it is by far the longest to compile, so it starts while the rest queue.
add_library(triaxo_juce STATIC
  ${TRIAXO_JUCE_SOURCE_ROOT}/juce_gui_basics/juce_gui_basics.cpp
  ${TRIAXO_JUCE_SOURCE_ROOT}/juce_graphics/juce_graphics.cpp
  ${TRIAXO_JUCE_SOURCE_ROOT}/juce_core/juce_core.cpp
  ${TRIAXO_JUCE_SOURCE_ROOT}/juce_events/juce_events.cpp
  ${TRIAXO_JUCE_SOURCE_ROOT}/juce_data_structures/juce_data_structures.cpp)

triaxo_juce_library_settings(triaxo_juce ROOT ${TRIAXO_JUCE_SOURCE_ROOT} MODULES ${TRIAXO_JUCE_MODULE_NAMES}
  DEFINITIONS
    JUCE_REPORT_APP_USAGE=0
    JUCE_MODAL_LOOPS_PERMITTED=0
    JUCE_USE_XSHM=1
    JUCE_USE_XRENDER=0
    JUCE_USE_XCURSOR=1
    JUCE_USE_XRANDR=1
    JUCE_USE_XINERAMA=1
    JUCE_CATCH_UNHANDLED_EXCEPTIONS=0)
set_target_properties(triaxo_juce PROPERTIES POSITION_INDEPENDENT_CODE ON
                                             CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)

find_package(Threads REQUIRED)
if(WIN32)
  # The DLL links its libraries statically, so it imports no zlib1.dll.
  set(ZLIB_USE_STATIC_LIBS ON)
endif()
find_package(ZLIB REQUIRED)
target_link_libraries(triaxo_juce PUBLIC Threads::Threads ZLIB::ZLIB)

if(WIN32)
  # No libpng/libjpeg for mingw: the patched formats write PNG through zlib and decode nothing.
  # DirectWrite stays on for system fonts; the embedded faces go through GDI memory fonts.
  target_compile_definitions(triaxo_juce PUBLIC JUCE_NO_PNG_JPEG_LIBRARIES=1)
  target_link_libraries(triaxo_juce PUBLIC
    gdi32 user32 kernel32 comdlg32 ole32 oleaut32 uuid shlwapi imm32 winmm version ws2_32 wininet
    dxgi dwmapi comctl32 shell32 rpcrt4 advapi32)
else()
  find_package(PkgConfig REQUIRED)
  # X11 and its extensions are loaded by JUCE at run time; only their headers are needed here.
  pkg_check_modules(TRIAXO_JUCE_LINUX REQUIRED IMPORTED_TARGET freetype2 x11 xext xrandr xinerama xcursor)
  find_package(PNG REQUIRED)
  find_package(JPEG REQUIRED)
  target_include_directories(triaxo_juce SYSTEM PRIVATE ${TRIAXO_JUCE_LINUX_INCLUDE_DIRS})
  target_link_libraries(triaxo_juce PUBLIC PkgConfig::TRIAXO_JUCE_LINUX PNG::PNG JPEG::JPEG ${CMAKE_DL_LIBS} rt)
endif()
