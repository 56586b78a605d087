vro_fuzz(fuzz_config ${CMAKE_CURRENT_LIST_DIR}/fuzz_config.cpp DEPS core_config)
