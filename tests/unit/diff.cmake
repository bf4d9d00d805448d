# The builder's diff step: the matcher, the folder diff and the command,
# natively and under wine. The folder diff is read back with the applier's
# own patch data reader.
tarvelion_test(diff_test ${CMAKE_CURRENT_LIST_DIR}/diff_test.cpp)
target_link_libraries(diff_test PRIVATE tarvelion_builder_lib tarvelion_format)
