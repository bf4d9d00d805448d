# DLL planting: the applier loads its libraries from the system folder only,
# and its import table names nothing but system DLLs.
if(NOT WIN32 OR NOT TARGET window_driver)
  return()
endif()
add_library(dll_safety_planted SHARED ${CMAKE_CURRENT_LIST_DIR}/dll_safety_planted.cpp)
set_target_properties(dll_safety_planted PROPERTIES PREFIX "" OUTPUT_NAME planted
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
# Static run-time: the plant must load wherever it is put, on its own.
target_link_options(dll_safety_planted PRIVATE -static -static-libgcc -static-libstdc++)
add_executable(dll_safety_loader ${CMAKE_CURRENT_LIST_DIR}/dll_safety_loader.cpp)
target_link_libraries(dll_safety_loader PRIVATE applier_core)
set_target_properties(dll_safety_loader PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

tarvelion_test(dll_safety_test ${CMAKE_CURRENT_LIST_DIR}/dll_safety_test.cpp)
target_link_libraries(dll_safety_test PRIVATE window_driver package_faults)
add_dependencies(dll_safety_test dll_safety_planted dll_safety_loader applier)
tarvelion_windows_path(planted_dll "${CMAKE_BINARY_DIR}/tests/planted.dll")
tarvelion_windows_path(loader_exe "${CMAKE_BINARY_DIR}/tests/dll_safety_loader.exe")
string(REPLACE "\\" "\\\\" planted_dll "${planted_dll}")
string(REPLACE "\\" "\\\\" loader_exe "${loader_exe}")
string(REPLACE "\\" "\\\\" applier_exe "${APPLIER_EXE_WINDOWS}")
target_compile_definitions(dll_safety_test PRIVATE "PLANTED_DLL=\"${planted_dll}\""
  "LOADER_EXE=\"${loader_exe}\"" "APPLIER_EXE=\"${applier_exe}\"")
# Wine takes its own builtin DLLs unless told to prefer native ones.
set_tests_properties(dll_safety_test PROPERTIES
  ENVIRONMENT "WINEDLLOVERRIDES=riched32,imagehlp=n,b;mscoree,mshtml=")

# The applier's imports: only DLLs that the system itself loads from its own
# folder (known DLLs) or, for comctl32, from the side-by-side store; no
# run-time DLL of the compiler that could be planted beside it.
find_program(DLL_SAFETY_OBJDUMP NAMES i686-w64-mingw32-objdump)
if(DLL_SAFETY_OBJDUMP)
  add_test(NAME applier_imports COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/dll_safety_imports.sh
    ${DLL_SAFETY_OBJDUMP} $<TARGET_FILE:applier>)
endif()
