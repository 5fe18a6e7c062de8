add_fuzz_target(NAME import_scan SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/import_scan.cpp LIBS vxexchange)
