# The real file backup job under Wine: every compression mode with every filter, checked with
# Python's zipfile (and unzip -t when present) and by listing the copies; concurrent log writers.
dorvik_script_test(file_jobs_e2e
  COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/file_jobs_check.py
          $<TARGET_FILE:file_job_runner> $<TARGET_FILE:log_append_stress>
  LABELS filejobs)
