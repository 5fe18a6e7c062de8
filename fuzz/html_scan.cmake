add_fuzz_target(NAME html_scan SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/html_scan.cpp LIBS qlengine)
