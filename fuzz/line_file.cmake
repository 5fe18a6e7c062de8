add_fuzz_target(NAME line_file SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/line_file.cpp LIBS vxruntime)
