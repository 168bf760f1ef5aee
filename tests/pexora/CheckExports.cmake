# Fails unless the library's dynamic symbol table defines exactly the entry
# points below, each under the version node PEXORA_1.0: the five that the
# tutorial programs bind and those added for programs that link the library.
# Run with -DLIBRARY=<path to libpexora.so> -DNM=<nm>.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(names "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" name "${line}")
  if(name STREQUAL "PEXORA_1.0")
    continue()  # the version node itself
  endif()
  if(NOT name MATCHES "@@PEXORA_1\\.0$")
    message(FATAL_ERROR "${name} is not under the version node PEXORA_1.0")
  endif()
  string(REGEX REPLACE "@.*$" "" name "${name}")
  list(APPEND names "${name}")
endforeach()
list(SORT names)
set(expected Pexora_Compare Pexora_CreateObject Pexora_CreateObjectFromBitmapHandle
             Pexora_CreateObjectFromPixels Pexora_FreeObject Pexora_FreeResult
             Pexora_GetErrorText Pexora_GetVersion)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "libpexora.so exports [${names}], expected [${expected}]")
endif()
message(STATUS "exports: ${names}")
