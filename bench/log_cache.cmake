# Every task's last backup time from a year of logs: per-task scans, the cache's first fill and
# its refill, against a plain line-by-line read. Run by scripts/bench.sh (native, and the Windows
# build under Wine when it is there): log_cache_bench FOLDER [PER_TASK_SCANS].
add_library(year_of_logs STATIC ${CMAKE_CURRENT_LIST_DIR}/year_of_logs.cpp)
target_link_libraries(year_of_logs PUBLIC dorvik_jobs_file)
add_executable(log_cache_bench ${CMAKE_CURRENT_LIST_DIR}/log_cache_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/plain_log_read.cpp)
target_link_libraries(log_cache_bench PRIVATE year_of_logs)
# The same year of logs in a program folder, for the benchmarks that run the programs on it.
add_executable(year_of_logs_tool ${CMAKE_CURRENT_LIST_DIR}/year_of_logs_main.cpp)
set_target_properties(year_of_logs_tool PROPERTIES OUTPUT_NAME year_of_logs)
target_link_libraries(year_of_logs_tool PRIVATE year_of_logs)
