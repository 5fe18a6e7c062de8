#include <QCoreApplication>

#include <gtest/gtest.h>

// The platform layer's timers, socket notifiers and queued dispatch need a Qt application
// object and its event loop on the test thread.
int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
