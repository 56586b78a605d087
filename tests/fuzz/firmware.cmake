vro_fuzz(fuzz_firmware ${CMAKE_CURRENT_LIST_DIR}/fuzz_firmware.cpp DEPS core_firmware)
