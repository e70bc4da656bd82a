penmark_add_bench(bench_symbolfont SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_symbolfont.cpp LIBS penmark_symbolfont)
target_compile_definitions(bench_symbolfont PRIVATE PENMARK_BENCH_TMP="${CMAKE_CURRENT_BINARY_DIR}")
