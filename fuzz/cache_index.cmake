add_fuzz_target(NAME cache_index SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/cache_index.cpp LIBS qlengine)
