# The console driven as a person drives it: the real DorvikUI.exe under a private Xvfb display,
# operated through captions and control ids by console_driver.exe.
add_executable(console_driver ${CMAKE_SOURCE_DIR}/tests/console/console_driver.cpp)
set_target_properties(console_driver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/console)
dorvik_script_test(console_e2e
  COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/console/console_e2e.py
          $<TARGET_FILE:DorvikUI> $<TARGET_FILE:Dorviksvc> $<TARGET_FILE:rar> $<TARGET_FILE:Backup>
          $<TARGET_FILE:console_driver> $<TARGET_FILE:service_probe>
  LABELS console)
# 77: the console has no main window yet, nothing to drive.
set_tests_properties(console_e2e PROPERTIES SKIP_RETURN_CODE 77)
