# The real applier's start-up and ends on packages made by the test: the
# mutex rules, damaged packages, the window title and the close question.
if(NOT WIN32 OR NOT TARGET window_driver OR NOT TARGET package_faults)
  return()
endif()
tarvelion_test(startup_test ${CMAKE_CURRENT_LIST_DIR}/startup_test.cpp)
target_link_libraries(startup_test PRIVATE window_driver package_faults)
add_dependencies(startup_test applier)
string(REPLACE "\\" "\\\\" startup_applier "${APPLIER_EXE_WINDOWS}")
target_compile_definitions(startup_test PRIVATE "APPLIER_EXE=\"${startup_applier}\"")
