# The tracer benchmark has its own main: besides the Google Benchmark runs it offers
# `--compare DIR`, which writes the pictures as PBM for the side-by-side run against
# potrace (bench/tracer_vs_potrace.sh) and times the tracer on them.
add_executable(bench_tracer ${CMAKE_CURRENT_LIST_DIR}/bench_tracer.cpp)
target_include_directories(bench_tracer PRIVATE ${PROJECT_SOURCE_DIR}/tests/tracer)
target_link_libraries(bench_tracer PRIVATE penmark_tracer penmark_outline penmark_test_support
  benchmark::benchmark)
