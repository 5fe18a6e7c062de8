add_fuzz_target(NAME hash_cache_index SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/hash_cache_index.cpp LIBS qlengine)
