# SQL Server access (ODBC: odbc32 on Windows, unixODBC natively, where the tests reach the test
# driver through it), the statements and the SQL Server backup job.
add_library(dorvik_jobs_sql STATIC
  ${CMAKE_CURRENT_LIST_DIR}/sql_statements.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sql_access_odbc.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shared_sql_connection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sql_job_names.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sql_backup_job.cpp)
target_link_libraries(dorvik_jobs_sql PUBLIC dorvik_jobs_file dorvik_config dorvik_common)
if(WIN32)
  target_sources(dorvik_jobs_sql PRIVATE ${CMAKE_CURRENT_LIST_DIR}/sql_computer_name_win32.cpp)
  target_link_libraries(dorvik_jobs_sql PUBLIC odbc32)
else()
  target_sources(dorvik_jobs_sql PRIVATE ${CMAKE_CURRENT_LIST_DIR}/sql_computer_name_posix.cpp)
  target_link_libraries(dorvik_jobs_sql PUBLIC odbc)
endif()
