# JuceModules: what every JUCE library of ours shares: where Debian's module sources are, and the settings a
# static library of JUCE modules is compiled with.
include_guard(GLOBAL)

set(TRIAXO_JUCE_MODULES_DIR "/usr/share/juce/modules" CACHE PATH "Folder of the JUCE 7 module sources")

# Stops the configuration with a hint at the package when one of the modules is not among the sources.
function(triaxo_require_juce_modules)
  foreach(module IN LISTS ARGN)
    if(NOT EXISTS "${TRIAXO_JUCE_MODULES_DIR}/${module}/${module}.cpp")
      message(FATAL_ERROR "JUCE module ${module} not found in ${TRIAXO_JUCE_MODULES_DIR} "
                          "(Debian package juce-modules-source-data: bash scripts/install-deps.sh core)")
    endif()
  endforeach()
endfunction()

# triaxo_juce_library_settings(<target> ROOT <modules folder> MODULES <module>... [DEFINITIONS <def>...])
# The module settings JUCE otherwise takes from a generated AppConfig.h, the folder the module headers are
# included from, and no warnings: third-party code's warnings are not ours to fix and must not break a
# -Werror build.
function(triaxo_juce_library_settings target)
  cmake_parse_arguments(ARG "" "ROOT" "MODULES;DEFINITIONS" ${ARGN})
  set(definitions
    JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
    JUCE_STANDALONE_APPLICATION=0
    JUCE_USE_CURL=0
    JUCE_WEB_BROWSER=0
    JUCE_DISPLAY_SPLASH_SCREEN=0
    ${ARG_DEFINITIONS}
    $<$<CONFIG:Debug>:DEBUG=1>
    $<$<NOT:$<CONFIG:Debug>>:NDEBUG=1>)
  foreach(module IN LISTS ARG_MODULES)
    list(APPEND definitions JUCE_MODULE_AVAILABLE_${module}=1)
  endforeach()
  target_compile_definitions(${target} PUBLIC ${definitions})
  target_include_directories(${target} SYSTEM PUBLIC ${ARG_ROOT})
  target_compile_options(${target} PRIVATE -w)
endfunction()
