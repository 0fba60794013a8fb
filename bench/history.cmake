# Opening the history browser on a year of hourly backups of 20 tasks, against one plain read of
# the same logs. Run by scripts/bench.sh through bench/history_bench.sh: history_bench FOLDER.
add_executable(history_bench ${CMAKE_CURRENT_LIST_DIR}/history_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/plain_log_read.cpp)
target_link_libraries(history_bench PRIVATE dorvik_console_history)
