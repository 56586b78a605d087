# Full redraw of the graph into an image: the renderer of the graph pane on
# a QImage (Qt Gui only, offscreen), so it builds without the desktop program.
find_package(Qt6 REQUIRED COMPONENTS Gui Widgets)
vro_bench(redraw DEPS core_graph core_recording Qt6::Gui)
target_sources(bench_redraw PRIVATE "${PROJECT_SOURCE_DIR}/src/app/graph/qtgraphcanvas.cpp")
