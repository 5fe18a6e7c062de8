add_fuzz_target(NAME keyed_file SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/keyed_file.cpp LIBS vxruntime)
