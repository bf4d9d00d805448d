# The patch data reader against the builder's writer, natively and under wine.
tarvelion_test(patch_data_test ${CMAKE_CURRENT_LIST_DIR}/patch_data_test.cpp)
target_link_libraries(patch_data_test PRIVATE tarvelion_format tarvelion_builder_lib)
