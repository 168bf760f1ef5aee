# FreeImageLoader (run-time binding of FreeImage, decoding into Qt bitmaps) and
# HelperBrivane (elapsed-time text). FreeImage itself is never linked.
find_package(Qt6 REQUIRED COMPONENTS Gui Widgets)
target_sources(bindings PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FreeImageLoader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HelperBrivane.cpp)
target_link_libraries(bindings PUBLIC Qt6::Gui)
