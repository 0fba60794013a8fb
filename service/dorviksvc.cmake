# Dorviksvc.exe with its message table, so the Event Viewer shows a text for every event ID.
set(DORVIK_MC_DIR ${CMAKE_CURRENT_BINARY_DIR}/messages)
add_custom_command(
  OUTPUT ${DORVIK_MC_DIR}/event_messages.rc ${DORVIK_MC_DIR}/event_messages.h
  COMMAND ${CMAKE_COMMAND} -E make_directory ${DORVIK_MC_DIR}
  COMMAND ${CMAKE_MC_COMPILER} -h ${DORVIK_MC_DIR} -r ${DORVIK_MC_DIR}
          ${CMAKE_CURRENT_SOURCE_DIR}/event_messages.mc
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/event_messages.mc
  COMMENT "Compiling the event message table")
add_custom_command(
  OUTPUT ${DORVIK_MC_DIR}/event_messages.o
  COMMAND ${CMAKE_RC_COMPILER} -I ${DORVIK_MC_DIR} -i ${DORVIK_MC_DIR}/event_messages.rc
          -o ${DORVIK_MC_DIR}/event_messages.o
  DEPENDS ${DORVIK_MC_DIR}/event_messages.rc
  WORKING_DIRECTORY ${DORVIK_MC_DIR})

add_executable(Dorviksvc
  dorviksvc_main.cpp nt_service.cpp service_install.cpp backup_service.cpp service_globals.cpp
  service_threads.cpp service_job_reporter.cpp service_clock_win32.cpp service_health.cpp
  status_switch.cpp ${DORVIK_MC_DIR}/event_messages.o)
target_link_libraries(Dorviksvc PRIVATE dorvik_health dorvik_service_core dorvik_jobs_sql dorvik_version advapi32 shell32)
