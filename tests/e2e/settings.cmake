# The console's settings dialog, update notice and banner, against a local web server.
dorvik_script_test(settings_e2e
  COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/console/settings_e2e.py
          $<TARGET_FILE:DorvikUI> $<TARGET_FILE:rar> $<TARGET_FILE:console_driver>
  LABELS console)
