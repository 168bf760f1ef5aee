# HelperBrivane: the elapsed-time text.
add_executable(HelperBrivaneTest ${CMAKE_CURRENT_LIST_DIR}/HelperBrivaneTest.cpp)
target_link_libraries(HelperBrivaneTest PRIVATE bindings GTest::gtest_main)
gtest_discover_tests(HelperBrivaneTest)
