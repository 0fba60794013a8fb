# CPU time of the idle service under Wine (prints figures; not part of the test run):
#   cmake --build build/win --target service_idle_bench
if(WIN32)
  add_custom_target(service_idle_bench
    COMMAND env BUILD_ROOT=${CMAKE_BINARY_DIR}/.. ${CMAKE_CURRENT_LIST_DIR}/service_idle_cpu.sh
    DEPENDS Dorviksvc example_config service_probe backup_stand_in
    USES_TERMINAL)
endif()
