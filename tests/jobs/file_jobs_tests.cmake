# The in-memory file system, for every subsystem's unit tests.
add_library(dorvik_fake_file_system STATIC ${CMAKE_SOURCE_DIR}/tests/common/fake_file_system.cpp)
target_link_libraries(dorvik_fake_file_system PUBLIC dorvik_common)
