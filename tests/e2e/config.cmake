# config.db under Wine: a writer killed mid-save, and writers in two processes at once.
dorvik_script_test(config_kill_writer
  COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/config_kill_test.sh $<TARGET_FILE:config_writer>
          ${DORVIK_WINE_RUN} ${CMAKE_SOURCE_DIR}/tests/config/config_db.py)
dorvik_script_test(config_console_startup
  COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/config_console_test.sh $<TARGET_FILE:DorvikUI>
          $<TARGET_FILE:example_config> ${DORVIK_WINE_RUN} ${CMAKE_SOURCE_DIR}/tests/config/config_db.py)
