# LoadImage over arbitrary bytes, as TIFF and as bitmap files.
penmark_add_fuzzer(fuzz_imageio
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_imageio.cpp
  LIBS penmark_imageio)
# The PNG and JPEG decoders of the photo readers.
penmark_add_fuzzer(fuzz_photos
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_photos.cpp
  LIBS penmark_imageio)
# The CCITT Group 3 and Group 4 decoder on its own, at any row width and coding.
penmark_add_fuzzer(fuzz_ccitt
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_ccitt.cpp
  LIBS penmark_imageio)
