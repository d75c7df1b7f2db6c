# triaxo_juce_midi: JUCE's core and audio-basics modules (Standard MIDI File reading and writing) as a
# static library for the command-line tools. Debian ships the module sources, we compile them with our
# own flags. Never linked into the plug-in or the engine.
include_guard(GLOBAL)

include(JuceModules)
triaxo_require_juce_modules(juce_core juce_audio_basics)
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)

add_library(triaxo_juce_midi STATIC
  ${TRIAXO_JUCE_MODULES_DIR}/juce_core/juce_core.cpp
  ${TRIAXO_JUCE_MODULES_DIR}/juce_audio_basics/juce_audio_basics.cpp)
triaxo_juce_library_settings(triaxo_juce_midi ROOT ${TRIAXO_JUCE_MODULES_DIR}
  MODULES juce_core juce_audio_basics
  DEFINITIONS JUCE_INCLUDE_ZLIB_CODE=0)
target_link_libraries(triaxo_juce_midi PUBLIC ZLIB::ZLIB Threads::Threads ${CMAKE_DL_LIBS})
if(NOT WIN32)
  target_link_libraries(triaxo_juce_midi PUBLIC rt)
endif()
