# bzip2 1.0.8 for the Windows build, from Debian's source archive. The source
# is fetched into the build tree once and never committed. The applier only
# decompresses; section garbage collection drops the compressor from it.
set(BZIP2_SRC_DIR "${CMAKE_BINARY_DIR}/_deps/bzip2-1.0.8")
if(NOT EXISTS "${BZIP2_SRC_DIR}/bzlib.c")
  set(_dl "${CMAKE_BINARY_DIR}/_deps/download")
  file(MAKE_DIRECTORY "${_dl}")
  file(GLOB _orig "${_dl}/bzip2_1.0.8.orig.tar.*")
  if(NOT _orig)
    execute_process(COMMAND apt-get source --download-only bzip2=1.0.8-5
                    WORKING_DIRECTORY "${_dl}" RESULT_VARIABLE _rc OUTPUT_QUIET ERROR_QUIET)
    file(GLOB _orig "${_dl}/bzip2_1.0.8.orig.tar.*")
    if(NOT _orig)
      message(FATAL_ERROR "bzip2 source not found: run tools/setup.sh (it adds the deb-src entry)")
    endif()
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf "${_orig}"
                  WORKING_DIRECTORY "${CMAKE_BINARY_DIR}/_deps" RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0 OR NOT EXISTS "${BZIP2_SRC_DIR}/bzlib.c")
    message(FATAL_ERROR "could not unpack ${_orig}")
  endif()
endif()
add_library(bz2 STATIC
  ${BZIP2_SRC_DIR}/bzlib.c ${BZIP2_SRC_DIR}/decompress.c ${BZIP2_SRC_DIR}/compress.c ${BZIP2_SRC_DIR}/blocksort.c ${BZIP2_SRC_DIR}/huffman.c
  ${BZIP2_SRC_DIR}/crctable.c ${BZIP2_SRC_DIR}/randtable.c)
# Without unwind tables the linker can drop the compressor from the applier:
# its .eh_frame entries would otherwise keep it alive.
# BZ_NO_STDIO drops the FILE based API; bz_internal_error is then ours.
target_compile_definitions(bz2 PUBLIC BZ_NO_STDIO)
target_compile_options(bz2 PRIVATE -Os -w -ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables)
target_include_directories(bz2 SYSTEM PUBLIC ${BZIP2_SRC_DIR})
