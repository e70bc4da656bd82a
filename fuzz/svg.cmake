# The SVG reader over arbitrary bytes, packed or not.
find_package(ZLIB REQUIRED)
penmark_add_fuzzer(fuzz_svg
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_svg.cpp
  LIBS penmark_svg ZLIB::ZLIB)
