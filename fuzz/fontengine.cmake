penmark_add_fuzzer(fuzz_fontengine
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_fontengine.cpp
  LIBS penmark_fontengine)
penmark_add_fuzzer(fuzz_fontengine_cmapname
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_fontengine_cmapname.cpp
  LIBS penmark_fontengine)
penmark_add_fuzzer(fuzz_fontengine_variations
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_fontengine_variations.cpp
  LIBS penmark_fontengine)
penmark_add_fuzzer(fuzz_fontengine_cff
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_fontengine_cff.cpp
  LIBS penmark_fontengine)
