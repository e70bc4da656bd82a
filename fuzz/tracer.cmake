penmark_add_fuzzer(fuzz_tracer
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_tracer.cpp
  LIBS penmark_tracer penmark_outline)
