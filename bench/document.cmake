penmark_add_bench(bench_document SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_document.cpp LIBS penmark_document)
