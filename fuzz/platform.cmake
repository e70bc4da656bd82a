penmark_add_fuzzer(fuzz_fot SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_fot.cpp LIBS penmark_platform)
penmark_add_fuzzer(fuzz_mocatalog SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_mocatalog.cpp LIBS penmark_platform)
penmark_add_fuzzer(fuzz_keyboardconfig SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_keyboardconfig.cpp LIBS penmark_platform)
