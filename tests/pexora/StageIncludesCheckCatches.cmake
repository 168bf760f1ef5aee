# Runs CheckStageIncludes.cmake on small source trees: a tree that keeps the
# stages passes, and each way of breaking them fails with its own message.
# Run with -DCHECKER=<CheckStageIncludes.cmake> -DWORK_DIR=<scratch folder>.

# A tree that keeps the stages: own stage, earlier stages, the public header,
# system headers and Highway's per-target include of the file itself.
function(write_good_tree root)
  file(REMOVE_RECURSE "${root}")
  file(WRITE "${root}/core/Image.h" "#pragma once\n#include <cstdint>\n")
  file(WRITE "${root}/scan/Scan.h" "#pragma once\n#include \"core/Image.h\"\n#include \"pexora/pexora.h\"\n")
  file(WRITE "${root}/scan/Scan.cpp"
       "#undef HWY_TARGET_INCLUDE\n#define HWY_TARGET_INCLUDE \"scan/Scan.cpp\"\n#include <hwy/highway.h>\n"
       "  #  include \"scan/Scan.h\"\n")
  file(WRITE "${root}/api/Exports.cpp" "#include \"scan/Scan.h\"\n#include \"api/Exports.h\"\n")
  file(WRITE "${root}/api/Exports.h" "#pragma once\n")
  file(WRITE "${root}/api/library.map" "{ global: *; };\n")
endfunction()

function(run_checker root out_result out_output)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${root} -P ${CHECKER}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  set(${out_result} "${result}" PARENT_SCOPE)
  set(${out_output} "${output}" PARENT_SCOPE)
endfunction()

set(root "${WORK_DIR}/tree")
write_good_tree("${root}")
run_checker("${root}" result output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "a tree that keeps the stages failed:\n${output}")
endif()

# Each case: the file, the line added to it, and what the message must say.
set(cases
  "core/Image.h|#include \"scan/Scan.h\"|core/Image.h includes scan/Scan.h: scan is a later stage than core"
  "scan/Scan.cpp|#include <api/Exports.h>|scan/Scan.cpp includes api/Exports.h: api is a later stage than scan"
  "scan/Scan.h|  # include \"api/Exports.h\"|scan/Scan.h includes api/Exports.h: api is a later stage"
  "scan/Scan.cpp|#define HWY_TARGET_INCLUDE \"api/Exports.cpp\"|includes api/Exports.cpp: api is a later stage"
  "api/Exports.cpp|#include \"Exports.h\"|api/Exports.cpp includes \"Exports.h\", which names no stage folder"
  "api/Exports.cpp|#include <Scan.h>|api/Exports.cpp includes <Scan.h>, an engine header without its stage folder"
  "Loose.cpp|#include \"core/Image.h\"|Loose.cpp is not in a stage folder"
  "tools/Tool.h|#pragma once|tools/Tool.h is not in a stage folder")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 file)
  list(GET parts 1 line)
  list(GET parts 2 expected)
  write_good_tree("${root}")
  file(APPEND "${root}/${file}" "${line}\n")
  run_checker("${root}" result output)
  if(result EQUAL 0)
    message(FATAL_ERROR "'${line}' in ${file} passed the check")
  endif()
  string(FIND "${output}" "${expected}" at)
  if(at LESS 0)
    message(FATAL_ERROR "'${line}' in ${file}: expected \"${expected}\" in:\n${output}")
  endif()
endforeach()
list(LENGTH cases count)
message(STATUS "the check passes a good tree and catches ${count} bad ones")
