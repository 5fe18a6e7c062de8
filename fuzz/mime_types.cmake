add_fuzz_target(NAME mime_types SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/mime_types.cpp LIBS qlengine)
