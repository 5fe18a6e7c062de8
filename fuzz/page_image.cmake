add_fuzz_target(NAME page_image SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/page_image.cpp LIBS vxruntime)
