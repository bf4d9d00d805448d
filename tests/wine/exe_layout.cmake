# The shipped applier exe: its size and PE headers, under wine.
if(NOT WIN32)
  return()
endif()
string(REPLACE "\\" "\\\\" applier_exe_literal "${APPLIER_EXE_WINDOWS}")
tarvelion_test(exe_layout_test ${CMAKE_CURRENT_LIST_DIR}/exe_layout_test.cpp)
target_link_libraries(exe_layout_test PRIVATE tarvelion_format)
target_compile_definitions(exe_layout_test PRIVATE
  "APPLIER_EXE_WINDOWS=\"${applier_exe_literal}\"")
add_dependencies(exe_layout_test applier)
