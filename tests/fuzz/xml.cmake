vro_fuzz(fuzz_xml ${CMAKE_CURRENT_LIST_DIR}/fuzz_xml.cpp DEPS core_xml)
