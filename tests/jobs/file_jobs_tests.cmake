dorvik_test(file_jobs_test
  SOURCES file_job_rules_test.cpp file_backup_job_test.cpp backup_log_test.cpp last_backup_cache_test.cpp
          real_file_system_test.cpp
  LIBS dorvik_jobs_file dorvik_fake_file_system)

if(WIN32)
  # Drivers of the real job and log under Wine, for the end-to-end checks and the demo.
  add_executable(file_job_runner file_job_runner.cpp)
  target_link_libraries(file_job_runner PRIVATE dorvik_jobs_file)
  add_executable(log_append_stress log_append_stress.cpp)
  target_link_libraries(log_append_stress PRIVATE dorvik_jobs_file)
endif()
