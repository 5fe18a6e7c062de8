add_fuzz_target(NAME cache_files SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/cache_files.cpp LIBS qlengine)
