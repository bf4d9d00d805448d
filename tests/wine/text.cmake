# Text lookup, the language table and dialog localization, on the applier's
# own string table and dialogs.
if(NOT WIN32)
  return()
endif()
tarvelion_test(text_test ${CMAKE_CURRENT_LIST_DIR}/text_test.cpp
  ${PROJECT_SOURCE_DIR}/applier/resources/applier.rc)
target_link_libraries(text_test PRIVATE applier_core window_driver)
