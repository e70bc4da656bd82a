penmark_add_bench(bench_image SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_image.cpp LIBS penmark_image)
