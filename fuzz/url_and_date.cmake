add_fuzz_target(NAME url_and_date SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/url_and_date.cpp LIBS qlengine)
