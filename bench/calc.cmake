vro_bench(calc DEPS core_calc)
