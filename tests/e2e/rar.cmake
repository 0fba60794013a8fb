# rar.exe under Wine, started with every command line the backup jobs, the SQL job and the
# restore build, on real files; the archives are checked with unzip, Python's zipfile and 7z. A
# source holding names GBK cannot spell and a 300-character path goes through the real file job,
# comes back with rar.exe x, and its copy is deleted as retention deletes it.
dorvik_script_test(rar_e2e
  COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/rar_e2e.py $<TARGET_FILE:rar> $<TARGET_FILE:rar_launch>
          ${DORVIK_WINE_RUN} $<TARGET_FILE:file_job_runner> $<TARGET_FILE:owned_delete>
  LABELS rar)
