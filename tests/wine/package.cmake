# The extractor on package files, under wine.
if(NOT WIN32)
  return()
endif()
string(REPLACE "\\" "\\\\" applier_exe_literal "${APPLIER_EXE_WINDOWS}")
tarvelion_test(package_extract_test ${CMAKE_CURRENT_LIST_DIR}/package_extract_test.cpp)
target_link_libraries(package_extract_test PRIVATE applier_core package_faults)
target_compile_definitions(package_extract_test PRIVATE
  "APPLIER_EXE_WINDOWS=\"${applier_exe_literal}\"")
add_dependencies(package_extract_test applier)
