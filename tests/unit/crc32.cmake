# The portable checksum, natively and under wine.
tarvelion_test(crc32_test ${CMAKE_CURRENT_LIST_DIR}/crc32_test.cpp)
target_link_libraries(crc32_test PRIVATE tarvelion_format)
