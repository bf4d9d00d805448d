# CopyTree and DeleteTree on real folders under wine.
if(NOT WIN32)
  return()
endif()
tarvelion_test(folder_tree_test ${CMAKE_CURRENT_LIST_DIR}/folder_tree_test.cpp)
target_link_libraries(folder_tree_test PRIVATE applier_core tarvelion_builder_lib)
