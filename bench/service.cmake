# CPU time of the idle service under Wine, next to a bare program with the same polling threads
# (prints figures; not part of the test run):
#   cmake --build build/win --target service_idle_bench
if(WIN32)
  add_executable(idle_pollers idle_pollers_win32.cpp)
  add_custom_target(service_idle_bench
    COMMAND env BUILD_ROOT=${CMAKE_BINARY_DIR}/.. ${CMAKE_CURRENT_LIST_DIR}/service_idle_cpu.sh
    DEPENDS Dorviksvc example_config service_probe backup_stand_in idle_pollers
    USES_TERMINAL)
endif()
