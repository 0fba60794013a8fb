# Backup.exe under Wine against the SQL Server test driver of the native tree.
if(DORVIK_NATIVE_BUILD)
  dorvik_script_test(sql_backup_e2e
    COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/sql_e2e.py $<TARGET_FILE:Backup> $<TARGET_FILE:example_config>
            $<TARGET_FILE:rar>)
endif()
