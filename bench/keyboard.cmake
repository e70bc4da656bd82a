penmark_add_bench(bench_keyboard SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_keyboard.cpp LIBS penmark_platform)
