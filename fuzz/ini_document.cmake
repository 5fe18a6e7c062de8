add_fuzz_target(NAME ini_document SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/ini_document.cpp LIBS vxruntime)
