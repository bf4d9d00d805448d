# The wizard frame and the Welcome, Licence and Guide pages, driven in the
# test's own process with the applier's dialogs and texts linked in.
if(NOT WIN32)
  return()
endif()
tarvelion_test(wizard_frame_test ${CMAKE_CURRENT_LIST_DIR}/wizard_frame_test.cpp
  ${PROJECT_SOURCE_DIR}/applier/resources/applier.rc)
target_link_libraries(wizard_frame_test PRIVATE applier_core window_driver)
