# The apply benchmark under wine: one patch entry of a large file against a
# plain CopyFileA of it, and the checksum's speed by path. It prints figures;
# the CTest entry runs it small so that it keeps working, and a full run is
#   wine build/NAME-win/tests/apply_bench.exe 256
if(NOT WIN32)
  return()
endif()
add_executable(apply_bench ${CMAKE_CURRENT_LIST_DIR}/apply_bench.cpp
  ${PROJECT_SOURCE_DIR}/applier/resources/applier.rc)
target_link_libraries(apply_bench PRIVATE applier_core tarvelion_builder_lib)
set_target_properties(apply_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
add_test(NAME apply_bench_small COMMAND apply_bench 8)
set_tests_properties(apply_bench_small PROPERTIES TIMEOUT 300)
