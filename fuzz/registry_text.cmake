add_fuzz_target(NAME registry_text SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/registry_text.cpp LIBS qlplatform)
