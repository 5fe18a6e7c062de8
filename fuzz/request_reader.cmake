add_fuzz_target(NAME request_reader SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/request_reader.cpp LIBS qlengine)
