vro_bench(merge DEPS core_construct)
