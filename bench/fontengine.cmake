penmark_add_bench(bench_fontengine
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_fontengine.cpp
  LIBS penmark_fontengine)
