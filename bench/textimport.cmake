vro_bench(textimport DEPS core_construct)
