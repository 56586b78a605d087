vro_bench(load_memory DEPS core_recording)
