penmark_add_bench(bench_fontengine_dump
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_fontengine_dump.cpp
  LIBS penmark_fontengine)
