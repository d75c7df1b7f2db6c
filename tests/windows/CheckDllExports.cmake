# Checks a built Triaxo.dll: its machine, that it exports exactly VSTPluginMain, main and
# winampDSPGetHeader2 by name (undecorated, main the same function as VSTPluginMain), and that it
# imports only DLLs every Windows has, so a host folder needs nothing beside it.
# Usage: cmake -DOBJDUMP=<objdump> -DDLL=<Triaxo.dll> -DFORMAT=<pei-i386|pei-x86-64> -P CheckDllExports.cmake
cmake_minimum_required(VERSION 3.25)
foreach(var OBJDUMP DLL FORMAT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "CheckDllExports: ${var} is not set")
  endif()
endforeach()

execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}: ${errors}")
endif()
string(REPLACE "\r" "" dump "${dump}")
string(REPLACE "\n" ";" lines "${dump}")

set(failures "")
if(NOT dump MATCHES "file format ${FORMAT}")
  string(APPEND failures "\n  not a ${FORMAT} image")
endif()

# Name table lines: "[   0] VSTPluginMain"; address table lines: "[   0] +base[   1] 15c0 Export RVA".
set(section "")
set(names "")
set(imports "")
foreach(line IN LISTS lines)
  if(line MATCHES "^Export Address Table -- ")
    set(section address-table)
  elseif(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
    set(section name-table)
  elseif(line MATCHES "^The Import Tables" OR line MATCHES "^The Function Table" OR line MATCHES "^PE File Base")
    set(section "")
  elseif(section STREQUAL "address-table" AND line MATCHES "^[ \t]*\\[ *([0-9]+)\\] \\+base\\[ *[0-9]+\\] +([0-9a-fA-F]+) ")
    set(address_${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
  elseif(section STREQUAL "name-table" AND line MATCHES "^[ \t]*\\[ *([0-9]+)\\] ([^ \t]+)$")
    list(APPEND names ${CMAKE_MATCH_2})
    set(ordinal_of_${CMAKE_MATCH_2} ${CMAKE_MATCH_1})
  elseif(line MATCHES "^[ \t]*DLL Name: (.+)$")
    string(TOLOWER "${CMAKE_MATCH_1}" dll)
    list(APPEND imports ${dll})
  endif()
endforeach()

list(SORT names)
set(expected VSTPluginMain main winampDSPGetHeader2)
list(SORT expected)
if(NOT names STREQUAL expected)
  string(APPEND failures "\n  exports are [${names}], expected exactly [${expected}]")
elseif(NOT DEFINED address_${ordinal_of_main} OR
       NOT address_${ordinal_of_main} STREQUAL address_${ordinal_of_VSTPluginMain})
  string(APPEND failures "\n  main is not the same function as VSTPluginMain")
endif()

# The system's own DLLs; the C runtime msvcrt.dll ships with every Windows since 2000, dxgi.dll (the
# editor's display refresh timing) with every Windows since Vista.
set(system_dlls kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll comctl32.dll
    comdlg32.dll shlwapi.dll uxtheme.dll winmm.dll imm32.dll version.dll msvcrt.dll ws2_32.dll dwmapi.dll
    opengl32.dll usp10.dll crypt32.dll rpcrt4.dll wininet.dll dxgi.dll)
if(NOT imports)
  string(APPEND failures "\n  no import table found")
endif()
foreach(dll IN LISTS imports)
  list(FIND system_dlls ${dll} found)
  if(found EQUAL -1 AND NOT dll MATCHES "^api-ms-win-")
    string(APPEND failures "\n  imports ${dll}, which is not a system DLL")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "${DLL}:${failures}")
endif()
message(STATUS "${DLL}: exports [${names}], imports [${imports}]")
