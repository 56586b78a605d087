vro_fuzz(fuzz_setupfile ${CMAKE_CURRENT_LIST_DIR}/fuzz_setupfile.cpp DEPS vro_device)
# Coverage feedback from the setup model itself, not only from the target's file.
if(VRO_FUZZ)
  target_compile_options(vro_device PRIVATE -fsanitize=fuzzer-no-link)
endif()
