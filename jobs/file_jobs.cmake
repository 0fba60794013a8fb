# The file backup job, the backup log, the status write-back and process starting.
set(DORVIK_FILE_JOBS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/backup_log.cpp
  ${CMAKE_CURRENT_LIST_DIR}/log_scan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/last_backup_cache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/task_status.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_backup_job.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_job_filter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_job_names.cpp
  ${CMAKE_CURRENT_LIST_DIR}/copy_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/incomplete_output.cpp)
if(WIN32)
  list(APPEND DORVIK_FILE_JOBS_SOURCES ${CMAKE_CURRENT_LIST_DIR}/process_win32.cpp)
endif()
add_library(dorvik_jobs_file STATIC ${DORVIK_FILE_JOBS_SOURCES})
target_link_libraries(dorvik_jobs_file PUBLIC dorvik_config dorvik_common)
if(WIN32)
  target_link_libraries(dorvik_jobs_file PUBLIC shell32)
endif()
