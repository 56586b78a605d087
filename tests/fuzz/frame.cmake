vro_fuzz(fuzz_frame ${CMAKE_CURRENT_LIST_DIR}/fuzz_frame.cpp DEPS vro_link vro_sim)
