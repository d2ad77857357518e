// Shared by the fuzz targets: a property check that names what failed.
#ifndef ZARVO_TESTS_FUZZ_FUZZ_SUPPORT_H_
#define ZARVO_TESTS_FUZZ_FUZZ_SUPPORT_H_

#include <cstdio>
#include <cstdlib>

namespace zarvo::fuzz {

inline void Check(bool ok, const char* property) {
  if (!ok) {
    fprintf(stderr, "property violated: %s\n", property);
    abort();
  }
}

}  // namespace zarvo::fuzz

#endif  // ZARVO_TESTS_FUZZ_FUZZ_SUPPORT_H_
