# Driver of the consumer tests; run with cmake -P and -DMODE=install, cmake
# or pkgconfig (see CMakeLists.txt for the other variables).
set(prefix ${WORK_DIR}/prefix)
set(source ${WORK_DIR}/source)

function(run)
  cmake_parse_arguments(RUN "" "OUTPUT" "COMMAND" ${ARGN})
  execute_process(COMMAND ${RUN_COMMAND} RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(failed)
    list(JOIN RUN_COMMAND " " text)
    message(FATAL_ERROR "${text}\nfailed (${failed}):\n${out}\n${err}")
  endif()
  if(RUN_OUTPUT)
    set(${RUN_OUTPUT} "${out}" PARENT_SCOPE)
  endif()
endfunction()

# The program's output must name the sample's match (samples/expected.txt).
function(expect_sample_match output)
  if(NOT output MATCHES "match 1: 397,249 96x72 difference [0-9]+")
    message(FATAL_ERROR "the quick start did not find the sample:\n${output}")
  endif()
endfunction()

# The fenced block of the given language in the documentation, into a file.
function(extract_block language file)
  file(READ ${DOCS} text)
  string(FIND "${text}" "```${language}\n" start)
  if(start EQUAL -1)
    message(FATAL_ERROR "no ```${language} block in ${DOCS}")
  endif()
  string(LENGTH "```${language}\n" fence)
  math(EXPR start "${start} + ${fence}")
  string(SUBSTRING "${text}" ${start} -1 rest)
  string(FIND "${rest}" "\n```" end)
  math(EXPR end "${end} + 1")
  string(SUBSTRING "${rest}" 0 ${end} block)
  file(WRITE ${file} "${block}")
endfunction()

if(MODE STREQUAL "install")
  file(REMOVE_RECURSE ${WORK_DIR})
  run(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
  foreach(path include/pexora/pexora.h ${LIBDIR}/libpexora.so ${LIBDIR}/libpexora.so.1
               ${LIBDIR}/pkgconfig/pexora.pc ${LIBDIR}/cmake/Pexora/PexoraConfig.cmake
               ${LIBDIR}/cmake/Pexora/PexoraConfigVersion.cmake ${LIBDIR}/cmake/Pexora/PexoraTargets.cmake
               bin/pexora-find)
    if(NOT EXISTS ${prefix}/${path})
      message(FATAL_ERROR "not installed: ${path}")
    endif()
  endforeach()
  file(REAL_PATH ${prefix}/${LIBDIR}/libpexora.so.1 real)
  if(NOT real MATCHES "libpexora\\.so\\.1\\.1\\.0$" OR IS_SYMLINK ${real})
    message(FATAL_ERROR "libpexora.so.1 leads to ${real}, not to the real file libpexora.so.1.1.0")
  endif()
  # The installed tool finds the installed library by itself.
  run(COMMAND ${prefix}/bin/pexora-find ${SAMPLES}/SearchIn2.jpg ${SAMPLES}/SearchFor2.jpg OUTPUT found)
  if(NOT found MATCHES "^position 397,249 size 96x72 ")
    message(FATAL_ERROR "the installed pexora-find did not find the sample:\n${found}")
  endif()
  extract_block(c ${source}/quickstart.c)
  extract_block(cmake ${source}/CMakeLists.txt)
elseif(MODE STREQUAL "cmake")
  run(COMMAND ${CMAKE_COMMAND} -S ${source} -B ${WORK_DIR}/build-cmake -DCMAKE_PREFIX_PATH=${prefix}
              -DCMAKE_C_COMPILER=${C_COMPILER} -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE})
  run(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build-cmake)
  run(COMMAND ${WORK_DIR}/build-cmake/quickstart ${SAMPLES}/SearchIn2.jpg ${SAMPLES}/SearchFor2.jpg OUTPUT found)
  expect_sample_match("${found}")
  # The version file: 1.x is found, 2.0 is not.
  file(WRITE ${WORK_DIR}/version/CMakeLists.txt
       "cmake_minimum_required(VERSION 3.20)\nproject(v NONE)\n"
       "find_package(Pexora 1.0 CONFIG REQUIRED)\nfind_package(Pexora 2.0 CONFIG QUIET)\n"
       "if(NOT Pexora_FOUND)\n  message(STATUS \"2.0 not found\")\nendif()\n")
  run(COMMAND ${CMAKE_COMMAND} -S ${WORK_DIR}/version -B ${WORK_DIR}/version/build -DCMAKE_PREFIX_PATH=${prefix}
      OUTPUT configured)
  if(NOT configured MATCHES "2.0 not found")
    message(FATAL_ERROR "find_package(Pexora 2.0) accepted version 1:\n${configured}")
  endif()
elseif(MODE STREQUAL "pkgconfig")
  set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
  run(COMMAND pkg-config --modversion pexora OUTPUT version)
  if(NOT version STREQUAL "1.1.0\n")
    message(FATAL_ERROR "pkg-config says version ${version}")
  endif()
  run(COMMAND pkg-config --cflags --libs pexora OUTPUT flags)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  run(COMMAND ${C_COMPILER} -std=c11 -Wall -Wextra -Werror ${source}/quickstart.c ${flags}
              -o ${WORK_DIR}/quickstart-pc)
  # Found the way ldconfig would find it after an install to a system folder.
  run(COMMAND ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/${LIBDIR}
              ${WORK_DIR}/quickstart-pc ${SAMPLES}/SearchIn2.jpg ${SAMPLES}/SearchFor2.jpg OUTPUT found)
  expect_sample_match("${found}")
else()
  message(FATAL_ERROR "unknown MODE ${MODE}")
endif()
