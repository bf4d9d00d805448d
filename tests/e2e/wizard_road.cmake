# The applier's road from the Destination page to the end, driven through its
# windows under wine, on packages that the builder makes from folders the
# tests prepare.
if(NOT WIN32 OR NOT TARGET window_driver)
  return()
endif()

add_executable(road_marker WIN32 ${CMAKE_CURRENT_LIST_DIR}/road_marker.cpp)
set_target_properties(road_marker PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

tarvelion_test(wizard_road_test
  ${CMAKE_CURRENT_LIST_DIR}/wizard_road_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wizard_road_fixture.cpp)
target_include_directories(wizard_road_test PRIVATE ${PROJECT_SOURCE_DIR}/applier/resources)
target_link_libraries(wizard_road_test PRIVATE window_driver tarvelion_format)
add_dependencies(wizard_road_test applier tarvelion-builder road_marker)
# Windows paths (Z:\...) as C string literals: every backslash doubled.
tarvelion_windows_path(road_builder "${CMAKE_BINARY_DIR}/bin/tarvelion-builder.exe")
tarvelion_windows_path(road_marker_exe "${CMAKE_BINARY_DIR}/tests/road_marker.exe")
set(road_applier "${APPLIER_EXE_WINDOWS}")
foreach(v road_applier road_builder road_marker_exe)
  string(REPLACE "\\" "\\\\" ${v} "${${v}}")
endforeach()
target_compile_definitions(wizard_road_test PRIVATE
  "APPLIER_EXE=\"${road_applier}\""
  "BUILDER_EXE=\"${road_builder}\""
  "MARKER_EXE=\"${road_marker_exe}\"")

# The language table's test needs German as the user's language; here it
# must run, so a skip (no German locale on the host) is a failure.
add_test(NAME wizard_road_german COMMAND wizard_road_test --gtest_filter=*LanguageTable*)
set_tests_properties(wizard_road_german PROPERTIES ENVIRONMENT "LANG=de_DE.UTF-8" TIMEOUT 600
  FAIL_REGULAR_EXPRESSION "SKIPPED")
