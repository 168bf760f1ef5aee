// Runs the window tests inside one application on Qt's offscreen platform.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("Pexora Library Tutorial"));
  return RUN_ALL_TESTS();
}
