# triaxo_juce_midi: JUCE's core and audio-basics modules (Standard MIDI File reading and writing) as a
# static library for the command-line tools. Debian ships the module sources, we compile them with our
# own flags. Never linked into the plug-in or the engine.
include_guard(GLOBAL)

set(TRIAXO_JUCE_MODULES_DIR /usr/share/juce/modules CACHE PATH "Folder holding JUCE's module sources")
if(NOT EXISTS ${TRIAXO_JUCE_MODULES_DIR}/juce_core/juce_core.cpp)
  message(FATAL_ERROR "JUCE modules not found in ${TRIAXO_JUCE_MODULES_DIR} "
                      "(Debian package juce-modules-source-data: bash scripts/install-deps.sh core)")
endif()
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)

add_library(triaxo_juce_midi STATIC
  ${TRIAXO_JUCE_MODULES_DIR}/juce_core/juce_core.cpp
  ${TRIAXO_JUCE_MODULES_DIR}/juce_audio_basics/juce_audio_basics.cpp)
target_include_directories(triaxo_juce_midi SYSTEM PUBLIC ${TRIAXO_JUCE_MODULES_DIR})
target_compile_definitions(triaxo_juce_midi PUBLIC
  JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
  JUCE_STANDALONE_APPLICATION=0
  JUCE_USE_CURL=0
  JUCE_WEB_BROWSER=0
  JUCE_MODULE_AVAILABLE_juce_core=1
  JUCE_MODULE_AVAILABLE_juce_audio_basics=1
  JUCE_INCLUDE_ZLIB_CODE=0
  JUCE_DISPLAY_SPLASH_SCREEN=0
  $<$<CONFIG:Debug>:DEBUG=1>
  $<$<NOT:$<CONFIG:Debug>>:NDEBUG=1>)
# Third-party code: its warnings are not ours to fix, and -Werror must not stop the build.
target_compile_options(triaxo_juce_midi PRIVATE -w)
target_link_libraries(triaxo_juce_midi PUBLIC ZLIB::ZLIB Threads::Threads ${CMAKE_DL_LIBS})
if(NOT WIN32)
  target_link_libraries(triaxo_juce_midi PUBLIC rt)
endif()
