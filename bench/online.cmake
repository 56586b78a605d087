# The real-time frame's drawing model on a QImage (Qt Gui only, offscreen)
# and an online run against the simulated recorder in a child process.
find_package(Qt6 REQUIRED COMPONENTS Gui Widgets)
vro_bench(online DEPS vro_device vro_sim vro_link vro_core Qt6::Gui)
target_sources(bench_online PRIVATE "${PROJECT_SOURCE_DIR}/src/app/graph/qtgraphcanvas.cpp")
