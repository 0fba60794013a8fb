# Load, change one record in, and save config.db documents of 10, 1,000 and 10,000 tasks.
if(NOT WIN32)
  find_package(benchmark QUIET)
  if(benchmark_FOUND)
    add_executable(config_bench ${CMAKE_CURRENT_LIST_DIR}/config_bench.cpp)
    target_link_libraries(config_bench PRIVATE dorvik_config benchmark::benchmark)
  endif()
endif()
