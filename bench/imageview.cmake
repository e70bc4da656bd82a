penmark_add_bench(bench_imageview SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_imageview.cpp LIBS penmark_imageview)
