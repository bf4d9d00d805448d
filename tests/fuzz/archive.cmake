# The package reader on arbitrary bytes. archive_replay_test runs the fuzz
# body on the saved corpus and on made packages in every native build, with
# the reader's own code compiled under the sanitizers. With clang,
# archive_fuzzer is the libFuzzer target:
#   archive_fuzzer -max_total_time=60 NEW_DIR tests/fuzz/archive_corpus
if(WIN32)
  return()
endif()
set(archive_reader ${PROJECT_SOURCE_DIR}/applier/package/package_format.cpp
                   ${CMAKE_CURRENT_LIST_DIR}/archive_fuzz.cpp)
set(archive_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

# The reader's sources are part of the exe itself, so its sanitized objects
# are the ones linked, not those of tarvelion_format.
tarvelion_test(archive_replay_test ${CMAKE_CURRENT_LIST_DIR}/archive_replay_test.cpp ${archive_reader})
target_include_directories(archive_replay_test PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(archive_replay_test PRIVATE package_faults BZip2::BZip2)
target_compile_definitions(archive_replay_test PRIVATE
  ARCHIVE_CORPUS_DIR="${CMAKE_CURRENT_LIST_DIR}/archive_corpus")
target_compile_options(archive_replay_test PRIVATE ${archive_sanitizers})
target_link_options(archive_replay_test PRIVATE ${archive_sanitizers})

if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(archive_fuzzer ${archive_reader})
  target_include_directories(archive_fuzzer PRIVATE ${PROJECT_SOURCE_DIR}/applier)
  target_compile_definitions(archive_fuzzer PRIVATE TARVELION_LIBFUZZER
    TARVELION_PACKAGE_OFFSET=${TARVELION_PACKAGE_OFFSET})
  target_compile_options(archive_fuzzer PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(archive_fuzzer PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(archive_fuzzer PRIVATE BZip2::BZip2)
  set_target_properties(archive_fuzzer PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endif()
