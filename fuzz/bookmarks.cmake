add_fuzz_target(NAME bookmarks SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/bookmarks.cpp LIBS qlengine)
