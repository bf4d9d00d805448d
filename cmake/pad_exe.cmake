# Pads the linked applier exe with zero bytes to exactly OFFSET bytes, where
# the builder appends the package. The loader ignores bytes after the last
# section, so the padding changes nothing of the program.
file(SIZE "${EXE}" size)
if(size GREATER OFFSET)
  file(REMOVE "${EXE}")
  message(FATAL_ERROR "the applier exe is ${size} bytes, larger than its package offset ${OFFSET}: "
                      "shrink the exe or raise TARVELION_PACKAGE_OFFSET")
endif()
execute_process(COMMAND truncate -s ${OFFSET} "${EXE}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "could not pad ${EXE} to ${OFFSET} bytes")
endif()
