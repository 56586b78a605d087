vro_bench(file_io DEPS core_recording)
