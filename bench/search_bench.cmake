# The whole-search benchmark, search_bench: it drives the window (Qt) and
# serves its pages from the tests' loopback server, and its floor calls
# libcurl, ICU and RE2 directly. Its source is not named *_bench.cc, so the
# plain benchmark loop leaves it to this file. Without the window there is
# nothing to measure.
if(NOT TARGET zarvo_app OR NOT TARGET zarvo_test_support)
  return()
endif()
find_package(benchmark REQUIRED)
find_package(CURL REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZARVO_SEARCH_BENCH_DEPS REQUIRED IMPORTED_TARGET icu-uc re2)
add_executable(search_bench ${CMAKE_CURRENT_LIST_DIR}/search_window_benchmark.cc)
target_link_libraries(search_bench PRIVATE zarvo_app zarvo_test_support benchmark::benchmark CURL::libcurl
                      PkgConfig::ZARVO_SEARCH_BENCH_DEPS)
