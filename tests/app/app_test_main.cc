// The window tests' main: one QApplication per process, prepared as the
// program prepares its own. Listing the tests needs no display.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/startup.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  zarvo::PrepareApplication();
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
