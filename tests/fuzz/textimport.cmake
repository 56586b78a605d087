vro_fuzz(fuzz_textimport ${CMAKE_CURRENT_LIST_DIR}/fuzz_textimport.cpp DEPS core_construct)
# Coverage feedback from the import and the fill, not only from the target's file.
if(VRO_FUZZ)
  target_compile_options(core_textimport PRIVATE -fsanitize=fuzzer-no-link)
  target_compile_options(core_construct PRIVATE -fsanitize=fuzzer-no-link)
endif()
