# Picture readers side by side with libtiff on the same files (needs libtiff-dev).
find_package(TIFF QUIET)
if(TIFF_FOUND)
  penmark_add_bench(bench_imageio
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_imageio.cpp
    LIBS penmark_imageio TIFF::TIFF)
  target_compile_definitions(bench_imageio PRIVATE PENMARK_BENCH_TMP="${CMAKE_CURRENT_BINARY_DIR}")
else()
  message(STATUS "libtiff not found: bench_imageio is not built")
endif()
