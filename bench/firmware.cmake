vro_bench(firmware DEPS vro_device vro_sim vro_link vro_core)
