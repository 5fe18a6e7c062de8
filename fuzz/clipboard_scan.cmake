add_fuzz_target(NAME clipboard_scan SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/clipboard_scan.cpp LIBS vxexchange)
