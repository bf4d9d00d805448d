# The whole road of the patch data under wine: the builder's diff of two
# folders, packed with the builder's pack code, unpacked by the applier's
# extractor and applied by its update worker.
if(NOT WIN32)
  return()
endif()
tarvelion_test(roundtrip_test ${CMAKE_CURRENT_LIST_DIR}/roundtrip_test.cpp
  ${PROJECT_SOURCE_DIR}/applier/resources/applier.rc)
target_link_libraries(roundtrip_test PRIVATE applier_core tarvelion_builder_lib)
add_dependencies(roundtrip_test applier)
string(REPLACE "\\" "\\\\" roundtrip_applier_literal "${APPLIER_EXE_WINDOWS}")
target_compile_definitions(roundtrip_test PRIVATE
  "APPLIER_EXE_WINDOWS=\"${roundtrip_applier_literal}\"")
