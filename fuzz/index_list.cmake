add_fuzz_target(NAME index_list SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/index_list.cpp LIBS qlengine)
