# SQL Server statements, access and the backup job.
if(NOT WIN32)
  # Through unixODBC to the test driver of tests/sqlserver.
  dorvik_test(sql_access_test SOURCES sql_access_test.cpp LIBS dorvik_jobs_sql)
  add_dependencies(sql_access_test dorvik_sqlserver)
  set_property(TEST sql_access_test APPEND PROPERTY ENVIRONMENT "ODBCSYSINI=${DORVIK_SQLSERVER_ODBCSYSINI}")
endif()

dorvik_test(sql_jobs_test
  SOURCES sql_statements_test.cpp sql_backup_job_test.cpp sql_backup_program_test.cpp
  LIBS dorvik_backup_program dorvik_jobs_sql dorvik_fake_file_system)
