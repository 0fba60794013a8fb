# dorvik_test(NAME SOURCES ... LIBS ...): one GoogleTest program per concern.
# In the native tree it runs under the sanitizers; in the Windows tree ctest runs it under Wine
# (the toolchain's emulator) in the build tree's private prefix.
function(dorvik_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gmock_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "DORVIK_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;DORVIK_TEST_ROOT=${DORVIK_TEST_ROOT}"
    TIMEOUT 600)
  if(WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix LABELS "wine;${T_LABELS}")
  else()
    set_tests_properties(${name} PROPERTIES LABELS "native;${T_LABELS}")
  endif()
endfunction()

# dorvik_script_test(NAME COMMAND ...): an end-to-end check driven by a script (Windows tree).
function(dorvik_script_test name)
  cmake_parse_arguments(T "" "" "COMMAND;LABELS" ${ARGN})
  add_test(NAME ${name} COMMAND ${T_COMMAND})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "DORVIK_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;DORVIK_BUILD=${CMAKE_BINARY_DIR};DORVIK_NATIVE_BUILD=${DORVIK_NATIVE_BUILD};DORVIK_SOURCE=${CMAKE_SOURCE_DIR}"
    FIXTURES_REQUIRED wine_prefix LABELS "e2e;${T_LABELS}" TIMEOUT 900)
endfunction()
