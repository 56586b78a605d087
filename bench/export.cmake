vro_bench(export DEPS core_export core_recording)
