vro_fuzz(fuzz_parser ${CMAKE_CURRENT_LIST_DIR}/fuzz_parser.cpp DEPS core_calc)
