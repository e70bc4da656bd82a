penmark_add_fuzzer(fuzz_fontengine_tables
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_fontengine_tables.cpp
  LIBS penmark_fontengine)
