# The Windows package under Wine's msiexec, in a prefix of its own.
dorvik_script_test(msi_e2e
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/msi_test.sh ${DORVIK_MSI} ${CMAKE_SOURCE_DIR}/packaging/Dorvik.wxs
          $<TARGET_FILE:DorvikUI> $<TARGET_FILE:Dorviksvc> $<TARGET_FILE:Backup> $<TARGET_FILE:rar>
          $<TARGET_FILE:example_config>
  LABELS service)
