# Good and damaged test packages, for the tests of every area.
add_library(package_faults STATIC ${CMAKE_CURRENT_LIST_DIR}/package_faults.cpp)
target_include_directories(package_faults PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(package_faults PUBLIC tarvelion_builder_lib)
