add_fuzz_target(NAME query_string SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/query_string.cpp LIBS qlengine)
