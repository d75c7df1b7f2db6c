# Builds "Triaxo User Guide.pdf" from the Markdown chapters of this folder and the pictures that
# triaxo-guide-shots rendered. Every picture the chapters show must have been rendered, and every
# rendered picture must be shown, so the shot table and the text cannot drift apart.
# Usage: cmake -DPANDOC=<pandoc> -DWEASYPRINT=<weasyprint> -DSHOTS=<folder with the PNGs and shots.txt>
#              -DVERSION=<x.y.z> -DOUTPUT=<pdf> -P BuildGuide.cmake
cmake_minimum_required(VERSION 3.25)
foreach(var PANDOC WEASYPRINT SHOTS VERSION OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "BuildGuide: ${var} is not set")
  endif()
endforeach()
set(source_dir ${CMAKE_CURRENT_LIST_DIR})

file(GLOB chapters ${source_dir}/[0-9][0-9]-*.md)
list(SORT chapters)
if(NOT chapters)
  message(FATAL_ERROR "BuildGuide: no chapters in ${source_dir}")
endif()

if(NOT EXISTS ${SHOTS}/shots.txt)
  message(FATAL_ERROR "BuildGuide: ${SHOTS}/shots.txt is missing (run triaxo-guide-shots first)")
endif()
file(STRINGS ${SHOTS}/shots.txt shot_lines)
set(rendered "")
foreach(line IN LISTS shot_lines)
  string(REGEX REPLACE "\t.*$" "" name "${line}")
  list(APPEND rendered ${name})
endforeach()

set(shown "")
foreach(chapter IN LISTS chapters)
  file(READ ${chapter} text)
  string(REGEX MATCHALL "!\\[[^]]*\\]\\([^)]+\\)" images "${text}")
  foreach(image IN LISTS images)
    string(REGEX REPLACE "^!\\[[^]]*\\]\\(([^) ]+).*$" "\\1" file "${image}")
    list(APPEND shown ${file})
    if(NOT file IN_LIST rendered)
      get_filename_component(chapter_name ${chapter} NAME)
      message(FATAL_ERROR "BuildGuide: ${chapter_name} shows ${file}, which the shot table does not render")
    endif()
  endforeach()
endforeach()
foreach(name IN LISTS rendered)
  if(NOT name IN_LIST shown)
    message(FATAL_ERROR "BuildGuide: the shot table renders ${name}, but no chapter shows it")
  endif()
endforeach()

# The HTML goes beside the pictures, so that they and the style sheet resolve relative to it.
configure_file(${source_dir}/guide.css ${SHOTS}/guide.css COPYONLY)
set(html ${SHOTS}/guide.html)
execute_process(
  COMMAND ${PANDOC} ${source_dir}/metadata.yaml ${chapters} --standalone --toc --toc-depth=2
          --template=${source_dir}/template.html --css=guide.css --metadata=version:${VERSION}
          --to=html5 --output=${html}
  RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "BuildGuide: pandoc failed: ${errors}")
endif()
get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
execute_process(COMMAND ${WEASYPRINT} --quiet ${html} ${OUTPUT} RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT EXISTS ${OUTPUT})
  message(FATAL_ERROR "BuildGuide: weasyprint failed: ${errors}")
endif()
list(LENGTH rendered count)
message(STATUS "Wrote ${OUTPUT} (${count} pictures)")
