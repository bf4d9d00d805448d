# The background window and the About box, painted and driven under wine.
if(NOT WIN32)
  return()
endif()
tarvelion_test(background_test ${CMAKE_CURRENT_LIST_DIR}/background_test.cpp
  ${PROJECT_SOURCE_DIR}/applier/resources/applier.rc)
target_link_libraries(background_test PRIVATE applier_core window_driver)
