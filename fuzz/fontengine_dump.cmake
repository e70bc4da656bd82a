penmark_add_fuzzer(fuzz_fontengine_dump
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_fontengine_dump.cpp
  LIBS penmark_fontengine)
