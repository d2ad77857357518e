# The whole-search benchmark drives the window (Qt) and serves its pages from
# the tests' loopback server; its floor calls libcurl, ICU and RE2 directly.
# Included by bench/CMakeLists.txt after search_bench has been added.
if(NOT TARGET search_bench)
  return()
endif()
if(NOT TARGET zarvo_app OR NOT TARGET zarvo_test_support)
  # Without the window there is nothing to measure.
  set_target_properties(search_bench PROPERTIES EXCLUDE_FROM_ALL TRUE)
  return()
endif()
find_package(CURL REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZARVO_SEARCH_BENCH_DEPS REQUIRED IMPORTED_TARGET icu-uc re2)
target_link_libraries(search_bench PRIVATE zarvo_app zarvo_test_support CURL::libcurl
                      PkgConfig::ZARVO_SEARCH_BENCH_DEPS)
