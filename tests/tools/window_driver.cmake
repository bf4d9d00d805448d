# The window driver: a library for the GUI tests that run under wine, the
# windriver.exe command for scripts, and the driver's own test.
if(NOT WIN32)
  return()
endif()

add_library(window_driver STATIC ${CMAKE_CURRENT_LIST_DIR}/window_driver.cpp)
target_include_directories(window_driver PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_compile_definitions(window_driver PUBLIC WINVER=0x0600 _WIN32_WINNT=0x0600 _WIN32_IE=0x0600)
target_link_libraries(window_driver PUBLIC user32 gdi32 kernel32)

add_executable(windriver ${CMAKE_CURRENT_LIST_DIR}/window_driver_cli.cpp)
target_link_libraries(windriver PRIVATE window_driver)
set_target_properties(windriver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

tarvelion_test(window_driver_test ${CMAKE_CURRENT_LIST_DIR}/window_driver_test.cpp)
target_link_libraries(window_driver_test PRIVATE window_driver)
tarvelion_windows_path(windriver_windows "${CMAKE_BINARY_DIR}/bin/windriver.exe")
string(REPLACE "\\" "\\\\" windriver_windows "${windriver_windows}")
target_compile_definitions(window_driver_test PRIVATE WINDRIVER_EXE="${windriver_windows}")
add_dependencies(window_driver_test windriver)
