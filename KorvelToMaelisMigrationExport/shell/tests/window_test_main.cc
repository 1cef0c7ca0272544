// Window tests need the application object of windows before anything else
// makes one.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The single-copy lock that copies share lies in the temporary folder; the
  // tests' copies share one of their own.
  QTemporaryDir temporary_folder;
  qputenv("TMPDIR", temporary_folder.path().toLocal8Bit());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
