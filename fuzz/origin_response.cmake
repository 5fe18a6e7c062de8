add_fuzz_target(NAME origin_response SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/origin_response.cpp LIBS qlengine)
