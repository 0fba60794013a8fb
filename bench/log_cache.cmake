# Every task's last backup time from a year of logs: per-task scans, the cache's first fill and
# its refill, against a plain line-by-line read. Run by scripts/bench.sh (native, and the Windows
# build under Wine when it is there): log_cache_bench FOLDER [PER_TASK_SCANS].
add_executable(log_cache_bench ${CMAKE_CURRENT_LIST_DIR}/log_cache_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/plain_log_read.cpp)
target_link_libraries(log_cache_bench PRIVATE dorvik_jobs_file)
