penmark_add_bench(bench_eps
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_eps.cpp
  LIBS penmark_eps)
