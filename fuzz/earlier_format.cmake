add_fuzz_target(NAME earlier_format SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/earlier_format.cpp LIBS vxexchange)
