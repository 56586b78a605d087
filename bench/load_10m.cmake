vro_bench(load_10m DEPS core_recording)
