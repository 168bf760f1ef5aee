# Fails unless every file of the engine's sources sits in a stage folder and
# includes only headers of its own stage or of earlier ones, each named with
# its stage folder ("core/Limits.h"). The stages, earliest first:
#   core < decode < image < scan < merge < engine < api
# The public header (pexora/pexora.h) may be included anywhere; Highway's
# HWY_TARGET_INCLUDE counts as an include. Run with -DSOURCE_DIR=<pexora/src>.
set(stages core decode image scan merge engine api)

if(NOT IS_DIRECTORY "${SOURCE_DIR}")
  message(FATAL_ERROR "SOURCE_DIR (${SOURCE_DIR}) is not a folder")
endif()
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*")
list(SORT files)

# The engine's headers, for telling an engine header named without its
# folder from a system header.
set(header_names "")
foreach(file IN LISTS files)
  if(file MATCHES "\\.(h|hpp|inc)$")
    get_filename_component(name "${file}" NAME)
    list(APPEND header_names "${name}")
  endif()
endforeach()

set(problems "")
set(checked 0)
foreach(file IN LISTS files)
  if(NOT file MATCHES "\\.(h|hpp|inc|c|cc|cpp)$")
    continue()  # the linker's version script and the like
  endif()
  math(EXPR checked "${checked} + 1")
  string(REGEX MATCH "^[^/]+" own_stage "${file}")
  list(FIND stages "${own_stage}" own_rank)
  if(own_rank LESS 0 OR own_stage STREQUAL file)
    list(APPEND problems "${file} is not in a stage folder (${stages})")
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${file}" lines
       REGEX "^[ \t]*#[ \t]*(include|define[ \t]+HWY_TARGET_INCLUDE)[ \t]*[<\"]")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[^<\"]*[<\"]([^>\"]*)[>\"].*$" "\\1" included "${line}")
    string(REGEX MATCH "^[^/]+/" folder "${included}")
    string(REGEX REPLACE "/$" "" folder "${folder}")
    list(FIND stages "${folder}" rank)
    if(rank GREATER_EQUAL 0)
      if(rank GREATER own_rank)
        list(APPEND problems "${file} includes ${included}: ${folder} is a later stage than ${own_stage}")
      endif()
    elseif(line MATCHES "\"" AND NOT included MATCHES "^pexora/")
      list(APPEND problems "${file} includes \"${included}\", which names no stage folder")
    elseif(NOT folder)
      list(FIND header_names "${included}" engine_header)
      if(engine_header GREATER_EQUAL 0)
        list(APPEND problems "${file} includes <${included}>, an engine header without its stage folder")
      endif()
    endif()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no sources under ${SOURCE_DIR}")
endif()
if(problems)
  list(JOIN problems "\n  " text)
  list(JOIN stages " < " order)
  message(FATAL_ERROR "Includes across the stages (${order}):\n  ${text}")
endif()
message(STATUS "${checked} files include only their own and earlier stages")
