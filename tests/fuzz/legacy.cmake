vro_fuzz(fuzz_legacy ${CMAKE_CURRENT_LIST_DIR}/fuzz_legacy.cpp DEPS core_construct)
# Coverage feedback from the reader itself, not only from the target's file.
if(VRO_FUZZ)
  target_compile_options(core_legacy PRIVATE -fsanitize=fuzzer-no-link)
endif()
