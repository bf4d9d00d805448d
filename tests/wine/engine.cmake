# The patch engine on real folders under wine: one entry, whole runs, the
# update log.
if(NOT WIN32)
  return()
endif()
foreach(t engine_entry_test engine_run_test)
  tarvelion_test(${t} ${CMAKE_CURRENT_LIST_DIR}/${t}.cpp
    ${PROJECT_SOURCE_DIR}/applier/resources/applier.rc)
  target_link_libraries(${t} PRIVATE applier_core tarvelion_builder_lib)
endforeach()

# The failed-replace cases, as an ordinary user (see engine_permissions.sh).
add_test(NAME engine_permissions_test
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/engine_permissions.sh $<TARGET_FILE:engine_entry_test>)
set_tests_properties(engine_permissions_test PROPERTIES TIMEOUT 300)
