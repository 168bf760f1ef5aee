# Fails unless the library's dynamic symbol table defines exactly the five
# entry points. Run with -DLIBRARY=<path to libpexora.so> -DNM=<nm>.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(names "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" name "${line}")
  string(REGEX REPLACE "@.*$" "" name "${name}")
  list(APPEND names "${name}")
endforeach()
list(SORT names)
set(expected Pexora_Compare Pexora_CreateObject Pexora_CreateObjectFromBitmapHandle
             Pexora_FreeObject Pexora_FreeResult)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "libpexora.so exports [${names}], expected [${expected}]")
endif()
message(STATUS "exports: ${names}")
