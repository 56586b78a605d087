vro_bench(download DEPS vro_device vro_sim vro_link vro_core)
