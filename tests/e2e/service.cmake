# The service under Wine's real service manager, in a prefix of its own; the scripts take turns.
dorvik_script_test(service_host_e2e
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/service_host_test.sh $<TARGET_FILE:Dorviksvc>
          $<TARGET_FILE:example_config>
  LABELS service)
set_tests_properties(service_host_e2e PROPERTIES RESOURCE_LOCK wineprefix_service)
dorvik_script_test(service_run_e2e
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/service_run_test.sh $<TARGET_FILE:Dorviksvc>
          $<TARGET_FILE:example_config> $<TARGET_FILE:rar>
  LABELS service)
set_tests_properties(service_run_e2e PROPERTIES RESOURCE_LOCK wineprefix_service)
dorvik_script_test(service_sql_e2e
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/service_sql_test.sh $<TARGET_FILE:Dorviksvc>
          $<TARGET_FILE:example_config> $<TARGET_FILE:backup_stand_in>
  LABELS service)
set_tests_properties(service_sql_e2e PROPERTIES RESOURCE_LOCK wineprefix_service)
dorvik_script_test(service_safety_e2e
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/service_safety_test.sh $<TARGET_FILE:Dorviksvc>
          $<TARGET_FILE:example_config> $<TARGET_FILE:rar> $<TARGET_FILE:backup_stand_in>
  LABELS service)
set_tests_properties(service_safety_e2e PROPERTIES RESOURCE_LOCK wineprefix_service)
dorvik_script_test(service_failed_runs_e2e
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/service_failed_runs_test.sh $<TARGET_FILE:Dorviksvc>
          $<TARGET_FILE:example_config> $<TARGET_FILE:rar>
  LABELS service)
set_tests_properties(service_failed_runs_e2e PROPERTIES RESOURCE_LOCK wineprefix_service)
