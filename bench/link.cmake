vro_bench(link DEPS vro_link vro_sim)
