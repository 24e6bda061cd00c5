// gtest main for every test executable: a QApplication exists for the whole run,
// because fonts, images, painting and windows all need one.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery lists the tests without a display; don't open one for that.
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    // Like the program: no scaling of windows by Qt, screenshots in device pixels.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
