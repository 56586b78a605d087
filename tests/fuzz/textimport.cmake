vro_fuzz(fuzz_textimport ${CMAKE_CURRENT_LIST_DIR}/fuzz_textimport.cpp DEPS core_construct)
