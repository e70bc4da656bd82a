penmark_add_bench(bench_fontpage SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_fontpage.cpp LIBS penmark_pages)
target_compile_definitions(bench_fontpage PRIVATE PENMARK_BENCH_TMP="${CMAKE_CURRENT_BINARY_DIR}")
