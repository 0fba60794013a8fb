# The history browser and the SQL Server restore in the real console, driven under Xvfb; log
# writers (log_append_stress) append while the history rewrites their log.
dorvik_script_test(history_e2e
  COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/console/history_e2e.py
          $<TARGET_FILE:DorvikUI> $<TARGET_FILE:rar> $<TARGET_FILE:console_driver>
          $<TARGET_FILE:log_append_stress>
  LABELS console)
