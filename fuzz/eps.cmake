penmark_add_fuzzer(fuzz_eps
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_eps.cpp
  LIBS penmark_eps)
