# The package settings file, read and written through the platform's
# profile-string services.
if(NOT WIN32)
  return()
endif()
tarvelion_test(settings_test ${CMAKE_CURRENT_LIST_DIR}/settings_test.cpp)
target_link_libraries(settings_test PRIVATE applier_core)
