# A 12-megapixel JPEG photo to a black-and-white picture, decode included.
find_package(JPEG REQUIRED)
penmark_add_bench(bench_photos
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_photos.cpp
  LIBS penmark_imageio JPEG::JPEG)
target_compile_definitions(bench_photos PRIVATE PENMARK_BENCH_TMP="${CMAKE_CURRENT_BINARY_DIR}")
