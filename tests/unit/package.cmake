# The portable package records and attachment archive, and the builder's
# package writer, natively and under wine.
tarvelion_test(package_format_test ${CMAKE_CURRENT_LIST_DIR}/package_format_test.cpp)
target_link_libraries(package_format_test PRIVATE tarvelion_format package_faults)

tarvelion_test(package_writer_test ${CMAKE_CURRENT_LIST_DIR}/package_writer_test.cpp)
target_link_libraries(package_writer_test PRIVATE package_faults)

# The pack command run as a process, natively.
if(NOT WIN32)
  tarvelion_test(package_pack_command_test ${CMAKE_CURRENT_LIST_DIR}/package_pack_command_test.cpp)
  target_link_libraries(package_pack_command_test PRIVATE package_faults)
  target_compile_definitions(package_pack_command_test PRIVATE
    TARVELION_BUILDER_EXE="$<TARGET_FILE:tarvelion-builder>")
  add_dependencies(package_pack_command_test tarvelion-builder)
endif()
