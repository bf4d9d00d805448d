# Which clicked links open: the pure rule and the click handler.
if(NOT WIN32)
  return()
endif()
add_executable(links_marker WIN32 ${CMAKE_CURRENT_LIST_DIR}/links_marker.cpp)
set_target_properties(links_marker PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
tarvelion_windows_path(links_marker_windows "${CMAKE_BINARY_DIR}/tests/links_marker.exe")
string(REPLACE "\\" "\\\\" links_marker_windows "${links_marker_windows}")

tarvelion_test(links_test ${CMAKE_CURRENT_LIST_DIR}/links_test.cpp)
target_link_libraries(links_test PRIVATE applier_core)
target_compile_definitions(links_test PRIVATE LINKS_MARKER_EXE="${links_marker_windows}")
add_dependencies(links_test links_marker)
