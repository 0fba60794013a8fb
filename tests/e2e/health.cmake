# The monitoring kit: its alert rules checked and unit-tested by promtool, and the service's
# health file through the real chain (node exporter, Prometheus, Alertmanager) on loopback.
add_test(NAME health_alert_rules
  COMMAND sh -c "promtool check rules \"$1\" && promtool test rules \"$2\""
          health_alert_rules ${CMAKE_SOURCE_DIR}/packaging/monitoring/dorvik_alerts.yml
          ${CMAKE_CURRENT_LIST_DIR}/health_alerts_test.yml)
set_tests_properties(health_alert_rules PROPERTIES LABELS "health" TIMEOUT 60)
dorvik_script_test(health_monitoring_e2e
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/health_monitoring_test.sh $<TARGET_FILE:Dorviksvc>
          $<TARGET_FILE:example_config> $<TARGET_FILE:rar> $<TARGET_FILE:Backup> $<TARGET_FILE:DorvikUI>
          $<TARGET_FILE:console_driver>
  LABELS "service;health")
set_tests_properties(health_monitoring_e2e PROPERTIES RESOURCE_LOCK wineprefix_service TIMEOUT 400)
