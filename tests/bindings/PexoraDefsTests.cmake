# Stand-in search libraries, each named libpexora.so in a folder of its own.
foreach(kind complete without_bitmap_handle wrong_case)
  add_library(pexora_double_${kind} SHARED ${CMAKE_CURRENT_SOURCE_DIR}/pexora_double/PexoraExportsDouble.cpp)
  target_link_libraries(pexora_double_${kind} PRIVATE pexora_headers)
  set_target_properties(pexora_double_${kind} PROPERTIES
    OUTPUT_NAME pexora
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testlibs/pexora_${kind})
endforeach()
target_compile_definitions(pexora_double_without_bitmap_handle PRIVATE PX_DOUBLE_WITHOUT_BITMAP_HANDLE)
target_compile_definitions(pexora_double_wrong_case PRIVATE PX_DOUBLE_WRONG_CASE)

add_executable(PexoraDefsTest ${CMAKE_CURRENT_SOURCE_DIR}/PexoraDefsTest.cpp)
target_link_libraries(PexoraDefsTest PRIVATE bindings GTest::gtest_main)
target_compile_definitions(PexoraDefsTest PRIVATE TESTLIBS_DIR="${CMAKE_BINARY_DIR}/testlibs")
add_dependencies(PexoraDefsTest pexora_double_complete pexora_double_without_bitmap_handle pexora_double_wrong_case)
gtest_discover_tests(PexoraDefsTest)
