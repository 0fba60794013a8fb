# The archiver's benchmark is a script that builds its own release tree and prints figures:
# `cmake --build <native tree> --target rar_bench`, or run bench/rar_bench.sh directly.
if(NOT WIN32)
  get_filename_component(DORVIK_BUILD_ROOT ${CMAKE_BINARY_DIR} DIRECTORY)
  add_custom_target(rar_bench
    COMMAND ${CMAKE_COMMAND} -E env BUILD_ROOT=${DORVIK_BUILD_ROOT} ${CMAKE_CURRENT_LIST_DIR}/rar_bench.sh
    USES_TERMINAL)
endif()
