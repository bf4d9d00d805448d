# The real applier's start-up, splash and first three wizard pages, on
# packages made by the builder (the road tests' fixture makes and runs them).
if(NOT WIN32 OR NOT TARGET window_driver)
  return()
endif()
tarvelion_test(first_pages_test
  ${CMAKE_CURRENT_LIST_DIR}/first_pages_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wizard_road_fixture.cpp)
target_include_directories(first_pages_test PRIVATE ${PROJECT_SOURCE_DIR}/applier/resources)
target_link_libraries(first_pages_test PRIVATE window_driver tarvelion_format)
add_dependencies(first_pages_test applier tarvelion-builder)
tarvelion_windows_path(first_pages_builder "${CMAKE_BINARY_DIR}/bin/tarvelion-builder.exe")
set(first_pages_applier "${APPLIER_EXE_WINDOWS}")
foreach(v first_pages_applier first_pages_builder)
  string(REPLACE "\\" "\\\\" ${v} "${${v}}")
endforeach()
target_compile_definitions(first_pages_test PRIVATE
  "APPLIER_EXE=\"${first_pages_applier}\""
  "BUILDER_EXE=\"${first_pages_builder}\"")
