# The splash window with its own message loop and timers.
if(NOT WIN32)
  return()
endif()
tarvelion_test(splash_test ${CMAKE_CURRENT_LIST_DIR}/splash_test.cpp)
target_link_libraries(splash_test PRIVATE applier_core)
