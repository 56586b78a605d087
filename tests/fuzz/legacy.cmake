vro_fuzz(fuzz_legacy ${CMAKE_CURRENT_LIST_DIR}/fuzz_legacy.cpp DEPS core_construct)
