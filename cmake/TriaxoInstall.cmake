# Installation and release packages.
#
# cmake --install <build dir>              the plug-in into ~/.lxvst/Triaxo (with the guide beside it),
#                                          triaxo-host into ~/.local/bin, its man page into
#                                          ~/.local/share/man/man1: one user, no root needed
# cmake --install <build dir> --prefix P   the same under P: P/lib/lxvst/Triaxo, P/bin, P/share/man/man1
# TRIAXO_VST_INSTALL_DIR                   a VST 2.4 folder of your choice for the Triaxo folder
#
# cmake --build <build dir> --target triaxo-release   packages/ in the build folder:
#   Triaxo-<version>-Linux.tar.gz, Triaxo-<version>-Windows-32bit.zip, Triaxo-<version>-Windows-64bit.zip
# The Windows archives take the DLLs that the windows-x86-editor and windows-x64-editor presets build
# (scripts/windows-tests.sh builds both) and strip their debug information (the Linux binaries are
# stripped as they are staged); triaxo-release-linux makes
# the Linux archive alone. Every archive holds the plug-in in a Triaxo folder with the guide, the default
# "Chords.txt" and "Scale Templates.txt", the licence and a read-me with the install step.
#
# The default texts are the ones the editor writes on its first start, collected while the guide's
# pictures are taken; TRIAXO_DEFAULT_TEXTS_DIR names another folder holding both files.
if(WIN32)
  return() # the Windows DLLs are packaged from the Linux build
endif()

set(TRIAXO_VST_INSTALL_DIR "" CACHE PATH
    "VST 2.4 folder for the Triaxo folder (empty: ~/.lxvst, or <prefix>/lib/lxvst with --prefix)")
set(TRIAXO_DEFAULT_TEXTS_DIR "" CACHE PATH
    "Folder with Chords.txt and Scale Templates.txt for the packages (empty: those the editor wrote)")
set(TRIAXO_WINDOWS_X86_DLL "${PROJECT_SOURCE_DIR}/build/windows-x86-editor/src/plugin/Triaxo.dll" CACHE FILEPATH
    "32-bit Triaxo.dll for the Windows package")
set(TRIAXO_WINDOWS_X64_DLL "${PROJECT_SOURCE_DIR}/build/windows-x64-editor/src/plugin/Triaxo.dll" CACHE FILEPATH
    "64-bit Triaxo.dll for the Windows package")
if(NOT DEFINED TRIAXO_GUIDE_PDF)
  set(TRIAXO_GUIDE_PDF "${PROJECT_BINARY_DIR}/docs/guide/Triaxo User Guide.pdf")
endif()
if(NOT DEFINED TRIAXO_GUIDE_DEFAULTS)
  set(TRIAXO_GUIDE_DEFAULTS "${PROJECT_BINARY_DIR}/docs/guide/defaults")
endif()
if(TRIAXO_DEFAULT_TEXTS_DIR)
  set(triaxo_texts_dir "${TRIAXO_DEFAULT_TEXTS_DIR}")
else()
  set(triaxo_texts_dir "${TRIAXO_GUIDE_DEFAULTS}")
endif()

# --- cmake --install ---------------------------------------------------------------------------------
# Without a prefix of the user's own the install is a per-user one: the default prefix becomes ~/.local,
# and an install into that prefix puts the plug-in where hosts look for a user's plug-ins, ~/.lxvst. The
# home folder is read again when the install runs.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT AND NOT "$ENV{HOME}" STREQUAL "")
  set(CMAKE_INSTALL_PREFIX "$ENV{HOME}/.local" CACHE PATH "Install prefix (default: per-user)" FORCE)
  set(TRIAXO_USER_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}" CACHE INTERNAL "")
endif()
set(triaxo_default_prefix "${TRIAXO_USER_INSTALL_PREFIX}")
set(triaxo_install_code [=[
  if(CMAKE_INSTALL_PREFIX STREQUAL "@triaxo_default_prefix@")
    set(triaxo_root "$ENV{HOME}/.local")
    set(triaxo_vst "$ENV{HOME}/.lxvst")
  else()
    set(triaxo_root "${CMAKE_INSTALL_PREFIX}")
    set(triaxo_vst "${CMAKE_INSTALL_PREFIX}/lib/lxvst")
  endif()
  if(NOT "@TRIAXO_VST_INSTALL_DIR@" STREQUAL "")
    set(triaxo_vst "@TRIAXO_VST_INSTALL_DIR@")
  endif()
  file(INSTALL DESTINATION "${triaxo_vst}/Triaxo" TYPE MODULE FILES "$<TARGET_FILE:triaxo_plugin>")
  if(EXISTS "@TRIAXO_GUIDE_PDF@")
    file(INSTALL DESTINATION "${triaxo_vst}/Triaxo" TYPE FILE FILES "@TRIAXO_GUIDE_PDF@")
  else()
    message(WARNING "Triaxo User Guide.pdf is not built (cmake --build <build dir> --target triaxo-guide); "
                    "installing the plug-in without it")
  endif()
]=])
if(TARGET triaxo-host)
  string(APPEND triaxo_install_code [=[
  file(INSTALL DESTINATION "${triaxo_root}/bin" TYPE EXECUTABLE FILES "$<TARGET_FILE:triaxo-host>")
  file(INSTALL DESTINATION "${triaxo_root}/share/man/man1" TYPE FILE FILES "@TRIAXO_HOST_MAN_PAGE@")
]=])
endif()
string(CONFIGURE "${triaxo_install_code}" triaxo_install_code @ONLY)
install(CODE "${triaxo_install_code}" COMPONENT Triaxo)

# --- release packages --------------------------------------------------------------------------------
set(triaxo_package_dir "${PROJECT_BINARY_DIR}/package")
set(triaxo_packages_out "${PROJECT_BINARY_DIR}/packages")
set(triaxo_license "${PROJECT_SOURCE_DIR}/LICENSE")

# Read-me files: LF for Linux, CR LF for Windows.
configure_file(${CMAKE_CURRENT_LIST_DIR}/package/README-Linux.txt.in ${triaxo_package_dir}/linux/README.txt
               @ONLY NEWLINE_STYLE UNIX)
foreach(bits 32 64)
  set(TRIAXO_PACKAGE_BITS ${bits})
  if(bits EQUAL 32)
    set(TRIAXO_PACKAGE_FOLDER "C:\\Program Files (x86)\\VSTPlugins")
    set(TRIAXO_PACKAGE_OTHER "For a 64-bit host take the 64-bit archive.")
  else()
    set(TRIAXO_PACKAGE_FOLDER "C:\\Program Files\\VSTPlugins")
    set(TRIAXO_PACKAGE_OTHER "For a 32-bit host take the 32-bit archive.")
  endif()
  configure_file(${CMAKE_CURRENT_LIST_DIR}/package/README-Windows.txt.in
                 ${triaxo_package_dir}/win${bits}/README.txt @ONLY NEWLINE_STYLE WIN32)
endforeach()

set(triaxo_texts "${triaxo_texts_dir}/Chords.txt" "${triaxo_texts_dir}/Scale Templates.txt")
# Files every archive has at its top, and the Triaxo folder's guide.
function(triaxo_package_common component readme)
  install(FILES "${TRIAXO_GUIDE_PDF}" DESTINATION Triaxo COMPONENT ${component} EXCLUDE_FROM_ALL)
  install(FILES ${triaxo_license} ${readme} DESTINATION . COMPONENT ${component} EXCLUDE_FROM_ALL)
  # The default texts exist once the editor that writes them is built (or the folder variable names them).
  foreach(text IN LISTS triaxo_texts)
    install(CODE "
      if(EXISTS \"${text}\")
        file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}\" TYPE FILE FILES \"${text}\")
      else()
        message(WARNING \"${text} is missing: this package has no copy of it\")
      endif()" COMPONENT ${component} EXCLUDE_FROM_ALL)
  endforeach()
endfunction()

install(TARGETS triaxo_plugin LIBRARY DESTINATION Triaxo COMPONENT pkg-linux EXCLUDE_FROM_ALL)
if(TARGET triaxo-host)
  install(TARGETS triaxo-host RUNTIME DESTINATION . COMPONENT pkg-linux EXCLUDE_FROM_ALL)
  install(FILES ${TRIAXO_HOST_MAN_PAGE} DESTINATION . COMPONENT pkg-linux EXCLUDE_FROM_ALL)
endif()
triaxo_package_common(pkg-linux ${triaxo_package_dir}/linux/README.txt)
foreach(bits 32 64)
  install(FILES ${triaxo_package_dir}/win${bits}/Triaxo.dll DESTINATION Triaxo COMPONENT pkg-win${bits}
          EXCLUDE_FROM_ALL)
  triaxo_package_common(pkg-win${bits} ${triaxo_package_dir}/win${bits}/README.txt)
endforeach()

# One CPack configuration per archive, each packing one component: the release target installs the
# component into a staging folder (cmake --install builds nothing, so it is safe inside a build) and
# CPack archives that folder.
function(triaxo_cpack_config name generator component file_name)
  set(config "${triaxo_package_dir}/CPack-${name}.cmake")
  file(WRITE "${config}" "
set(CPACK_GENERATOR \"${generator}\")
set(CPACK_PACKAGE_NAME \"Triaxo\")
set(CPACK_PACKAGE_VENDOR \"Ventrakis\")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY \"MIDI chord-trigger VST 2.4 plug-in\")
set(CPACK_PACKAGE_DESCRIPTION \"Triaxo turns every trigger note into a strummed, humanised chord and sends it on as MIDI.\")
set(CPACK_PACKAGE_VERSION \"${PROJECT_VERSION}\")
set(CPACK_PACKAGE_FILE_NAME \"${file_name}\")
set(CPACK_PACKAGE_DIRECTORY \"${triaxo_packages_out}\")
set(CPACK_INSTALLED_DIRECTORIES \"${triaxo_package_dir}/stage-${name};.\")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
set(CPACK_STRIP_FILES OFF)
")
endfunction()
triaxo_cpack_config(linux TGZ pkg-linux "Triaxo-${PROJECT_VERSION}-Linux")
triaxo_cpack_config(win32 ZIP pkg-win32 "Triaxo-${PROJECT_VERSION}-Windows-32bit")
triaxo_cpack_config(win64 ZIP pkg-win64 "Triaxo-${PROJECT_VERSION}-Windows-64bit")

find_program(TRIAXO_MINGW_I686_STRIP i686-w64-mingw32-strip)
find_program(TRIAXO_MINGW_X86_64_STRIP x86_64-w64-mingw32-strip)
set(triaxo_release_needs triaxo_plugin)
if(TARGET triaxo-host-manpage)
  list(APPEND triaxo_release_needs triaxo-host triaxo-host-manpage)
endif()
set(triaxo_check_guide ${CMAKE_COMMAND} "-DFILE=${TRIAXO_GUIDE_PDF}"
    "-DHINT=cmake --build ${PROJECT_BINARY_DIR} --target triaxo-guide" -P ${CMAKE_CURRENT_LIST_DIR}/package/NeedFile.cmake)
add_custom_target(triaxo-release-linux
  COMMAND ${triaxo_check_guide}
  COMMAND ${CMAKE_COMMAND} -E rm -rf "${triaxo_package_dir}/stage-linux"
  COMMAND ${CMAKE_COMMAND} --install "${PROJECT_BINARY_DIR}" --component pkg-linux --strip
          --prefix "${triaxo_package_dir}/stage-linux"
  COMMAND ${CMAKE_CPACK_COMMAND} --config "${triaxo_package_dir}/CPack-linux.cmake"
  DEPENDS ${triaxo_release_needs}
  COMMENT "Packing the Linux archive"
  VERBATIM)
add_custom_target(triaxo-release
  COMMAND ${triaxo_check_guide}
  COMMAND ${CMAKE_COMMAND} "-DSTRIP=${TRIAXO_MINGW_I686_STRIP}" "-DDLL=${TRIAXO_WINDOWS_X86_DLL}"
          "-DOUTPUT=${triaxo_package_dir}/win32/Triaxo.dll" "-DPRESET=windows-x86-editor"
          -P ${CMAKE_CURRENT_LIST_DIR}/package/StripDll.cmake
  COMMAND ${CMAKE_COMMAND} "-DSTRIP=${TRIAXO_MINGW_X86_64_STRIP}" "-DDLL=${TRIAXO_WINDOWS_X64_DLL}"
          "-DOUTPUT=${triaxo_package_dir}/win64/Triaxo.dll" "-DPRESET=windows-x64-editor"
          -P ${CMAKE_CURRENT_LIST_DIR}/package/StripDll.cmake
  COMMAND ${CMAKE_COMMAND} -E rm -rf "${triaxo_package_dir}/stage-linux"
  COMMAND ${CMAKE_COMMAND} --install "${PROJECT_BINARY_DIR}" --component pkg-linux --strip
          --prefix "${triaxo_package_dir}/stage-linux"
  COMMAND ${CMAKE_CPACK_COMMAND} --config "${triaxo_package_dir}/CPack-linux.cmake"
  COMMAND ${CMAKE_COMMAND} -E rm -rf "${triaxo_package_dir}/stage-win32"
  COMMAND ${CMAKE_COMMAND} --install "${PROJECT_BINARY_DIR}" --component pkg-win32
          --prefix "${triaxo_package_dir}/stage-win32"
  COMMAND ${CMAKE_CPACK_COMMAND} --config "${triaxo_package_dir}/CPack-win32.cmake"
  COMMAND ${CMAKE_COMMAND} -E rm -rf "${triaxo_package_dir}/stage-win64"
  COMMAND ${CMAKE_COMMAND} --install "${PROJECT_BINARY_DIR}" --component pkg-win64
          --prefix "${triaxo_package_dir}/stage-win64"
  COMMAND ${CMAKE_CPACK_COMMAND} --config "${triaxo_package_dir}/CPack-win64.cmake"
  DEPENDS ${triaxo_release_needs}
  COMMENT "Packing the Linux and Windows archives"
  VERBATIM)
