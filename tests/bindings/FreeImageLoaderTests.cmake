# FreeImageLoader: against the system's FreeImage, with pictures the test
# writes through FreeImage (linked by the test for that alone), and against a
# test double of FreeImage built here in several shapes.

add_executable(FreeImageLoaderTest
  ${CMAKE_CURRENT_LIST_DIR}/FreeImageLoaderTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FreeImageLoaderTestPictures.cpp)
target_link_libraries(FreeImageLoaderTest PRIVATE bindings FreeImage::FreeImage GTest::gtest_main)
gtest_discover_tests(FreeImageLoaderTest)

# Test doubles, each named libfreeimage.so.3 in a folder of its own: complete,
# without the export at each place of the table, and with the Windows names.
set(FREEIMAGE_DOUBLES_DIR ${CMAKE_BINARY_DIR}/testlibs/freeimage)
set(freeimage_double_kinds complete wide_names)
foreach(n RANGE 1 16)
  list(APPEND freeimage_double_kinds without_${n})
endforeach()
set(freeimage_double_targets)
foreach(kind IN LISTS freeimage_double_kinds)
  set(target freeimage_double_${kind})
  add_library(${target} SHARED ${CMAKE_CURRENT_LIST_DIR}/freeimage_double/FreeImageDouble.cpp)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME freeimage
    PREFIX lib
    SUFFIX .so.3
    NO_SONAME ON
    CXX_VISIBILITY_PRESET hidden
    LIBRARY_OUTPUT_DIRECTORY ${FREEIMAGE_DOUBLES_DIR}/${kind})
  if(kind MATCHES "^without_([0-9]+)$")
    target_compile_definitions(${target} PRIVATE FI_DOUBLE_OMIT=${CMAKE_MATCH_1})
  elseif(kind STREQUAL "wide_names")
    target_compile_definitions(${target} PRIVATE FI_DOUBLE_WIDE_NAMES)
  endif()
  list(APPEND freeimage_double_targets ${target})
endforeach()

add_executable(FreeImageLoaderDoubleTest ${CMAKE_CURRENT_LIST_DIR}/FreeImageLoaderDoubleTest.cpp)
target_link_libraries(FreeImageLoaderDoubleTest PRIVATE bindings GTest::gtest_main ${CMAKE_DL_LIBS})
target_compile_definitions(FreeImageLoaderDoubleTest PRIVATE FREEIMAGE_DOUBLES_DIR="${FREEIMAGE_DOUBLES_DIR}")
add_dependencies(FreeImageLoaderDoubleTest ${freeimage_double_targets})
gtest_discover_tests(FreeImageLoaderDoubleTest)
