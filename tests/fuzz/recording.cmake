vro_fuzz(fuzz_recording ${CMAKE_CURRENT_LIST_DIR}/fuzz_recording.cpp DEPS core_recording)
